// kirimo-cli holds about one page (or one sheet's lines) whatever the length of what it
// writes: its peak memory, measured on runs long enough for a whole-document plan to show,
// stays under a bound that such a plan would pass.

#include <QBuffer>

#include "cli/cli_test.h"
#include "core/symbol_settings_file.h"
#include "core/text_file.h"
#include "support/peak_memory.h"

namespace kirimo {
namespace {

// A converted picture: every dot 黒 or 白 at random.
PixelBuffer blackAndWhite(int width, int height) {
    PixelBuffer picture = test::randomPicture(width, height, 11);
    for (size_t i = 0; i < picture.size(); ++i)
        picture.data()[i] = (picture.data()[i] & 1) ? 0xFFFFFF : 0x000000;
    return picture;
}

class BoundedMemory : public test::CliFolder {
  protected:
    void SetUp() override {
#if defined(__SANITIZE_ADDRESS__)
        // AddressSanitizer keeps freed memory in quarantine: peaks say nothing there.
        GTEST_SKIP() << "peak memory is not measured under AddressSanitizer";
#endif
        CliFolder::SetUp();
    }
    // The run succeeded, wrote `output` and peaked below `boundMb`.
    static void expectBounded(const test::MeasuredRun& run, const QString& output, long boundMb) {
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_GT(QFileInfo(output).size(), 0);
        ASSERT_GT(run.peakKb, 0);
        EXPECT_LT(run.peakKb, boundMb * 1024) << "peak " << run.peakKb / 1024 << " MB";
    }
};

// 1,602 pages of a million picture cells: every page of the plan at once took 150 MB
// (36 MB page by page).
TEST_F(BoundedMemory, ChartOfManyPagesIsWrittenPageByPage) {
    ASSERT_TRUE(savePictureBmp(path("in.bmp"), blackAndWhite(1000, 1000)));
    QImage small(2, 2, QImage::Format_RGB32);
    small.fill(Qt::red);
    ASSERT_TRUE(savePictureBmp(path("dot.bmp"), small));
    SymbolSettings symbols;
    applyDefaultSymbols(symbols);
    for (int k : {0, 1})
        symbols.colours[k].pictures[0] = {path("dot.bmp"), true};
    ASSERT_TRUE(writeSymbolSettings(dir.path(), symbols));
    const QString pdf = path("chart.pdf");
    const auto run = test::runCliMeasured({"chart", path("in.bmp"), pdf, "--sheet", "25x25",
                                           "--pictures", "--symbols", path("CodeUsePrint.ini"),
                                           "--cover", "--legend", "--seed", "1"});
    expectBounded(run, pdf, 80);
    EXPECT_EQ(test::pdfPages(pdf), 1602);
}

// 2,000 sheets of 609 stickers each: the whole plan took 140 MB (20 MB page by page).
TEST_F(BoundedMemory, StickerSheetsAreWrittenPageByPage) {
    ASSERT_TRUE(savePictureBmp(path("in.bmp"), blackAndWhite(12, 8)));
    const QString pdf = path("stickers.pdf");
    expectBounded(test::runCliMeasured({"stickers", pdf, path("in.bmp"), "--sheets", "2000"}), pdf,
                  60);
}

// 200,000 sheets of one dot: every line of the report at once took 117 MB (19 MB line by
// line).
TEST_F(BoundedMemory, ReportOfOneDotSheetsIsWrittenLineByLine) {
    ASSERT_TRUE(savePictureBmp(path("in.bmp"), blackAndWhite(500, 400)));
    const auto run = test::runCliMeasured({"report", path("in.bmp"), path("r"), "--sheet", "1x1"});
    expectBounded(run, path("r.txt"), 50);
    // The header and one line per sheet.
    auto csv = readTextLines(path("r.csv"));
    ASSERT_TRUE(csv);
    EXPECT_EQ(csv->size(), 1 + 200000);
    EXPECT_EQ(csv->last().left(8), QStringLiteral("500,400,"));
}

// A photograph turned by its EXIF orientation is decoded into an image of the reader's
// own: it is taken as it is, and the buffer made for the declared size goes before the
// pixels are copied. Copying it once more beside that buffer held one picture more.
TEST_F(BoundedMemory, ATurnedPhotographIsNotCopiedAgain) {
    QImage photo(3000, 2000, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    QByteArray jpeg;
    QBuffer out(&jpeg);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && photo.save(&out, "JPG", 90));
    // The orientation segment (turn 90 degrees) of a small turned photograph, after SOI.
    const QByteArray small =
        test::readBytes(KIRIMO_TEST_DATA_DIR "/landscape_4x2_exif_rotate90.jpg");
    ASSERT_EQ(small.mid(2, 2), QByteArray("\xFF\xE1"));
    jpeg.insert(2, small.mid(2, 36));
    ASSERT_TRUE(test::writeBytes(path("turned.jpg"), jpeg));
    const auto run = test::runCliMeasured({"edit", path("turned.jpg"), path("out.bmp"), "flip"});
    expectBounded(run, path("out.bmp"), 104);  // 93 MB; 115 MB with the extra copy
    const QImage turned(path("out.bmp"));
    EXPECT_EQ(turned.size(), QSize(2000, 3000));
}

}  // namespace
}  // namespace kirimo
