// Reports: the colour numbers of the dots, the text and CSV charts of every sheet, the
// files written, and the names they are given.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <random>

#include "core/picture_file.h"
#include "core/text_file.h"
#include "reports/report_files.h"
#include "reports/report_naming.h"
#include "reports/sheet_size_text.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::filledBuffer;
using test::readBytes;

const QString kDefaultSettingsLine =
    QStringLiteral("RGB[100]7)0)0)3)5)1)0)0)0)0)0)0)R100%G100%B100%");

Pixel tablePixel(const ColourTable& table, int k) {
    return makePixel(table[k].red, table[k].green, table[k].blue);
}

ColourNumberMap mapOf(const PixelBuffer& picture, const ColourTable& table = ColourTable()) {
    auto map = mapColourNumbers(picture, table);
    EXPECT_TRUE(map.ok());
    return *map;
}

SheetGrid gridOf(const PixelBuffer& picture, int sheetWidth, int sheetHeight) {
    return *SheetGrid::create(picture.width(), picture.height(), {sheetWidth, sheetHeight});
}

// The lines of the sheet at `index` in sheet order: heading, chart lines, count line.
QStringList sheetLines(const QStringList& report, int index, int sheetHeight) {
    return report.mid(1 + index * (sheetHeight + 2), sheetHeight + 2);
}

TEST(ReportColours, EveryDotGetsItsColourNumberAndCountLinesNameThem) {
    ColourTable table;
    table.setUserColourComponent(0, 10);
    table.setUserColourComponent(1, 20);
    table.setUserColourComponent(2, 30);
    // Table colours, the user colour and colours of no table, one with the top byte set.
    const PixelBuffer picture =
        test::makeBuffer({{tablePixel(table, 5), makePixel(10, 20, 30), 0xFF0A141E},
                          {0x0A141E, tablePixel(table, 16), 0x7F7F7F}});
    const ColourNumberMap map = mapOf(picture, table);
    EXPECT_EQ(map.at(0, 0), 5);
    EXPECT_EQ(map.at(1, 0), 17);
    EXPECT_EQ(map.at(1, 1), 16);
    for (const auto& [x, y] : {std::pair{2, 0}, {0, 1}, {2, 1}})
        EXPECT_EQ(map.at(x, y), getColorNumber(pixelToColourValue(picture.at(x, y)), table));
    // No colours, no count line (the report tests below have count lines of some).
    EXPECT_EQ(countLine(ColourCounts{}), QString());
}

class HundredBySeventy : public ::testing::Test {
  protected:
    // Column x holds colour x % 18 in every row.
    void SetUp() override {
        picture_ = filledBuffer(100, 70, 0);
        for (int y = 0; y < 70; ++y) {
            for (int x = 0; x < 100; ++x)
                picture_.at(x, y) = tablePixel(table_, x % 18);
        }
    }
    ColourTable table_;
    PixelBuffer picture_;
};

TEST_F(HundredBySeventy, EverySheetChartedInOrderWithPartialSheetsPadded) {
    auto report = textReportLines(kDefaultSettingsLine, mapOf(picture_), gridOf(picture_, 30, 30));
    ASSERT_TRUE(report.ok());
    ASSERT_EQ(report->size(), 1 + 12 * 32 + 2);
    const QString names = QStringLiteral("黒白赤青草黄水緑桃茶橙紫菖深紺金銀自");
    const QStringList second = sheetLines(*report, 1, 30);
    EXPECT_EQ(second.first(), QStringLiteral("＜横2枚目、縦1枚目＞"));
    EXPECT_EQ(second[1], names.mid(12) + names + names.left(6));  // columns 30 to 59
    const QStringList fourth = sheetLines(*report, 3, 30);
    EXPECT_EQ(fourth.first(), QStringLiteral("＜横4枚目、縦1枚目＞"));
    for (int dy = 0; dy < 30; ++dy)
        EXPECT_EQ(fourth[1 + dy], names.left(10)) << dy;  // columns 90 to 99
    for (int column = 1; column <= 4; ++column) {
        const QStringList sheet = sheetLines(*report, 8 + column - 1, 30);
        EXPECT_EQ(sheet.first(), sheetHeading(column, 3));
        for (int dy = 0; dy < 30; ++dy)
            EXPECT_EQ(sheet[1 + dy].size(), dy >= 10      ? 0
                                            : column == 4 ? 10
                                                          : 30)
                << column << "," << dy;
    }
    EXPECT_EQ(report->at(report->size() - 2), QStringLiteral("<総計>"));
    // The CSV: all eighteen counts per sheet, in sheet order.
    const QStringList csv = csvReportLines(mapOf(picture_), gridOf(picture_, 30, 30));
    ASSERT_EQ(csv.size(), 13);
    EXPECT_EQ(csv.first(), csvHeader());
    EXPECT_EQ(csv[2], QStringLiteral("2,1,60,60,60,60,60,60,30,30,30,30,30,30,60,60,60,60,60,60"));
    EXPECT_EQ(csv[12], QStringLiteral("4,3,10,10,10,10,10,10,10,10,10,10,0,0,0,0,0,0,0,0"));
    EXPECT_TRUE(csv[5].startsWith(QStringLiteral("1,2,")));
    for (const QString& line : csv)
        EXPECT_EQ(line.split(u',').size(), 20) << line.toStdString();
}

