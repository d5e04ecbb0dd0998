// Keeps the picture fuzz targets' runs small: inputs of more than a few megapixels are
// skipped, since large pictures are the unit tests' business: those that declare more,
// and, since a declaration may understate (a GIF may declare a small screen, or none, and
// hold a frame far larger), those that decode to more under a small allocation limit. An
// input the reader refuses for that limit is skipped; one it refuses for any other reason
// is kept, so that the targets still meet broken files. Each target's own loader sets its
// limit again.

#pragma once

#include <QImage>
#include <QImageReader>
#include <QString>
#include <QtGlobal>
#include <cstdint>

namespace fuzz_guard {
inline bool refusedForTheLimit = false;
inline QtMessageHandler previousHandler = nullptr;

inline void noteLimitRefusal(QtMsgType type, const QMessageLogContext& context,
                             const QString& message) {
    if (message.contains(QLatin1String("allocation limit")))
        refusedForTheLimit = true;
    else if (previousHandler)
        previousHandler(type, context, message);
}
}  // namespace fuzz_guard

inline bool tooLargeForFuzzing(const QString& path) {
    constexpr int64_t kMostPixels = 4'000'000;
    QImageReader::setAllocationLimit(kMostPixels * 4 / (1024 * 1024));
    QImageReader probe(path);
    probe.setAutoTransform(true);
    const QSize declared = probe.size();
    if (declared.isValid() && int64_t{declared.width()} * declared.height() > kMostPixels)
        return true;
    fuzz_guard::refusedForTheLimit = false;
    fuzz_guard::previousHandler = qInstallMessageHandler(fuzz_guard::noteLimitRefusal);
    const QImage decoded = probe.read();
    qInstallMessageHandler(fuzz_guard::previousHandler);
    return fuzz_guard::refusedForTheLimit ||
           int64_t{decoded.width()} * decoded.height() > kMostPixels;
}
