// kirimo-cli edit and zigzag, run as a separate process on small bitmaps.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "core/picture_file.h"
#include "imaging/filters.h"
#include "imaging/transforms.h"
#include "imaging/zigzag.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::CliRun;
using test::runCli;

// Smooth shading with some sharp edges, so that every filter changes something.
PixelBuffer samplePicture(int width, int height, int seed) {
    PixelBuffer picture = test::filledBuffer(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.at(x, y) = makePixel((x * 9 + seed * 31) % 256, (y * 13 + x * 3) % 256,
                                         ((x / 4 + y / 3 + seed) % 2) * 200 + 20);
    return picture;
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString path(const QString& name) const { return dir_.filePath(name); }

    QString save(const QString& name, const PixelBuffer& picture) const {
        const QString file = path(name);
        EXPECT_TRUE(savePictureBmp(file, picture).ok());
        return file;
    }

    static PixelBuffer load(const QString& file) {
        auto loaded = loadPictureFile(file);
        EXPECT_TRUE(loaded.ok()) << (loaded.ok() ? "" : loaded.error());
        return loaded.ok() ? std::move(loaded).value() : PixelBuffer();
    }

    // A failed run reports on stderr, exits with 2 and leaves the output as it was.
    void expectRefused(const QStringList& args, const QString& output, const QString& hint) {
        test::writeBytes(output, "earlier file");
        const CliRun run = runCli(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(hint, Qt::CaseInsensitive))
            << run.err.toStdString() << " lacks " << hint.toStdString();
        EXPECT_EQ(test::readBytes(output), QByteArray("earlier file"));
    }

  private:
    QTemporaryDir dir_;
};

// --- edit ------------------------------------------------------------------------------

TEST_F(CliTest, EditAppliesEveryOperationInOrder) {
    const PixelBuffer picture = samplePicture(30, 22, 1);
    const QString input = save("in.bmp", picture);
    const QString output = path("out.bmp");
    const CliRun run =
        runCli({"edit", input, output, "rotate-cw", "mirror", "flip", "rotate-ccw", "resize=45x25",
                "sharpen-weak", "sharpen-medium", "sharpen-strong", "blur", "average", "median",
                "emboss", "outline", "invert", "resize=21x20"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());

    PixelBuffer expected =
        rotateCounterClockwise(flipVertical(mirrorHorizontal(rotateClockwise(picture))));
    expected = *resizePicture(expected, 45, 25);
    for (WeightedFilter filter :
         {WeightedFilter::SharpenWeak, WeightedFilter::SharpenMedium, WeightedFilter::SharpenStrong,
          WeightedFilter::Blur, WeightedFilter::Average})
        expected = applyWeightedFilter(expected, filter);
    expected = applyMedianFilter(expected);
    expected = applyWeightedFilter(expected, WeightedFilter::Emboss);
    expected = applyWeightedFilter(expected, WeightedFilter::Outline);
    expected = invertColours(expected);
    expected = *resizePicture(expected, 21, 20);
    EXPECT_EQ(load(output), expected);
}

TEST_F(CliTest, EditTurnChangesTheSize) {
    const PixelBuffer picture = samplePicture(30, 22, 2);
    const QString file = save("picture.bmp", picture);
    ASSERT_EQ(runCli({"edit", file, path("turned.bmp"), "rotate-cw"}).exitCode, 0);
    EXPECT_EQ(load(path("turned.bmp")), rotateClockwise(picture));
}

TEST_F(CliTest, EditRefusesBadRequestsAndWritesNothing) {
    const QString input = save("in.bmp", samplePicture(30, 22, 3));
    const QString output = path("out.bmp");
    expectRefused({"edit", input, output, "flip", "sharpen"}, output, "unknown operation");
    expectRefused({"edit", input, output, "resize=19x400"}, output, "at least 20");
    expectRefused({"edit", input, output, "resize=400x19"}, output, "at least 20");
    for (const char* size : {"resize=40", "resize=40x", "resize=+40x40", "resize=40x40.5",
                             "resize= 40x40", "resize=-40x40", "resize=99999999999x40"})
        expectRefused({"edit", input, output, size}, output, "WxH");
    expectRefused({"edit", input, output, "resize=60000x60000"}, output, "too large");
    expectRefused({"edit", path("missing.bmp"), output, "flip"}, output, "missing.bmp");
    expectRefused({"edit", input, output}, output, "usage");

    const QString notBmp = path("out.png");
    expectRefused({"edit", input, notBmp, "flip"}, notBmp, ".bmp");
}

// --- zigzag ----------------------------------------------------------------------------

TEST_F(CliTest, ZigzagReportsTheStripCountAndInterleaves) {
    const PixelBuffer a = samplePicture(60, 40, 4);
    const PixelBuffer b = samplePicture(60, 40, 5);
    const QString output = path("zig.bmp");
    const CliRun run =
        runCli({"zigzag", save("a.bmp", a), save("b.bmp", b), output, "--strip", "10"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("用紙は12列に分けられます\n"));
    EXPECT_EQ(load(output), *interleaveStrips(a, b, ZigzagRequest{60, 40, 10, {}, {}}));
}

TEST_F(CliTest, ZigzagCutsToTheSmallerSidesWithOffsetsAndAPartialPair) {
    const PixelBuffer a = samplePicture(70, 45, 6);
    const PixelBuffer b = samplePicture(64, 50, 7);
    const QString output = path("zig.bmp");
    const CliRun run = runCli({"zigzag", save("a.bmp", a), save("b.bmp", b), output, "--offset-b",
                               "-3,-2", "--strip", "7", "--offset-a", "5,4"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("用紙は18列に分けられます\n"));  // 128 / 7 = 18.3
    const PixelBuffer result = load(output);
    EXPECT_EQ(result.width(), 128);
    EXPECT_EQ(result.height(), 45);
    EXPECT_EQ(result, *interleaveStrips(a, b, ZigzagRequest{64, 45, 7, {5, 4}, {0, 0}}));
    // The last pair holds one column of each: A's column 63 + 5, B's column 63 (a
    // negative offset counts as 0).
    EXPECT_EQ(result.at(126, 0), a.at(68, 4));
    EXPECT_EQ(result.at(127, 0), b.at(63, 0));
}

TEST_F(CliTest, ZigzagRefusesBadRequestsAndWritesNothing) {
    const QString a = save("a.bmp", samplePicture(20, 10, 8));
    const QString b = save("b.bmp", samplePicture(20, 10, 9));
    const QString output = path("zig.bmp");
    for (const char* strip : {"0", "-4", "2.5", "abc", ""})
        expectRefused({"zigzag", a, b, output, "--strip", strip}, output, "positive whole number");
    expectRefused({"zigzag", a, b, output}, output, "usage");
    expectRefused({"zigzag", a, b, output, "--strip", "5", "--offset-a", "1;2"}, output, "X,Y");
    expectRefused({"zigzag", a, b, output, "--strip", "5", "--offset-b", "1,"}, output, "X,Y");
    expectRefused({"zigzag", a, b, output, "--strip", "5", "--strip", "6"}, output, "twice");
    expectRefused({"zigzag", a, b, output, "--strip", "5", "--width", "6"}, output,
                  "unknown option");
    expectRefused({"zigzag", a, path("none.bmp"), output, "--strip", "5"}, output, "none.bmp");
    expectRefused({"zigzag", a, b, output, "--strip"}, output, "needs a value");
    expectRefused({"zigzag", a, b, output, "--strip", "21"}, output,
                  "wider than the common width of the two pictures (20 pixels)");
}

}  // namespace
}  // namespace kirimo