TEST_F(HundredBySeventy, RefusesMillionsOfEmptyLinesAndAGridOfAnotherPicture) {
    // 100 columns of sheets 1 dot wide, each charting 20 000 rows for 70 dots.
    auto report =
        textReportLines(kDefaultSettingsLine, mapOf(picture_), gridOf(picture_, 1, 20000));
    ASSERT_FALSE(report.ok());
    EXPECT_NE(report.error().find("1 x 20000"), std::string::npos);
    EXPECT_FALSE(textReportLines(kDefaultSettingsLine, mapOf(picture_),
                                 *SheetGrid::create(100, 71, {30, 30}))
                     .ok());  // a grid of another picture
    // A tall sheet on a narrow grid stays allowed.
    EXPECT_TRUE(
        textReportLines(kDefaultSettingsLine, mapOf(picture_), gridOf(picture_, 100, 20000)).ok());
    // 64 columns of one-dot sheets over one row: 2^20 empty lines are the most allowed.
    const PixelBuffer row = filledBuffer(64, 1, 0);
    EXPECT_TRUE(checkTextReport(mapOf(row), gridOf(row, 1, 16385)).ok());
    EXPECT_FALSE(checkTextReport(mapOf(row), gridOf(row, 1, 16386)).ok());
}

class ReportFiles : public ::testing::Test {
  protected:
    QStringList entries() const { return QDir(dir_.path()).entryList(QDir::Files); }
    QTemporaryDir dir_;
    ColourTable table_;
};

TEST_F(ReportFiles, WritesTextCsvAndBitmapWithCrLfInTheSystemEncoding) {
    PixelBuffer picture = filledBuffer(3, 2, tablePixel(table_, 1));
    picture.at(0, 0) = tablePixel(table_, 0);
    picture.at(2, 1) = tablePixel(table_, 17);
    const QString base = dir_.filePath(QStringLiteral("猫"));
    ASSERT_TRUE(writeReportFiles(base, picture, table_, kDefaultSettingsLine, {2, 2}).ok());
    EXPECT_EQ(
        readBytes(base + ".txt"),
        (kDefaultSettingsLine +
         "\r\n＜横1枚目、縦1枚目＞\r\n黒白\r\n白白\r\n黒＝1,白＝3,\r\n"
         "＜横2枚目、縦1枚目＞\r\n白\r\n自\r\n白＝1,自＝1,\r\n<総計>\r\n黒＝1,白＝4,自＝1,\r\n")
            .toLocal8Bit());
    EXPECT_EQ(readBytes(base + ".csv"),
              (csvHeader() + "\r\n1,1,1,3,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n"
                             "2,1,0,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1\r\n")
                  .toLocal8Bit());
    auto bitmap = loadPictureFile(base + ".bmp");
    ASSERT_TRUE(bitmap.ok());
    EXPECT_EQ(*bitmap, picture);
    EXPECT_EQ(entries().size(), 3);
}

TEST_F(ReportFiles, ARefusedSheetSizeOrPictureWritesNothingAndKeepsEarlierFiles) {
    const QString base = dir_.filePath(QStringLiteral("cat"));
    const PixelBuffer picture = filledBuffer(4, 4, 0);
    for (SheetSize size :
         {SheetSize{0, 4}, SheetSize{4, 0}, SheetSize{-2, -2}, SheetSize{1, 1 << 24}}) {
        auto written = writeReportFiles(base, picture, table_, kDefaultSettingsLine, size);
        EXPECT_FALSE(written.ok()) << size.width << " x " << size.height;
        EXPECT_TRUE(entries().isEmpty());
    }
    EXPECT_FALSE(writeReportFiles(base, PixelBuffer(), table_, kDefaultSettingsLine, {1, 1}).ok());
    EXPECT_TRUE(entries().isEmpty());
    ASSERT_TRUE(writeTextLines(base + ".txt", {"earlier"}).ok());
    EXPECT_FALSE(writeReportFiles(base, picture, table_, kDefaultSettingsLine, {0, 0}).ok());
    EXPECT_EQ(readBytes(base + ".txt"), QByteArray("earlier\r\n"));
    EXPECT_EQ(entries(), QStringList{"cat.txt"});
}

