#include "core/number_rules.h"

#include <QString>
#include <cmath>
#include <limits>

namespace kirimo {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == QChar(0x3000);
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

std::optional<double> parseNumber(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    const QStringView body = text.mid(begin, end - begin);

    // Check the grammar ourselves: QString::toDouble also takes "inf", "nan" and other
    // spellings that are not numbers here.
    qsizetype i = 0;
    if (i < body.size() && (body[i] == u'+' || body[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < body.size() && isDigit(body[i]))
        ++i, ++digits;
    if (i < body.size() && body[i] == u'.') {
        ++i;
        while (i < body.size() && isDigit(body[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < body.size() && (body[i] == u'e' || body[i] == u'E')) {
        ++i;
        if (i < body.size() && (body[i] == u'+' || body[i] == u'-'))
            ++i;
        qsizetype expDigits = 0;
        while (i < body.size() && isDigit(body[i]))
            ++i, ++expDigits;
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != body.size())
        return std::nullopt;

    bool ok = false;
    const double value = body.toString().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int16_t> parseInt16(QStringView text) {
    const auto value = parseNumber(text);
    if (!value)
        return std::nullopt;
    return roundToInt16(*value);
}

std::optional<int32_t> parseInt32(QStringView text) {
    const auto value = parseNumber(text);
    if (!value)
        return std::nullopt;
    return roundToInt32(*value);
}

std::optional<int> parseWholeNumberAtLeast(QStringView text, int minimum) {
    const auto value = parseNumber(text);
    if (!value || *value != std::trunc(*value) || *value < minimum ||
        *value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*value);
}

}  // namespace kirimo
