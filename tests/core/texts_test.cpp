// Number parsing and the short texts built from settings and paths.

#include <gtest/gtest.h>

#include <QStringList>

#include "core/colour_usage.h"
#include "core/conversion_texts.h"
#include "core/file_names.h"
#include "core/number_rules.h"
#include "core/zigzag_texts.h"

namespace kirimo {
namespace {

std::string text(const char16_t* t) {
    return QString::fromUtf16(t).toStdString();
}

TEST(ParseWholeNumber, SixteenAndThirtyTwoBitsRoundHalvesToEven) {
    const struct {
        const char16_t* text;
        std::optional<int16_t> int16;
        std::optional<int32_t> int32;
    } cases[] = {{u"7", 7, 7},
                 {u"  -12 ", -12, -12},
                 {u"+3", 3, 3},
                 {u"2.5", 2, 2},
                 {u"3.5", 4, 4},
                 {u".5", 0, 0},
                 {u"1e2", 100, 100},
                 {u"32767.49", 32767, 32767},
                 {u"32768", {}, 32768},
                 {u"-32769", {}, -32769},
                 {u"2147483647", {}, 2147483647},
                 {u"-2147483648", {}, INT32_MIN},
                 {u"2147483648", {}, {}},
                 {u"1e300", {}, {}}};
    for (const auto& c : cases) {
        EXPECT_EQ(parseInt16(c.text), c.int16) << text(c.text);
        EXPECT_EQ(parseInt32(c.text), c.int32) << text(c.text);
    }
    // Blanks are trimmed from both ends and nowhere else: one character, one character
    // with blanks after it, blanks alone.
    for (const char16_t* seven : {u"7", u"7 ", u"7\t\u3000 ", u" \t7", u"\u30007\u3000"})
        EXPECT_EQ(parseNumber(seven), 7.0) << text(seven);
    for (const char16_t* bad :
         {u"", u" ", u"\u3000", u"  \t", u"7 7", u"abc", u"7a", u"1,5", u"--1", u"1e", u"inf",
          u"nan", u".", u"0x10", u"-", u"+", u"1e+", u"7\n"}) {
        EXPECT_FALSE(parseNumber(bad).has_value()) << text(bad);
        EXPECT_FALSE(parseInt16(bad).has_value()) << text(bad);
    }
}

TEST(ParseWholeNumber, AtLeastTheMinimumWholeAndWithin32Bits) {
    const struct {
        const char16_t* text;
        int minimum;
        std::optional<int> value;
    } cases[] = {{u"12", 1, 12},
                 {u" 12 ", 1, 12},
                 {u"\u300012\t", 1, 12},
                 {u"+12", 1, 12},
                 {u"012", 1, 12},
                 {u"12.0", 1, 12},
                 {u"1e1", 1, 10},
                 {u"1", 1, 1},
                 {u"2147483647", 1, 2147483647},
                 {u"2147483647.0", 1, 2147483647},
                 {u"2147483648", 1, {}},
                 {u"1e100", 1, {}},
                 {u"0", 1, {}},
                 {u"-3", 1, {}},
                 {u"2.5", 1, {}},
                 {u"0.5", 1, {}},
                 {u"abc", 1, {}},
                 {u"12px", 1, {}},
                 {u"", 1, {}},
                 {u"１２", 1, {}},
                 {u"19", 20, {}},
                 {u"20", 20, 20},
                 {u"0", 0, 0},
                 {u"-1", 0, {}}};
    for (const auto& c : cases) {
        EXPECT_EQ(parseWholeNumberAtLeast(c.text, c.minimum), c.value)
            << text(c.text) << " from " << c.minimum;
    }
    // Strip widths start at one pixel.
    EXPECT_EQ(parseStripWidth(u" 1 "), 1);
    EXPECT_FALSE(parseStripWidth(u"0").has_value());
}

TEST(FileNames, LastPieceFolderAndZigzagName) {
    const struct {
        QString path;
        QString stem, name, folder;
    } cases[] = {{"/a/b.c.bmp", "b", "b.c.bmp", "/a/"},
                 {"/a/", "", "", "/a/"},
                 {"", "", "", "/"},
                 {"plain", "plain", "plain", "/"},
                 {"/絵/cat.face.jpg", "cat", "cat.face.jpg", "/絵/"},
                 {"/x/y/", "", "", "/x/y/"},
                 {"/photo.jpg", "photo", "photo.jpg", "/"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(getFileName(c.path, 1), c.stem);
        EXPECT_EQ(getFileName(c.path, 0), c.name);
        EXPECT_EQ(getFolderPath(c.path), c.folder);
    }
    EXPECT_EQ(zigzagSaveName("/p/a.b.bmp", "/q/c.jpg"), "ac");
    EXPECT_EQ(zigzagSaveName("/p/cat.jpg", "/p/dog.jpeg"), "catdog");
    EXPECT_EQ(zigzagSaveName("/p/cat.jpg", ""), "cat");
    EXPECT_EQ(zigzagSaveName("", "/q/c.jpg"), "c");
}

TEST(ConversionTexts, CaptionAndReportLineListWeightsUpToTheLastOfAtLeastOne) {
    ConversionSettings settings;
    const auto fs = ConversionDescription::fromSettings(settings);
    EXPECT_EQ(previewCaption(fs, "/pic/cat.jpg"), "[RGB]100%(7)0)0)3)5)1)cat.jpg");
    EXPECT_EQ(reportSettingsLine(fs), "RGB[100]7)0)0)3)5)1)0)0)0)0)0)0)R100%G100%B100%");
    settings.space = ColourSpace::Ycc;
    settings.weights = kJarvisJudiceNinkeWeights;
    settings.rate = 60;
    EXPECT_EQ(previewCaption(ConversionDescription::fromSettings(settings), "/a/b.c.bmp"),
              "[YCC]60%(7)5)3)5)7)5)3)1)3)5)3)1)b.c.bmp");
    settings.space = ColourSpace::Cie;
    settings.weights = {0, -2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    settings.density = {0, 25, 50};
    const auto cie = ConversionDescription::fromSettings(settings);
    EXPECT_EQ(previewCaption(cie, "/x.bmp"), "[CIE]60%(x.bmp");
    EXPECT_EQ(reportSettingsLine(cie), "CIE[60]0)-2)0)0)0)0)0)0)0)0)0)0)R0%G250%B500%");
    // Texts are taken as they stand in the boxes; a text that is not a number counts as 0.
    ConversionDescription typed = fs;
    typed.weightTexts[6] = " 2";
    typed.weightTexts[7] = "abc";
    EXPECT_EQ(previewCaption(typed, "/p/q.jpg"), "[RGB]100%(7)0)0)3)5)1) 2)q.jpg");
}

TEST(ConversionTexts, UsageSharesAreShortestSingleTexts) {
    ConversionResult result;
    result.counts[1] = 3;
    result.counts[0] = 1;
    result.lastColour = 0;
    EXPECT_EQ(usageString(result, 2, 2), "0,0.25,0.75,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
    ConversionResult thirds;
    thirds.counts[17] = 1;
    thirds.counts[3] = 2;
    thirds.lastColour = 17;
    const QStringList fields = usageString(thirds, 3, 1).split(u',');
    ASSERT_EQ(fields.size(), 19);
    EXPECT_EQ(fields[0], "17");
    EXPECT_EQ(fields[4], "0.6666667");
    EXPECT_EQ(fields[18], "0.33333334");
    for (float v : {0.0f, 1.0f, 0.1f, 0.01f, 1e-7f, 0.123456789f, 3.0f / 7.0f}) {
        EXPECT_EQ(singleToText(v).toFloat(), v);
        EXPECT_EQ(static_cast<float>(singleToText(v).toDouble()), v);
    }
    EXPECT_EQ(singleToText(0.25f), "0.25");
}

TEST(ColourUsage, MarksFollowTheSingleLimits) {
    const struct {
        QString share;
        UsageMark mark;
        bool ticked;
    } cases[] = {{"0.0099", UsageMark::Red, true},
                 // Each limit is a single: on it, the lower mark; past it, the next.
                 {"0.009999999776482582", UsageMark::Red, true},
                 {"0.05000000074505806", UsageMark::Blue, true},
                 {"0.10000000149011612", UsageMark::Black, true},
                 {"0.01", UsageMark::Blue, true},
                 {"0.05", UsageMark::Blue, true},
                 {"0.1", UsageMark::Black, true},
                 {"0.1000001", UsageMark::Hidden, true},
                 {"0", UsageMark::Hidden, false},
                 {"1e-05", UsageMark::Red, true},
                 {"x", UsageMark::Hidden, false}};
    for (const auto& c : cases) {
        QStringList fields(19, "0");
        fields[4] = c.share;
        const auto view = colourUsageView(fields.join(u','));
        ASSERT_TRUE(view.has_value());
        EXPECT_EQ(view->marks[3], c.mark) << c.share.toStdString();
        EXPECT_EQ(view->ticked[3], c.ticked) << c.share.toStdString();
        EXPECT_FALSE(view->ticked[4]);
    }
    EXPECT_FALSE(colourUsageView("0,0.5,0.5").has_value());
    EXPECT_FALSE(colourUsageView(QStringList(18, "0").join(u',')).has_value());  // one short
    EXPECT_FALSE(colourUsageView("").has_value());
}

}  // namespace
}  // namespace kirimo
