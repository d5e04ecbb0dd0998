#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "core/colour_table.h"
#include "core/conversion_texts.h"
#include "core/picture_file.h"
#include "support/cli_runner.h"
#include "support/conversion_reference.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::runCli;

class ConvertCli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        picture = *PixelBuffer::create(9, 6);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 9; ++x)
                picture.at(x, y) = makePixel(28 * x, 40 * y, (x * y * 17) & 0xFF);
        input = dir.filePath("in.bmp");
        ASSERT_TRUE(savePictureBmp(input, picture).ok());
    }

    QTemporaryDir dir;
    PixelBuffer picture;
    QString input;
};

TEST_F(ConvertCli, WritesTheEngineResultAndPrintsTheUsage) {
    const QString output = dir.filePath("out.bmp");
    const auto run =
        runCli({"convert", input, output, "--palette", "18", "--space", "ycc", "--method", "jjn",
                "--rate", "80", "--density", "10,20,5", "--user-colour", "3366CC", "--usage"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    ColourTable table;
    table.setUserColourComponent(0, 0x33);
    table.setUserColourComponent(1, 0x66);
    table.setUserColourComponent(2, 0xCC);
    ConversionSettings settings;
    settings.space = ColourSpace::Ycc;
    settings.weights = kJarvisJudiceNinkeWeights;
    settings.rate = 80;
    settings.density = {10, 20, 5};
    settings.usable.fill(true);
    const ConversionResult expected = test::referenceConversion(picture, table.palette(), settings);

    auto written = loadPictureFile(output);
    ASSERT_TRUE(written.ok());
    EXPECT_EQ(*written, expected.pixels);
    EXPECT_EQ(run.out.trimmed(), usageString(expected, 9, 6));
}

TEST_F(ConvertCli, ColoursAndCustomWeights) {
    const QString output = dir.filePath("out.bmp");
    const auto run = runCli(
        {"convert", input, output, "--colours", "0,1,3", "--weights", "1,0,0,0,1,0,0,0,0,0,0,0"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    auto written = loadPictureFile(output);
    ASSERT_TRUE(written.ok());
    for (size_t i = 0; i < written->size(); ++i) {
        const Pixel p = written->data()[i];
        EXPECT_TRUE(p == 0 || p == 0xFFFFFF || p == 0x0000FF) << std::hex << p;
    }
}

TEST_F(ConvertCli, BadArgumentsWriteNothingAndExitWithTwo) {
    const QString output = dir.filePath("out.bmp");
    const QString garbage = dir.filePath("garbage.jpg");
    ASSERT_TRUE(test::writeBytes(garbage, "not a picture"));
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"convert", input}, "expected INPUT"},
        {{"convert", input, output, "--palette", "7"}, "--palette"},
        {{"convert", input, output, "--rate", "101"}, "--rate"},
        {{"convert", input, output, "--rate", "5.5"}, "--rate"},
        {{"convert", input, output, "--density", "10,10"}, "--density"},
        {{"convert", input, output, "--density", "10,51,10"}, "--density"},
        {{"convert", input, output, "--weights", "1,2,3"}, "--weights"},
        {{"convert", input, output, "--weights", "1,0,0,0,0,0,0,0,0,0,0,40000"}, "40000"},
        {{"convert", input, output, "--weights", "1,0,0,0,0,0,0,0,0,0,0,x"}, "\"x\""},
        {{"convert", input, output, "--method", "fs", "--weights", "1,0,0,0,0,0,0,0,0,0,0,0"},
         "together"},
        {{"convert", input, output, "--palette", "8", "--colours", "1"}, "together"},
        {{"convert", input, output, "--colours", "18"}, "--colours"},
        {{"convert", input, output, "--user-colour", "12345G"}, "--user-colour"},
        {{"convert", input, output, "--space", "lab"}, "--space"},
        {{"convert", input, output, "--rate"}, "needs a value"},
        {{"convert", input, output, "--bogus"}, "--bogus"},
        {{"convert", input, dir.filePath("out.png")}, ".bmp"},
        {{"convert", dir.filePath("missing.bmp"), output}, "missing.bmp"},
        {{"convert", garbage, output}, "garbage.jpg"},
    };
    for (const auto& [args, mention] : cases) {
        const auto run = runCli(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(mention))
            << args.join(' ').toStdString() << " -> " << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(output)) << args.join(' ').toStdString();
    }
}

TEST_F(ConvertCli, SheetReportInOneGo) {
    // 100 x 70 in 30 x 30 sheets: 4 x 3 sheets.
    PixelBuffer big = *PixelBuffer::create(100, 70);
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 100; ++x)
            big.at(x, y) = makePixel(x * 2, y * 3, 128);
    const QString bigInput = dir.filePath("big.bmp");
    ASSERT_TRUE(savePictureBmp(bigInput, big).ok());
    const QString output = dir.filePath("dots.bmp");
    const QString base = dir.filePath("chart");
    const auto run = runCli({"convert", bigInput, output, "--palette", "16", "--rate", "90",
                             "--sheet", "30x30", "--report", base});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    const QStringList text = QString::fromUtf8(test::readBytes(base + ".txt")).split("\r\n");
    ASSERT_GT(text.size(), 3);
    EXPECT_EQ(text[0], "RGB[90]7)0)0)3)5)1)0)0)0)0)0)0)R100%G100%B100%");
    EXPECT_EQ(text[1], "＜横1枚目、縦1枚目＞");
    // 12 sheets of a heading, 30 chart lines and a count line, then the total.
    EXPECT_EQ(text.size(), 1 + 12 * 32 + 2 + 1);
    EXPECT_EQ(text[text.size() - 3], "<総計>");
    EXPECT_EQ(text[2 + 3 * 32].size(), 10);  // sheet (4, 1): 10 dots across

    const QStringList csv = QString::fromUtf8(test::readBytes(base + ".csv")).split("\r\n");
    EXPECT_EQ(csv[0], "横,縦,黒,白,赤,青,草,黄,水,緑,桃,茶,橙,紫,菖,深,紺,金,銀,自");
    EXPECT_EQ(csv.size(), 1 + 12 + 1);
    EXPECT_TRUE(csv[12].startsWith("4,3,"));

    auto written = loadPictureFile(output);
    auto charted = loadPictureFile(base + ".bmp");
    ASSERT_TRUE(written.ok());
    ASSERT_TRUE(charted.ok());
    EXPECT_EQ(*written, *charted);
}

TEST_F(ConvertCli, RefusedReportsWriteNothing) {
    const QString output = dir.filePath("out.bmp");
    const QString base = dir.filePath("chart");
    for (const QStringList& extra :
         {QStringList{"--sheet", "0x5", "--report", base}, QStringList{"--sheet", "5x5"},
          QStringList{"--report", base}, QStringList{"--sheet", "5by5", "--report", base}}) {
        const auto run = runCli(QStringList{"convert", input, output} + extra);
        EXPECT_EQ(run.exitCode, 2) << extra.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("--sheet") || run.err.contains("--report"))
            << run.err.toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"in.bmp"}));
    }
}

TEST_F(ConvertCli, AnUnwritableOutputIsReported) {
    const auto run = runCli({"convert", input, dir.filePath("no/such/folder/out.bmp")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains("out.bmp")) << run.err.toStdString();
}

}  // namespace
}  // namespace kirimo
