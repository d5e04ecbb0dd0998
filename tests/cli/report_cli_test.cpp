#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "core/colour_table.h"
#include "core/picture_file.h"
#include "core/text_file.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::runCli;

class ReportCli : public ::testing::Test {
  protected:
    // 5 x 3: a black and white chequerboard with the dot (4, 2) in the colour 0A141E.
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const ColourTable table;
        picture = *PixelBuffer::create(5, 3);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                const ColourEntry& entry = table[(x + y) % 2];
                picture.at(x, y) = makePixel(entry.red, entry.green, entry.blue);
            }
        }
        picture.at(4, 2) = makePixel(0x0A, 0x14, 0x1E);
        input = dir.filePath("converted.bmp");
        ASSERT_TRUE(savePictureBmp(input, picture).ok());
        base = dir.filePath("cat");
    }

    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files); }

    QStringList lines(const QString& extension) const {
        auto read = readTextLines(base + extension);
        EXPECT_TRUE(read.ok());
        return read.ok() ? *read : QStringList();
    }

    QTemporaryDir dir;
    PixelBuffer picture;
    QString input;
    QString base;
};

TEST_F(ReportCli, WritesTheThreeFilesWithTheDefaultSettingsLine) {
    const auto run = runCli({"report", input, base, "--sheet", "3x2"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("warning: 1 of 15 dots are not colours of the colour table"))
        << run.err.toStdString();

    // As a packed value, the dot in 0A141E is nearest to 橙 (FF850B), not to 自 (808080).
    EXPECT_EQ(lines(".txt"), (QStringList{"RGB[100]7)0)0)3)5)1)0)0)0)0)0)0)R100%G100%B100%",
                                          "＜横1枚目、縦1枚目＞", "黒白黒", "白黒白",
                                          "黒＝3,白＝3,", "＜横2枚目、縦1枚目＞", "白黒", "黒白",
                                          "黒＝2,白＝2,", "＜横1枚目、縦2枚目＞", "黒白黒", "",
                                          "黒＝2,白＝1,", "＜横2枚目、縦2枚目＞", "白橙", "",
                                          "白＝1,橙＝1,", "<総計>", "黒＝7,白＝7,橙＝1,"}));
    EXPECT_EQ(
        lines(".csv"),
        (QStringList{
            "横,縦,黒,白,赤,青,草,黄,水,緑,桃,茶,橙,紫,菖,深,紺,金,銀,自",
            "1,1,3,3,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0", "2,1,2,2,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0",
            "1,2,2,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0", "2,2,0,1,0,0,0,0,0,0,0,0,1,0,0,0,0,0,0,0"}));
    EXPECT_TRUE(test::readBytes(base + ".csv").endsWith("\r\n"));
    auto bitmap = loadPictureFile(base + ".bmp");
    ASSERT_TRUE(bitmap.ok());
    EXPECT_EQ(*bitmap, picture);
}

TEST_F(ReportCli, ConversionFlagsFillTheSettingsLineAndTheUserColourIsCounted) {
    const auto run = runCli({"report", input, base, "--sheet", "5x3", "--space", "ycc", "--rate",
                             "50", "--method", "jjn", "--density", "1,20,50", "--user-colour",
                             "0a141e", "--palette", "18"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList text = lines(".txt");
    ASSERT_EQ(text.size(), 8);
    EXPECT_EQ(text.first(), "YCC[50]7)5)3)5)7)5)3)1)3)5)3)1)R10%G200%B500%");
    EXPECT_EQ(text[2], "黒白黒白黒");
    EXPECT_EQ(text[4], "黒白黒白自");
    EXPECT_EQ(text.last(), "黒＝7,白＝7,自＝1,");
    EXPECT_EQ(lines(".csv").last(), "1,1,7,7,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1");
}

TEST_F(ReportCli, BadArgumentsAndRefusedSheetSizesWriteNothing) {
    const QStringList before = files();
    const QList<QStringList> bad = {
        {"report", input, base, "--sheet", "0x30"},
        {"report", input, base, "--sheet", "-3x-3"},
        {"report", input, base, "--sheet", "30"},
        {"report", input, base, "--sheet", "2.5x3"},
        {"report", input, base, "--sheet", "99999999999x1"},
        {"report", input, base},
        {"report", input, base, "--sheet", "2x2", "--sheet", "3x3"},
        {"report", input, base, "extra", "--sheet", "2x2"},
        {"report", input, base, "--sheet", "2x2", "--frobnicate"},
        {"report", input, base, "--sheet", "2x2", "--rate", "101"},
        // Two million rows per sheet for three rows of dots: millions of empty lines.
        {"report", input, base, "--sheet", "1x2000000"},
        {"report", dir.filePath("missing.bmp"), base, "--sheet", "2x2"},
    };
    for (const QStringList& args : bad) {
        const auto run = runCli(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.startsWith("kirimo-cli report: ")) << run.err.toStdString();
        EXPECT_EQ(files(), before) << args.join(' ').toStdString();
    }
}

TEST_F(ReportCli, AnUnwritableTargetFailsWithoutWritingAnyFile) {
    const auto run =
        runCli({"report", input, dir.filePath("no/such/folder/cat"), "--sheet", "2x2"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains("no/such/folder/cat.txt")) << run.err.toStdString();
    EXPECT_EQ(files(), QStringList{"converted.bmp"});
}

}  // namespace
}  // namespace kirimo
