// Keeps the picture fuzz targets' runs small: inputs of more than a few megapixels are
// skipped, since large pictures are the unit tests' business. Some readers (GIF with a
// zero-height screen, for one) declare no size, so those inputs are first decoded under a
// small allocation limit; each target's own loader sets its limit again before it reads.

#pragma once

#include <QImage>
#include <QImageReader>
#include <QString>
#include <cstdint>

inline bool tooLargeForFuzzing(const QString& path) {
    constexpr int64_t kMostPixels = 4'000'000;
    QImageReader probe(path);
    const QSize declared = probe.size();
    if (declared.isValid() && !declared.isEmpty())
        return int64_t{declared.width()} * declared.height() > kMostPixels;
    QImageReader::setAllocationLimit(kMostPixels * 4 / (1024 * 1024));
    const QImage decoded = probe.read();
    return decoded.isNull() || int64_t{decoded.width()} * decoded.height() > kMostPixels;
}