TEST_F(ReportFiles, LongReportsAreWrittenBlockByBlockAsTheirLinesAreMade) {
    // 20,000 one-dot sheets: files of many blocks, the same bytes as the lines made at once.
    std::mt19937 random(3);
    PixelBuffer picture = filledBuffer(200, 100, 0);
    for (size_t i = 0; i < picture.size(); ++i)
        picture.data()[i] = tablePixel(table_, static_cast<int>(random() % 18));
    const QString base = dir_.filePath(QStringLiteral("long"));
    ASSERT_TRUE(writeReportFiles(base, picture, table_, kDefaultSettingsLine, {1, 1}).ok());
    const ColourNumberMap map = mapOf(picture, table_);
    const SheetGrid grid = gridOf(picture, 1, 1);
    auto joined = [](const QStringList& lines) {
        QByteArray bytes;
        for (const QString& line : lines)
            bytes += encodeLine(line) + "\r\n";
        return bytes;
    };
    const QByteArray text = joined(*textReportLines(kDefaultSettingsLine, map, grid));
    ASSERT_GT(text.size(), 10 << 16);  // ten blocks of 64 KiB
    EXPECT_EQ(readBytes(base + ".txt"), text);
    EXPECT_EQ(readBytes(base + ".csv"), joined(csvReportLines(map, grid)));
    // A sink that refuses a line (a failed write) ends the report there.
    for (int stopAt : {1, 2, 5000}) {
        int heard = 0;
        EXPECT_FALSE(forEachTextReportLine(kDefaultSettingsLine, map, grid,
                                           [&](const QString&) { return ++heard < stopAt; }));
        EXPECT_EQ(heard, stopAt);
        heard = 0;
        EXPECT_FALSE(
            forEachCsvReportLine(map, grid, [&](const QString&) { return ++heard < stopAt; }));
        EXPECT_EQ(heard, stopAt);
    }
}

TEST(ReportTarget, NamesTheReportsAfterThePictureStemInItsFolder) {
    // A relative path is taken from the current folder.
    auto relative = reportTarget(QStringLiteral("pics/cat.jpg"));
    ASSERT_TRUE(relative.ok());
    EXPECT_EQ(relative->folder,
              QDir::current().filePath(QStringLiteral("pics")) + QDir::separator());
    EXPECT_EQ(relative->base, QStringLiteral("cat"));
    for (const QString& path : {QStringLiteral("/絵/"), QStringLiteral("/絵/.face.jpg"), QString()})
        EXPECT_FALSE(reportTarget(path).ok()) << path.toStdString();
    EXPECT_EQ(reportTarget(QStringLiteral("/絵/cat.face.jpg"))->basePath(),
              QStringLiteral("/絵/cat"));
}

TEST(ReportNaming, AnyOfTheThreeFilesCountsAsAnEarlierReport) {
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("cat"));
    EXPECT_FALSE(reportFilesExist(base));
    for (const char* extension : {".txt", ".csv", ".bmp"}) {
        ASSERT_TRUE(test::writeBytes(base + extension, "x"));
        EXPECT_TRUE(reportFilesExist(base)) << extension;
        ASSERT_TRUE(QFile::remove(base + extension));
    }
    ASSERT_TRUE(test::writeBytes(base + ".jpg", "x"));
    EXPECT_FALSE(reportFilesExist(base));
}

TEST(ReportNaming, TheAutomaticBaseAppendsTheSecondsAndSkipsTakenNames) {
    QTemporaryDir dir;
    const ReportTarget target{dir.path() + QDir::separator(), QStringLiteral("cat")};
    ASSERT_TRUE(test::writeBytes(dir.filePath("cat.txt"), "earlier"));
    auto base = automaticBase(target, QTime(10, 0, 0, 500));
    ASSERT_TRUE(base.ok());
    EXPECT_EQ(*base, QStringLiteral("cat36000"));
    // A report saved at the same time of an earlier day is not replaced either.
    ASSERT_TRUE(test::writeBytes(dir.filePath("cat36000.bmp"), "earlier"));
    ASSERT_TRUE(test::writeBytes(dir.filePath("cat36001.csv"), "earlier"));
    base = automaticBase(target, QTime(10, 0, 0));
    ASSERT_TRUE(base.ok());
    EXPECT_EQ(*base, QStringLiteral("cat36002"));
    EXPECT_FALSE(automaticBase(target, QTime()).ok());
    EXPECT_EQ(*automaticBase(target, QTime(0, 0)), QStringLiteral("cat0"));  // midnight is a time
    // A thousand names are tried: the last of them is found, and none after it.
    for (int seconds = 36002; seconds < 36999; ++seconds)
        ASSERT_TRUE(test::writeBytes(dir.filePath(QString("cat%1.txt").arg(seconds)), "x"));
    EXPECT_EQ(*automaticBase(target, QTime(10, 0, 0)), QStringLiteral("cat36999"));
    ASSERT_TRUE(test::writeBytes(dir.filePath("cat36999.txt"), "x"));
    EXPECT_FALSE(automaticBase(target, QTime(10, 0, 0)).ok());
}

TEST(ReportNaming, SheetSizeTexts) {
    const auto size = parseSheetSize(u"30", u" 1 ");
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, 30);
    EXPECT_EQ(size->height, 1);
    EXPECT_FALSE(parseSheetSize(u"30", u"0").has_value());
    EXPECT_FALSE(parseSheetSize(u"x", u"20").has_value());
    // The question and the saved message: the colour information window's save tests.
}

}  // namespace
}  // namespace kirimo
