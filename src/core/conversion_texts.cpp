#include "core/conversion_texts.h"

#include <charconv>

#include "core/file_names.h"
#include "core/number_rules.h"

namespace kirimo {

namespace {

QString spaceName(ColourSpace space) {
    switch (space) {
        case ColourSpace::Rgb:
            return QStringLiteral("RGB");
        case ColourSpace::Ycc:
            return QStringLiteral("YCC");
        case ColourSpace::Cie:
            return QStringLiteral("CIE");
    }
    return {};
}

}  // namespace

ConversionDescription ConversionDescription::fromSettings(const ConversionSettings& settings) {
    ConversionDescription description;
    description.space = settings.space;
    description.rateText = QString::number(settings.rate);
    for (int k = 0; k < kWeightCount; ++k) {
        description.weightTexts[k] = QString::number(settings.weights[k]);
    }
    for (int i = 0; i < 3; ++i) {
        description.densityPercentTexts[i] = QString::number(settings.density[i] * 10);
    }
    return description;
}

QString previewCaption(const ConversionDescription& description, const QString& path) {
    int lastWeight = 0;
    for (int k = kWeightCount; k >= 1; --k) {
        const auto weight = parseInt16(description.weightTexts[k - 1]);
        if (weight && *weight >= 1) {
            lastWeight = k;
            break;
        }
    }
    QString caption = QStringLiteral("[") + spaceName(description.space) + QStringLiteral("]");
    caption += description.rateText + QStringLiteral("%(");
    for (int k = 1; k <= lastWeight; ++k)
        caption += description.weightTexts[k - 1] + u')';
    return caption + getFileName(path, 0);
}

QString reportSettingsLine(const ConversionDescription& description) {
    QString line = spaceName(description.space) + u'[' + description.rateText + u']';
    for (const QString& weight : description.weightTexts)
        line += weight + u')';
    const char* channels = "RGB";
    for (int i = 0; i < 3; ++i) {
        line += QChar::fromLatin1(channels[i]) + description.densityPercentTexts[i] + u'%';
    }
    return line;
}

QString singleToText(float value) {
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    if (error != std::errc())
        return QStringLiteral("0");
    return QString::fromLatin1(text, end - text);
}

QString usageString(const ConversionResult& result, int width, int height) {
    // The pixel count as a 32-bit whole number made single, each share divided in double
    // and stored as single.
    const auto pixels = checkedMul(width, height);
    const float total = static_cast<float>(pixels.value_or(0));
    QString usage = QString::number(result.lastColour);
    for (int n = 0; n < kColourCount; ++n) {
        const float share =
            total > 0 ? static_cast<float>(static_cast<double>(result.counts[n]) / total) : 0.0f;
        usage += u',' + singleToText(share);
    }
    return usage;
}

}  // namespace kirimo
