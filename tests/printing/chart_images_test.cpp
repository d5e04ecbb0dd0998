// Chart images: surface size, cell layout and the saved bitmaps with their names.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryDir>

#include "core/picture_file.h"
#include "printing/chart_images.h"
#include "printing/page_renderer.h"
#include "support/test_support.h"

namespace kirimo::printing {
namespace {

constexpr Pixel B = 0x000000;
constexpr Pixel W = 0xFFFFFF;
constexpr Pixel R = 0xFF0000;
constexpr double kMmPerPixel = 25.4 / 96;

struct Context {
    ColourTable table;
    SymbolSettings symbols;
    int draws = 0;
    Context() {
        for (int k = 0; k < kColourCount; ++k) {
            symbols.colours[k].characters = colourName(k);
            symbols.colours[k].flags = "1";
        }
    }
    ChartContext get(TextMeasure measure) {
        ChartContext c;
        c.colourTable = &table;
        c.symbols = &symbols;
        c.fallbackFontFamily = QString::fromUtf8(kLabelFontFamily);
        c.measure = std::move(measure);
        c.random = [this] {
            ++draws;
            return 0.0;
        };
        return c;
    }
};

// Every character 12 x 16 pixels of the surface, "." 4 pixels wide.
TextExtent fixedPixels(const TextFont&, const QString& text) {
    return {(text == "." ? 4 : 12) * kMmPerPixel, 16 * kMmPerPixel};
}

TEST(ChartImages, PlanPerSheetWithoutWhiteDots) {
    Context c;
    c.symbols.colours[2].flags = "0";  // 赤 without candidates: "."
    const PixelBuffer picture = test::makeBuffer({{B, W, R}, {W, B, W}, {R, R, R}});
    auto images =
        planChartImages(picture, {2, 2}, PageOrientation::Landscape, true, c.get(fixedPixels));
    ASSERT_TRUE(images) << images.error();
    EXPECT_EQ(images->widthPx, 12 * 210);
    EXPECT_EQ(images->heightPx, 16 * 297);
    EXPECT_EQ(images->suffixes, QStringList({"(1,1).bmp", "(2,1).bmp", "(1,2).bmp", "(2,2).bmp"}));
    ASSERT_EQ(images->plan.pages.size(), 4u);
    const auto& first = images->plan.pages[0].items;
    ASSERT_EQ(first.size(), 2u);  // the two black dots; white stays empty
    const auto& dot = std::get<TextItem>(first[1]);
    EXPECT_EQ(dot.text, "黒");
    EXPECT_EQ(dot.font, (TextFont{QString::fromUtf8(kLabelFontFamily), 9, false, false}));
    EXPECT_NEAR(dot.position.x() / kMmPerPixel, 12, 1e-9);
    EXPECT_NEAR(dot.position.y() / kMmPerPixel, 16, 1e-9);
    const auto& dotRed = std::get<TextItem>(images->plan.pages[1].items[0]);
    EXPECT_EQ(dotRed.text, ".");
    EXPECT_NEAR(dotRed.position.x() / kMmPerPixel, 4, 1e-9);  // (12 - 4) / 2
    EXPECT_EQ(dotRed.colour, QColor(255, 0, 0));
    EXPECT_EQ(images->plan.pages[2].items.size(), 2u);
    // Only dots with candidates draw a number.
    EXPECT_EQ(c.draws, 2);
    images = planChartImages(picture, {2, 2}, PageOrientation::Portrait, false, c.get(fixedPixels));
    ASSERT_TRUE(images);
    EXPECT_EQ(images->widthPx, 12 * 297);
    EXPECT_EQ(images->heightPx, 16 * 210);
    EXPECT_EQ(std::get<TextItem>(images->plan.pages[1].items[0]).colour, QColor(Qt::black));
    const TextMeasure nothing = [](const TextFont&, const QString&) { return TextExtent{}; };
    EXPECT_FALSE(
        planChartImages(picture, {2, 2}, PageOrientation::Portrait, false, c.get(nothing)));
}

TEST(ChartImages, SavedWholeInSheetOrder) {
    QTemporaryDir dir;
    Context c;
    const PixelBuffer picture =
        test::makeBuffer({{B, W, W, W}, {W, W, W, R}, {W, W, W, W}, {W, W, W, W}});
    auto images = planChartImages(picture, {2, 2}, PageOrientation::Landscape, true,
                                  c.get(chartImageTextMeasure()));
    ASSERT_TRUE(images) << images.error();
    const QString base = chartImageBase(dir.filePath("cat.jpg"), QTime(10, 0, 0));
    auto saved = saveChartImages(*images, base);
    ASSERT_TRUE(saved) << saved.error();
    const QStringList names = {"(1,1)", "(2,1)", "(1,2)", "(2,2)"};
    ASSERT_EQ(saved->size(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ((*saved)[i], dir.filePath("cat.jpg_Cnv36000" + names[i] + ".bmp"));
    auto first = loadPictureImage((*saved)[0]);
    ASSERT_TRUE(first) << first.error();
    EXPECT_EQ(first->size(), QSize(images->widthPx, images->heightPx));
    const int cw = images->widthPx / 210;
    const int ch = images->heightPx / 297;
    // Pixels of the image inside [x0, x1) x [y0, y1) that pass `test`.
    auto count = [](const QImage& image, int x0, int y0, int x1, int y1, auto test) {
        int n = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x)
                n += test(image.pixel(x, y)) ? 1 : 0;
        }
        return n;
    };
    auto notWhite = [](QRgb p) { return (p & 0xFFFFFF) != 0xFFFFFF; };
    auto black = [](QRgb p) { return qRed(p) < 100 && qGreen(p) < 100 && qBlue(p) < 100; };
    auto red = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 120 && qBlue(p) < 120; };
    // 黒 in its cell in black; nothing else on the first image.
    EXPECT_GT(count(*first, 0, 0, cw, ch, black), 5);
    EXPECT_EQ(count(*first, 0, 0, cw, ch, notWhite),
              count(*first, 0, 0, first->width(), first->height(), notWhite));
    auto second = loadPictureImage((*saved)[1]);
    ASSERT_TRUE(second);
    EXPECT_GT(count(*second, cw, ch, 2 * cw, 2 * ch, red), 5);  // 赤 in red
    EXPECT_EQ(count(*second, 0, 0, cw, 2 * ch, notWhite), 0);
    // A file that cannot be written stops the save with an error naming it.
    auto failed = saveChartImages(*images, dir.filePath("missing/base"));
    ASSERT_FALSE(failed);
    EXPECT_NE(failed.error().find("missing"), std::string::npos);
}

TEST(ChartImages, MadeOneAtATimeAndAFailedSaveNamesTheFilesWritten) {
    QTemporaryDir dir;
    Context c;
    const PixelBuffer picture = test::makeBuffer({{B, R, B}, {R, B, R}});
    auto images = ChartImages::create(picture, {1, 1}, PageOrientation::Landscape, false,
                                      c.get(chartImageTextMeasure()));
    ASSERT_TRUE(images) << images.error();
    EXPECT_EQ(images->count(), 6);
    EXPECT_EQ(images->suffix(4), "(2,2).bmp");
    EXPECT_EQ(images->fileBytes(), 54 + (images->widthPx() * 3 + 3) / 4 * 4 * images->heightPx());
    EXPECT_EQ(c.draws, 0);  // nothing drawn before the images are made
    ASSERT_TRUE(checkChartImagesFit(*images, dir.filePath("img")));
    // The third file's name is taken by a folder: the two before it stay and are named.
    const QString base = dir.filePath("img");
    ASSERT_TRUE(QDir(dir.path()).mkdir("img(3,1).bmp"));
    QStringList heard;
    auto saved = saveChartImages(*images, base, [&](const QString& path) { heard << path; });
    ASSERT_FALSE(saved);
    EXPECT_EQ(heard, QStringList({base + "(1,1).bmp", base + "(2,1).bmp"}));
    for (const QString& path : heard) {
        EXPECT_TRUE(QFileInfo(path).isFile());
        EXPECT_NE(saved.error().find(path.toStdString()), std::string::npos) << saved.error();
    }
    EXPECT_EQ(c.draws, 3);  // two images made, the third painted but not saved
    EXPECT_FALSE(QFileInfo::exists(base + "(1,2).bmp"));
}

TEST(ChartImages, TooManyImagesAreRefusedBeforeAnyIsMade) {
    QTemporaryDir dir;
    Context c;
    const PixelBuffer picture = test::filledBuffer(101, 100, B);
    auto images =
        ChartImages::create(picture, {1, 1}, PageOrientation::Portrait, false, c.get(fixedPixels));
    ASSERT_TRUE(images);
    auto fits = checkChartImagesFit(*images, dir.filePath("img"));
    ASSERT_FALSE(fits);
    EXPECT_NE(fits.error().find("10100 files, more than the 10000"), std::string::npos)
        << fits.error();
    // 10,000 images of 12 x 297 by 16 x 210 pixels, 36 MB each: 360 GB.
    auto most = ChartImages::create(test::filledBuffer(100, 100, B), {1, 1},
                                    PageOrientation::Portrait, false, c.get(fixedPixels));
    ASSERT_TRUE(most);
    const int64_t needed = int64_t{10000} * most->fileBytes();
    if (QStorageInfo(dir.path()).bytesAvailable() < needed) {
        fits = checkChartImagesFit(*most, dir.filePath("img"));
        ASSERT_FALSE(fits);
        EXPECT_NE(fits.error().find("free"), std::string::npos) << fits.error();
    }
    EXPECT_EQ(c.draws, 0);
}

}  // namespace
}  // namespace kirimo::printing
