// The renderer: millimetres to device pixels, the text's top-left convention, lines,
// lossless pictures, and PDF files read back with poppler's tools.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include "printing/page_renderer.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace kirimo::printing {
namespace {

constexpr double kDpi = 254.0;  // 10 pixels per mm

// Dark pixels of the image inside [x0, x1) x [y0, y1).
int darkPixels(const QImage& image, int x0, int y0, int x1, int y1) {
    return test::countPixels(image, x0, y0, x1, y1, [](QRgb p) { return qGray(p) < 128; });
}

// A 3 x 2 picture of uneven colours.
const QImage checkerPicture = test::oddPictures().first;

TEST(PageRenderer, PaintsMillimetresAtTheDeviceResolution) {
    Page page;
    page.items.push_back(FilledRectItem{QRectF(1, 1, 2, 3), Qt::black});
    page.items.push_back(PictureItem{checkerPicture, QRectF(10, 1, 3, 2)});  // 10 px a pixel
    page.items.push_back(LineItem{QPointF(0, 8), QPointF(20, 8), LineStyle::Solid, 0.0, Qt::black});
    page.items.push_back(
        LineItem{QPointF(0, 9), QPointF(20, 9), LineStyle::Dotted, 0.0, Qt::black});
    page.items.push_back(
        LineItem{QPointF(0, 11), QPointF(20, 11), LineStyle::Solid, 0.5, Qt::black});
    const TextFont font{"ＭＳ ゴシック", 12, false, false};
    page.items.push_back(TextItem{"黒", font, Qt::black, QPointF(5, 13)});
    page.items.push_back(TextItem{"黒", TextFont{"x", 0}, Qt::black, QPointF(15, 13)});
    const QImage image = renderPageImage(page, 250, 250, kDpi);
    ASSERT_EQ(image.size(), QSize(250, 250));
    EXPECT_EQ(darkPixels(image, 10, 10, 30, 40), 20 * 30);
    EXPECT_EQ(darkPixels(image, 0, 0, 250, 10), 0);
    // Each pixel of the picture a square of 10 x 10, its edges included.
    EXPECT_EQ(image.copy(100, 10, 30, 20), checkerPicture.scaled(30, 20));
    // The thinnest line is one pixel; dotted leaves gaps; 0.5 mm is five pixels.
    EXPECT_GE(darkPixels(image, 0, 79, 200, 82), 195);
    EXPECT_LE(darkPixels(image, 0, 79, 200, 82), 205);
    const int dotted = darkPixels(image, 0, 89, 200, 92);
    EXPECT_GT(dotted, 40);
    EXPECT_LT(dotted, 120);
    EXPECT_GE(darkPixels(image, 0, 107, 200, 114), 5 * 195);
    EXPECT_EQ(darkPixels(image, 0, 104, 200, 106), 0);
    // The text's line box starts at its position: ink below and right of (5, 13) mm,
    // within the box the device measures; no text at 0 points.
    const TextExtent box = deviceTextMeasure(image)(font, "黒");
    EXPECT_NEAR(box.width, 12 * 25.4 / 72, 0.3);  // a full-width character is about 1 em
    EXPECT_EQ(darkPixels(image, 0, 115, 250, 130), 0);
    EXPECT_EQ(darkPixels(image, 40, 130, 50, 250), 0);
    EXPECT_GT(darkPixels(image, 50, 130, 50 + int(box.width * 10), 130 + int(box.height * 10)),
              100);
    EXPECT_EQ(darkPixels(image, 140, 120, 250, 250), 0);
}

using test::runTool;

TEST(PageRenderer, PdfPagesKeepPicturesLosslessAndTextInPlace) {
    QTemporaryDir dir;
    PagePlan plan;
    plan.orientation = PageOrientation::Landscape;
    for (int i = 0; i < 3; ++i) {
        Page page;
        page.items.push_back(PictureItem{checkerPicture, QRectF(20, 30, 8, 6)});
        page.items.push_back(
            TextItem{QString("P%1").arg(i + 1), {"DejaVu Sans", 20}, Qt::black, QPointF(100, 50)});
        plan.pages.push_back(page);
    }
    const QString path = dir.filePath("plan.pdf");
    ASSERT_TRUE(writePlanPdf(plan, path, "test"));
    EXPECT_EQ(test::pdfPages(path), 3);
    // A4 landscape, in the whole points a PDF page of Qt has.
    EXPECT_TRUE(
        runTool("pdfinfo", {path}).contains(QRegularExpression("Page size:\\s+842 x 595 pts")));
    // The text's top-left is 100 x 50 mm, its box the font's height, so the word's box
    // starts at 100 mm and lies within that band.
    const auto words = test::pdfWords(path, 2);
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0].text, "P2");
    const TextExtent box =
        deviceTextMeasure(QPdfWriter(dir.filePath("x.pdf")))({"DejaVu Sans", 20}, "P2");
    EXPECT_NEAR(words[0].box.left(), 100, 0.5);
    EXPECT_GE(words[0].box.top(), 50 - 0.1);
    EXPECT_LE(words[0].box.bottom(), 50 + box.height + 0.1);
    // The picture comes back pixel for pixel, stored once for the three pages.
    const QString list = runTool("pdfimages", {"-list", path});
    for (int page = 1; page <= 3; ++page)
        EXPECT_EQ(test::pdfImagesOnPage(list, page, {3, 2}), 1) << page;
    runTool("pdfimages", {"-png", "-f", "1", "-l", "1", path, dir.filePath("img")});
    EXPECT_EQ(QImage(dir.filePath("img-000.png")).convertToFormat(QImage::Format_RGB32),
              checkerPicture);
}

