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

TEST_F(ConvertCli, AnUnwritableOutputIsReported) {
    const auto run = runCli({"convert", input, dir.filePath("no/such/folder/out.bmp")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains("out.bmp")) << run.err.toStdString();
}

}  // namespace
}  // namespace kirimo
