#pragma once
// Texts that describe a conversion: the preview caption, the share of each colour
// (the usage string), and the settings line at the top of the text report.

#include <QString>
#include <array>

#include "imaging/conversion.h"

namespace kirimo {

// The conversion settings as the settings window shows them, as texts.
struct ConversionDescription {
    ColourSpace space = ColourSpace::Rgb;
    QString rateText = QStringLiteral("100");       // the rate label
    std::array<QString, kWeightCount> weightTexts;  // the twelve weight boxes
    std::array<QString, 3> densityPercentTexts;     // ten times each density

    // The texts that the given numeric settings show.
    static ConversionDescription fromSettings(const ConversionSettings& settings);
};

// "[RGB]100%(7)0)0)3)5)1)cat.jpg": colour-space tag, rate, the weights up to the last one of
// at least 1, and the file name with its extension.
QString previewCaption(const ConversionDescription& description, const QString& path);

// "RGB[100]7)0)0)3)5)1)0)0)0)0)0)0)R100%G100%B100%".
QString reportSettingsLine(const ConversionDescription& description);

// Field 0 the last ColourNumber, fields 1 to 18 each colour's share of the picture as the
// shortest text that reads back as the same single-precision value.
QString usageString(const ConversionResult& result, int width, int height);

// The shortest decimal text that reads back as exactly this single-precision value.
QString singleToText(float value);

}  // namespace kirimo