// Takes `room` bytes, then fails every write as a full disk does.
class FullDevice : public QIODevice {
  public:
    explicit FullDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }
    QByteArray bytes;

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (bytes.size() + size > room_) {
            errno = ENOSPC;
            return -1;
        }
        bytes.append(data, size);
        return size;
    }

  private:
    qint64 room_;
};

// `count` pages, each made when asked for, with a line of text and a picture.
class CountingPages : public PageSource {
  public:
    explicit CountingPages(int count) : count_(count) {}
    int made = 0;
    QSizeF paperSizeMm() const override { return {kA4ShortSideMm, kA4LongSideMm}; }
    PageOrientation orientation() const override { return PageOrientation::Portrait; }
    int64_t pageCount() const override { return count_; }
    std::optional<Page> next() override {
        if (made == count_)
            return std::nullopt;
        Page page;
        page.items.push_back(TextItem{
            QString("page %1").arg(++made), {"DejaVu Sans", 20}, Qt::black, QPointF(20, 20)});
        page.items.push_back(PictureItem{checkerPicture, QRectF(20, 40, 80, 60)});
        return page;
    }

  private:
    int count_;
};

TEST(PageRenderer, PdfIsWrittenAsPagesComeAndAFailedWriteStopsIt) {
    const struct {
        qint64 room;
        bool ok;
    } cases[] = {{qint64{1} << 30, true}, {0, false}, {3000, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.room);
        CountingPages pages(40);
        FullDevice device(c.room);
        auto painted = paintPdf(pages, device, "t");
        EXPECT_EQ(painted.ok(), c.ok);
        if (c.ok) {
            EXPECT_EQ(pages.made, 40);
            EXPECT_TRUE(device.bytes.startsWith("%PDF"));
            QTemporaryDir dir;
            const QString path = dir.filePath("streamed.pdf");
            ASSERT_TRUE(test::writeBytes(path, device.bytes));
            EXPECT_EQ(test::pdfPages(path), 40);
        } else {
            EXPECT_THAT(painted.error(), testing::HasSubstr(std::strerror(ENOSPC)));
            EXPECT_LT(pages.made, 40);  // the pages after the failed write are not made
        }
    }
}

// A PDF without pages, or one that cannot be written, replaces nothing; a whole one does.
TEST(PageRenderer, APdfReplacesAFileOnlyWhenWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("chart.pdf");
    EXPECT_FALSE(writePlanPdf(PagePlan{}, path, "t"));
    EXPECT_FALSE(QFile::exists(path));
    PagePlan plan;
    plan.pages.resize(1);
    EXPECT_FALSE(writePlanPdf(plan, dir.filePath("no/such/folder.pdf"), "t"));
    QPdfWriter writer(dir.filePath("unopened.pdf"));
    EXPECT_TRUE(renderPlan(PagePlan{}, writer));  // a plan without pages opens no device
    ASSERT_TRUE(test::writeBytes(path, "earlier"));
    CountingPages none(0);
    EXPECT_FALSE(writePagesPdf(none, path, "t"));
    EXPECT_EQ(test::readBytes(path), "earlier");
    CountingPages pages(3);
    ASSERT_TRUE(writePagesPdf(pages, path, "t"));
    EXPECT_EQ(test::pdfPages(path), 3);
}

}  // namespace
}  // namespace kirimo::printing
