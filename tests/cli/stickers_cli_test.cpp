// kirimo-cli stickers end to end: PDFs read back with poppler's tools.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <tuple>

#include "core/picture_file.h"
#include "support/cli_runner.h"

namespace kirimo {
namespace {

using test::runCli;
using test::runTool;

class StickersCli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        std::tie(a, b) = test::oddPictures();
        ASSERT_TRUE(savePictureBmp(path("a.bmp"), a));
        ASSERT_TRUE(savePictureBmp(path("b.bmp"), b));
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    QImage a, b;
};

TEST_F(StickersCli, EveryPictureFillsItsSheetsPixelForPixel) {
    const QString pdf = path("stickers.pdf");
    const auto run = runCli({"stickers", pdf, path("a.bmp"), path("b.bmp"), "--size", "60x50",
                             "--sheets", "2", "--landscape", "--margin", "0"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString info = runTool("pdfinfo", {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+4\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+842 x 595 pts")))
        << info.toStdString();

    // 297 x 210 mm by 60 x 50 mm: 4 across, 4 down on every page.
    const QString list = runTool("pdfimages", {"-list", pdf});
    for (int page = 1; page <= 4; ++page) {
        const QSize size = page <= 2 ? a.size() : b.size();
        const QRegularExpression placed(QString("\\n\\s+%1\\s+\\d+\\s+image\\s+%2\\s+%3 ")
                                            .arg(page)
                                            .arg(size.width())
                                            .arg(size.height()));
        EXPECT_EQ(list.count(placed), 16) << "page " << page << "\n" << list.toStdString();
    }
    runTool("pdfimages", {"-png", "-f", "1", "-l", "1", pdf, path("p1")});
    runTool("pdfimages", {"-png", "-f", "3", "-l", "3", pdf, path("p3")});
    test::expectSamePixels(QImage(path("p1-000.png")), a);
    test::expectSamePixels(QImage(path("p3-000.png")), b);
}

// Dark pixels in a part of page 1 rendered at 10 pixels per mm.
int darkPixels(const QImage& page, QRect area) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            dark += qGray(page.pixel(x, y)) < 128;
    }
    return dark;
}

TEST_F(StickersCli, CutLinesShowInTheGapsAlongTheCellEdges) {
    QImage white(4, 4, QImage::Format_RGB32);
    white.fill(Qt::white);
    ASSERT_TRUE(savePictureBmp(path("white.bmp"), white));
    for (bool lines : {true, false}) {
        const QString pdf = path(lines ? "lines.pdf" : "plain.pdf");
        QStringList args{"stickers", pdf, path("white.bmp"), "--size", "60x50", "--margin", "0"};
        if (lines)
            args << "--cut-lines";
        ASSERT_EQ(runCli(args).exitCode, 0);
        runTool("pdftoppm", {"-r", "254", "-png", "-singlefile", pdf, path("page")});
        const QImage page = QImage(path("page.png")).convertToFormat(QImage::Format_RGB32);
        ASSERT_GE(page.width(), 2100);
        ASSERT_GE(page.height(), 2970);
        // The bottom gap of row 0 (49..50 mm): the vertical line at x = 60 mm crosses it,
        // nothing between 61 and 119 mm.
        EXPECT_EQ(darkPixels(page, QRect(596, 491, 8, 8)) > 0, lines);
        EXPECT_EQ(darkPixels(page, QRect(610, 491, 580, 8)), 0);
        // The right gap of column 0 (59..60 mm): the line at y = 50 mm.
        EXPECT_EQ(darkPixels(page, QRect(591, 496, 8, 8)) > 0, lines);
        // No vertical line at the far edge of the third column (180 mm), between the rows' lines.
        EXPECT_EQ(darkPixels(page, QRect(1796, 100, 8, 300)), 0);
    }
}

TEST_F(StickersCli, BadArgumentsAreRefusedAndNothingIsWritten) {
    QFile::copy(path("a.bmp"), path("broken.jpg"));
    QFile broken(path("broken.jpg"));
    ASSERT_TRUE(broken.resize(20));
    const QString pdf = path("never.pdf");
    const QStringList cases[] = {
        {pdf},
        {pdf, path("a.bmp"), "--size", "0x10"},
        {pdf, path("a.bmp"), "--size", "10"},
        {pdf, path("a.bmp"), "--size", "211x10"},
        {pdf, path("a.bmp"), "--size", "10x211", "--landscape"},
        {pdf, path("a.bmp"), "--sheets", "0"},
        {pdf, path("a.bmp"), "--sheets", "x"},
        {pdf, path("a.bmp"), "--frame"},
        {pdf, path("a.bmp"), path("missing.bmp")},
        {pdf, path("a.bmp"), path("broken.jpg")},
    };
    for (const QStringList& args : cases) {
        const auto run = runCli(QStringList{"stickers"} + args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
        EXPECT_FALSE(QFile::exists(pdf)) << args.join(' ').toStdString();
    }
    // The largest sticker that fits is accepted.
    EXPECT_EQ(runCli({"stickers", pdf, path("a.bmp"), "--size", "297x210", "--landscape",
                      "--margin", "0"})
                  .exitCode,
              0);
}

}  // namespace
}  // namespace kirimo

namespace kirimo {
namespace {

TEST_F(StickersCli, JobsOfTooManyPagesAndStickersWithoutRoomAreRefused) {
    const QString pdf = path("never.pdf");
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{path("a.bmp"), "--sheets", "10001"}, "would have 10001 pages, more than the 10000"},
        {{path("a.bmp"), path("b.bmp"), "--sheets", "5001"}, "would have 10002 pages"},
        {{path("a.bmp"), "--sheets", "2147483647"}, "2147483647 pages"},
        {{path("a.bmp"), "--size", "1x1"}, "--size 1x1 leaves no room for the picture"},
        {{path("a.bmp"), "--size", "20x1"}, "at least 2 mm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const auto run = runCli(QStringList{"stickers", pdf} + c.args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.message))) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(pdf));
    }
    // The smallest sticker with room, and the most pages, are accepted.
    ASSERT_EQ(runCli({"stickers", pdf, path("a.bmp"), "--size", "2x200", "--margin", "0"}).exitCode,
              0);
    const QString list = runTool("pdfimages", {"-list", pdf});
    EXPECT_EQ(list.count(QRegularExpression("\\n\\s+1\\s+\\d+\\s+image ")), 105);
}

}  // namespace
}  // namespace kirimo
