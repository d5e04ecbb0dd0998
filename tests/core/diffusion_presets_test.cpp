#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/colour_usage.h"
#include "core/diffusion_presets.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

const std::array<QString, kWeightCount> kJarvisTexts = {"7", "5", "3", "5", "7", "5",
                                                        "3", "1", "3", "5", "3", "1"};

TEST(DiffusionPresets, ReadsTheCurrentLineAndThePresets) {
    const auto presets = parseDiffusionPresets({"2,soft,80,7,5,3,5,7,5,3,1,3,5,3,1",
                                                "soft,80,7,5,3,5,7,5,3,1,3,5,3,1", "",
                                                "hard,100,1,0,0,0,0,0,0,0,0,0,0,0"});
    EXPECT_EQ(presets.current.method, DiffusionMethod::Custom);
    EXPECT_EQ(presets.current.presetName, "soft");
    EXPECT_EQ(presets.current.rate, 80);
    EXPECT_EQ(presets.current.weightTexts, kJarvisTexts);
    EXPECT_EQ(presetNames(presets.presetLines), QStringList({"soft", "hard"}));
    EXPECT_EQ(currentSettingsLine(presets.current), "2,soft,80,7,5,3,5,7,5,3,1,3,5,3,1");
}

TEST(DiffusionPresets, BadFirstLinesFallBackToTheCreationState) {
    const DiffusionState creation;
    EXPECT_EQ(parseDiffusionPresets({"7,x,50"}).current.method, DiffusionMethod::Custom);
    struct Case {
        QString line;
        DiffusionMethod method;
        int rate;
    };
    const Case cases[] = {{"", DiffusionMethod::FloydSteinberg, 100},
                          {"-1,n,50,9", DiffusionMethod::FloydSteinberg, 50},
                          {"abc", DiffusionMethod::FloydSteinberg, 100},
                          {"1,,500", DiffusionMethod::JarvisJudiceNinke, 100},
                          {"0,name,many", DiffusionMethod::FloydSteinberg, 100}};
    for (const Case& c : cases) {
        const DiffusionState state = parseDiffusionPresets({c.line}).current;
        EXPECT_EQ(state.method, c.method) << c.line.toStdString();
        EXPECT_EQ(state.rate, c.rate) << c.line.toStdString();
    }
    const DiffusionState shortLine = parseDiffusionPresets({"2,p,60,1,2"}).current;
    EXPECT_EQ(shortLine.weightTexts[0], "1");
    EXPECT_EQ(shortLine.weightTexts[1], "2");
    EXPECT_EQ(shortLine.weightTexts[2], creation.weightTexts[2]);
    EXPECT_EQ(shortLine.weightTexts[11], creation.weightTexts[11]);
}

TEST(DiffusionPresets, DuplicatesCompareRateAndWeightsNotNames) {
    const QStringList lines = {"soft,80,7,5,3,5,7,5,3,1,3,5,3,1"};
    EXPECT_EQ(duplicatePresetName(lines, 80, kJarvisTexts), "soft");
    auto changed = kJarvisTexts;
    changed[11] = "2";
    EXPECT_FALSE(duplicatePresetName(lines, 80, changed).has_value());
    EXPECT_FALSE(duplicatePresetName(lines, 81, kJarvisTexts).has_value());
    auto spaced = kJarvisTexts;
    spaced[0] = " 7";  // the same number in another spelling
    EXPECT_EQ(duplicatePresetName(lines, 80, spaced), "soft");
    EXPECT_FALSE(duplicatePresetName({"broken,80,7"}, 80, kJarvisTexts).has_value());
}

TEST(DiffusionPresets, PresetLinesRefuseEmptyNamesAndCommas) {
    EXPECT_EQ(*makePresetLine("soft", 80, kJarvisTexts), "soft,80,7,5,3,5,7,5,3,1,3,5,3,1");
    EXPECT_FALSE(makePresetLine("", 80, kJarvisTexts).ok());
    auto comma = makePresetLine("a,b", 80, kJarvisTexts);
    ASSERT_FALSE(comma.ok());
    EXPECT_NE(comma.error().find("a,b"), std::string::npos);
    const auto values = presetValues({"p,60,1,2"}, 0);
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(values->rate, 60);
    EXPECT_EQ(values->weightTexts[1], "2");
    EXPECT_FALSE(values->weightTexts[2].has_value());
    EXPECT_FALSE(presetValues({"p,60"}, 1).has_value());
}

TEST(DiffusionPresets, SurviveWritingAndReadingBack) {
    QTemporaryDir dir;
    EXPECT_TRUE(readDiffusionPresets(dir.path()).presetLines.isEmpty());
    DiffusionPresets presets;
    presets.current.method = DiffusionMethod::Custom;
    presets.current.presetName = "soft";
    presets.presetLines = {*makePresetLine("soft", 80, kJarvisTexts)};
    ASSERT_TRUE(writeDiffusionPresets(dir.path(), presets).ok());
    EXPECT_EQ(test::readBytes(dir.filePath("Dorvel.ini")),
              "2,soft,100,7,0,0,3,5,1,0,0,0,0,0,0\r\nsoft,80,7,5,3,5,7,5,3,1,3,5,3,1\r\n");
    const DiffusionPresets back = readDiffusionPresets(dir.path());
    EXPECT_EQ(back.current.method, DiffusionMethod::Custom);
    EXPECT_EQ(back.presetLines, presets.presetLines);
}

QString usageWith(int colour, const QString& share) {
    QStringList fields(19, "0");
    fields[colour + 1] = share;
    return fields.join(u',');
}

TEST(ColourUsage, MarksFollowTheSingleLimits) {
    struct Case {
        QString share;
        UsageMark mark;
        bool ticked;
    };
    const Case cases[] = {{"0.0099", UsageMark::Red, true},       {"0.01", UsageMark::Blue, true},
                          {"0.05", UsageMark::Blue, true},        {"0.1", UsageMark::Black, true},
                          {"0.1000001", UsageMark::Hidden, true}, {"0", UsageMark::Hidden, false},
                          {"1e-05", UsageMark::Red, true},        {"x", UsageMark::Hidden, false}};
    for (const Case& c : cases) {
        const auto view = colourUsageView(usageWith(3, c.share));
        ASSERT_TRUE(view.has_value());
        EXPECT_EQ(view->marks[3], c.mark) << c.share.toStdString();
        EXPECT_EQ(view->ticked[3], c.ticked) << c.share.toStdString();
        EXPECT_FALSE(view->ticked[4]);
    }
    EXPECT_FALSE(colourUsageView("0,0.5,0.5").has_value());
    EXPECT_FALSE(colourUsageView("").has_value());
}

}  // namespace
}  // namespace kirimo
