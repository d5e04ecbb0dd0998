#include <gtest/gtest.h>

#include <QStringList>

#include "core/conversion_texts.h"

namespace kirimo {
namespace {

TEST(PreviewCaption, ListsWeightsUpToTheLastOneOfAtLeastOne) {
    ConversionSettings settings;
    const auto fs = ConversionDescription::fromSettings(settings);
    EXPECT_EQ(previewCaption(fs, "/pic/cat.jpg"), "[RGB]100%(7)0)0)3)5)1)cat.jpg");

    settings.space = ColourSpace::Ycc;
    settings.weights = kJarvisJudiceNinkeWeights;
    settings.rate = 60;
    EXPECT_EQ(previewCaption(ConversionDescription::fromSettings(settings), "/a/b.c.bmp"),
              "[YCC]60%(7)5)3)5)7)5)3)1)3)5)3)1)b.c.bmp");

    settings.space = ColourSpace::Cie;
    settings.weights = {0, -2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(previewCaption(ConversionDescription::fromSettings(settings), "/x.bmp"),
              "[CIE]60%(x.bmp");

    // Texts are taken as they stand in the boxes; a text that is not a number counts as 0.
    ConversionDescription typed = fs;
    typed.weightTexts[6] = " 2";
    typed.weightTexts[7] = "abc";
    EXPECT_EQ(previewCaption(typed, "/p/q.jpg"), "[RGB]100%(7)0)0)3)5)1) 2)q.jpg");
}

TEST(ReportSettingsLine, InitialSettings) {
    EXPECT_EQ(reportSettingsLine(ConversionDescription::fromSettings(ConversionSettings{})),
              "RGB[100]7)0)0)3)5)1)0)0)0)0)0)0)R100%G100%B100%");
    ConversionSettings settings;
    settings.space = ColourSpace::Cie;
    settings.density = {0, 25, 50};
    EXPECT_EQ(reportSettingsLine(ConversionDescription::fromSettings(settings)),
              "CIE[100]7)0)0)3)5)1)0)0)0)0)0)0)R0%G250%B500%");
}

TEST(UsageString, SharesAsShortestSingleText) {
    ConversionResult result;
    result.counts[1] = 3;
    result.counts[0] = 1;
    result.lastColour = 0;
    EXPECT_EQ(usageString(result, 2, 2), "0,0.25,0.75,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");

    ConversionResult thirds;
    thirds.counts[17] = 1;
    thirds.counts[3] = 2;
    thirds.lastColour = 17;
    const QString text = usageString(thirds, 3, 1);
    const QStringList fields = text.split(u',');
    ASSERT_EQ(fields.size(), 19);
    EXPECT_EQ(fields[0], "17");
    EXPECT_EQ(fields[4], "0.6666667");
    EXPECT_EQ(fields[18], "0.33333334");
    EXPECT_EQ(fields[18].toFloat(), 1.0f / 3.0f);
}

TEST(UsageString, SingleTextReadsBackExactly) {
    for (float v : {0.0f, 1.0f, 0.1f, 0.01f, 1e-7f, 0.123456789f, 3.0f / 7.0f}) {
        EXPECT_EQ(singleToText(v).toFloat(), v);
        EXPECT_EQ(static_cast<float>(singleToText(v).toDouble()), v);
    }
    EXPECT_EQ(singleToText(0.25f), "0.25");
}

}  // namespace
}  // namespace kirimo
