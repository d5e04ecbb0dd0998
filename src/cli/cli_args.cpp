#include "cli/cli_args.h"

#include <cstdint>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kirimo::cli {

std::optional<int> parseWholeNumber(QStringView text, bool allowNegative) {
    bool negative = false;
    if (allowNegative && text.startsWith(u'-')) {
        negative = true;
        text = text.mid(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    int64_t value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > int64_t{INT32_MAX} + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<Dimensions> parseDimensions(QStringView text) {
    qsizetype separator = text.indexOf(u'x');
    if (separator < 0)
        separator = text.indexOf(u'X');
    if (separator < 0)
        return std::nullopt;
    const auto width = parseWholeNumber(text.left(separator));
    const auto height = parseWholeNumber(text.mid(separator + 1));
    if (!width || !height)
        return std::nullopt;
    return Dimensions{*width, *height};
}

std::optional<Point> parsePoint(QStringView text) {
    const qsizetype separator = text.indexOf(u',');
    if (separator < 0)
        return std::nullopt;
    const auto x = parseWholeNumber(text.left(separator), true);
    const auto y = parseWholeNumber(text.mid(separator + 1), true);
    if (!x || !y)
        return std::nullopt;
    return Point{*x, *y};
}

bool hasBmpSuffix(const QString& path) {
    return path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive);
}

void keepFreedPictureMemory() {
#if defined(__GLIBC__)
    // Pictures of up to 1 GiB come from the heap rather than from a mapping of their own,
    // and the heap is not trimmed while less than 1 GiB lies free at its top.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

std::optional<int> parseMargin(QStringView text) {
    const auto value = parseWholeNumber(text);
    if (!value || *value > kMaxMarginMm)
        return std::nullopt;
    return value;
}

}  // namespace kirimo::cli
