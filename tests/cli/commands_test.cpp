// kirimo-cli convert, report, edit, zigzag, sort and colour-sets on small bitmaps: what they
// write is what the libraries make.

#include <QFile>
#include <set>

#include "cli/cli_test.h"
#include "core/colour_sets.h"
#include "core/conversion_texts.h"
#include "core/text_file.h"
#include "imaging/filters.h"
#include "imaging/transforms.h"
#include "imaging/zigzag.h"
#include "support/conversion_reference.h"

namespace kirimo {
namespace {

using test::runCli;

class Commands : public test::CliFolder {};

// Smooth shading with some sharp edges, so that every filter changes something.
PixelBuffer shaded(int width, int height, int seed) {
    PixelBuffer picture = test::filledBuffer(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.at(x, y) = makePixel((x * 9 + seed * 31) % 256, (y * 13 + x * 3) % 256,
                                         ((x / 4 + y / 3 + seed) % 2) * 200 + 20);
    return picture;
}

TEST_F(Commands, ConvertWritesTheEngineResultAndPrintsTheUsage) {
    const PixelBuffer picture = shaded(9, 6, 0);
    const QString input = save("in.bmp", picture);
    const auto run = runOk({"convert", input, path("out.bmp"), "--palette", "18", "--space", "ycc",
                            "--method", "jjn", "--rate", "80", "--density", "10,20,5",
                            "--user-colour", "3366CC", "--usage"});
    ColourTable table;
    const int user[] = {0x33, 0x66, 0xCC};
    for (int c = 0; c < 3; ++c)
        table.setUserColourComponent(c, user[c]);
    ConversionSettings settings;
    settings.space = ColourSpace::Ycc;
    settings.weights = kJarvisJudiceNinkeWeights;
    settings.rate = 80;
    settings.density = {10, 20, 5};
    settings.usable.fill(true);
    const ConversionResult expected = test::referenceConversion(picture, table.palette(), settings);
    EXPECT_EQ(load(path("out.bmp")), expected.pixels);
    EXPECT_EQ(run.out.trimmed(), usageString(expected, 9, 6));
    // Chosen colours and weights of one's own: only 黒, 白 and 青 appear. The report of its
    // 3 x 2 sheets has them in its settings line and the dot picture beside it.
    runOk({"convert", input, path("three.bmp"), "--colours", "0,1,3", "--weights",
           "1,0,0,0,1,0,0,0,0,0,0,0", "--rate", "90", "--sheet", "4x4", "--report", path("r")});
    const PixelBuffer three = load(path("three.bmp"));
    EXPECT_EQ(std::set<Pixel>(three.data(), three.data() + three.size()),
              (std::set<Pixel>{0, 0xFFFFFF, 0x0000FF}));
    auto text = readTextLines(path("r.txt"));
    ASSERT_TRUE(text && QFile::exists(path("r.csv")));
    EXPECT_EQ(text->size(), 1 + 6 * 6 + 2);  // sheets of a heading, four lines and a blank
    EXPECT_EQ(text->first(), "RGB[90]1)0)0)0)1)0)0)0)0)0)0)0)R100%G100%B100%");
    EXPECT_EQ(load(path("r.bmp")), three);
}

// The layout of the report files is the report tests'; here, what the flags put in them.
TEST_F(Commands, ReportFillsTheSettingsLineFromItsFlagsAndWarnsAboutForeignDots) {
    // 5 x 3: a black and white chequerboard with the dot (4, 2) in the colour 0A141E.
    PixelBuffer picture = test::tableColours(5, 3, [](int x, int y) { return (x + y) % 2; });
    picture.at(4, 2) = makePixel(0x0A, 0x14, 0x1E);
    const QString input = save("converted.bmp", picture);
    const struct {
        QStringList flags;
        int lines;
        const char *settings, *last;
    } cases[] = {
        // As a packed value, the dot in 0A141E is nearest to 橙 (FF850B), not to 自 (808080).
        {{"--sheet", "3x2"},
         19,
         "RGB[100]7)0)0)3)5)1)0)0)0)0)0)0)R100%G100%B100%",
         "黒＝7,白＝7,橙＝1,"},
        // With it as the user colour, it is counted as 自.
        {{"--sheet", "5x3", "--space", "ycc", "--rate", "50", "--method", "jjn", "--density",
          "1,20,50", "--user-colour", "0a141e", "--palette", "18"},
         8,
         "YCC[50]7)5)3)5)7)5)3)1)3)5)3)1)R10%G200%B500%",
         "黒＝7,白＝7,自＝1,"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        const auto run = runOk(QStringList{"report", input, path("cat")} + c.flags);
        EXPECT_EQ(run.err.contains("warning: 1 of 15 dots are not colours of the colour table"),
                  c.lines == 19)
            << run.err.toStdString();
        auto text = readTextLines(path("cat.txt"));
        ASSERT_TRUE(text.ok() && QFile::exists(path("cat.csv")));
        ASSERT_EQ(text->size(), c.lines);
        EXPECT_EQ(text->first(), c.settings);
        EXPECT_EQ(text->last(), QString::fromUtf8(c.last));
        EXPECT_EQ(load(path("cat.bmp")), picture);
    }
    auto text = readTextLines(path("cat.txt"));
    EXPECT_EQ(text->at(2), "黒白黒白黒");
    EXPECT_EQ(text->at(4), "黒白黒白自");
}

TEST_F(Commands, EditAppliesEveryOperationInOrder) {
    const PixelBuffer picture = shaded(30, 22, 1);
    const auto run =
        runOk({"edit", save("in.bmp", picture), path("out.bmp"), "rotate-cw", "mirror", "flip",
               "rotate-ccw", "resize=45x25", "sharpen-weak", "sharpen-medium", "sharpen-strong",
               "blur", "average", "median", "emboss", "outline", "invert", "resize=21x20"});
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
    expected = *resizePicture(invertColours(expected), 21, 20);
    EXPECT_EQ(load(path("out.bmp")), expected);
}

TEST_F(Commands, ZigzagInterleavesCutsToTheSmallerSidesAndSaysTheStripCount) {
    const PixelBuffer a = shaded(70, 45, 4);
    const PixelBuffer b = shaded(64, 50, 5);
    const auto run = runOk({"zigzag", save("a.bmp", a), save("b.bmp", b), path("zig.bmp"),
                            "--offset-b", "-3,-2", "--strip", "7", "--offset-a", "5,4"});
    // 128 / 7 = 18.3; a negative offset counts as 0.
    EXPECT_EQ(run.out, "用紙は18列に分けられます\n");
    EXPECT_EQ(load(path("zig.bmp")), *interleaveStrips(a, b, {64, 45, 7, {5, 4}, {0, 0}}));
}

TEST_F(Commands, SortListsEachPictureInOrderAndNamesTheUnreadable) {
    const QString red =
        save("half red.bmp", test::makeBuffer({{0xF00000, 0xFFFFFF}, {0xF00000, 0xFFFFFF}}));
    const QString blue = save("blue.bmp", test::filledBuffer(3, 2, 0x0000FF));
    const QString broken = path("broken.bmp");
    ASSERT_TRUE(test::writeBytes(broken, "BM not a picture"));
    const auto run = runCli({"sort", blue, broken, red});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, QStringLiteral("3\t青\t%1\n2\t赤\t%2\n").arg(blue, red));
    EXPECT_TRUE(run.err.contains(broken)) << run.err.toStdString();
    runOk({"sort", red});
}

// A colour set's beads: listed by colour-sets, the only colours of a photograph converted
// in the set (by its id, or by the window's ColourSet.ini with the automatic binding), and
// named in the report's beads file and the chart's legend.
TEST_F(Commands, AColourSetsBeadsAreListedUsedCountedAndNamed) {
    const QStringList rows = runOk({"colour-sets"}).out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(rows.size(), 15);
    EXPECT_TRUE(rows.contains("hama\tHama midi (5 mm)\t92")) << rows.join('|').toStdString();
    const QStringList bound = runCli({"colour-sets", "hama"}).out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(bound.size(), 18);
    EXPECT_EQ(bound[0], "0\t黒\tH18\tBlack\t" + bound[0].section('\t', 4));
    // 自 is the nearest free bead to the user colour: a red, not the grey of 808080.
    const auto red = runCli({"colour-sets", "hama", "--user-colour", "FF0000"});
    EXPECT_NE(red.out.split('\n', Qt::SkipEmptyParts).value(17), bound[17]);
    std::set<QString> beads;
    for (const QString& row : bound)
        beads.insert(row.section('\t', 4));
    const auto lines = loadProductLines(beadColourFolder({}));
    const ProductLine* hama = findProductLine(lines, "hama");
    ASSERT_NE(hama, nullptr);
    const QString file = path("ColourSet.ini");
    ASSERT_TRUE(
        writeTextLines(
            file, colourSetLines({"hama", automaticBinding(hama->beads, {128, 128, 128})}, hama))
            .ok());
    const QString dots = path("colour-set.bmp");
    for (const QStringList& set :
         {QStringList{"--colour-set", "hama"}, QStringList{"--colour-set-file", file}}) {
        SCOPED_TRACE(set.join(' ').toStdString());
        const QString output = path(set[0].mid(2) + ".bmp");
        runOk(QStringList{"convert", KIRIMO_TEST_DATA_DIR "/../../samples/cat.jpg", output,
                          "--palette", "18", "--space", "cie"} +
              set);
        const PixelBuffer result = load(output);
        std::set<QString> used;
        for (size_t i = 0; i < result.size(); ++i) {
            const Pixel p = result.data()[i];
            used.insert(colourText(pixelRed(p), pixelGreen(p), pixelBlue(p)));
        }
        EXPECT_TRUE(std::includes(beads.begin(), beads.end(), used.begin(), used.end()));
        EXPECT_GT(used.size(), 8u);
    }
    EXPECT_EQ(test::readBytes(dots), test::readBytes(path("colour-set-file.bmp")));
    // The beads file: each bead of the set with its count and the sheets it is on.
    runOk({"report", dots, path("r"), "--sheet", "40x40", "--colour-set", "hama"});
    auto beadLines = readTextLines(path("r_beads.csv"));
    ASSERT_TRUE(beadLines.ok()) << beadLines.error();
    ASSERT_GE(beadLines->size(), 2);
    EXPECT_EQ(beadLines->first(), QStringLiteral("番号,色,ｺｰﾄﾞ,ﾋﾞｰｽﾞ,数,枚数"));
    const PixelBuffer picture = load(dots);
    const int sheets = ((picture.width() + 39) / 40) * ((picture.height() + 39) / 40);
    int64_t total = 0;
    QStringList codes;
    for (const QString& line : beadLines->mid(1)) {
        const QStringList f = line.split(',');
        ASSERT_EQ(f.size(), 6) << line.toStdString();
        EXPECT_EQ(f.mid(1, 3), bound[f[0].toInt()].split('\t').mid(1, 3));
        EXPECT_GE(f[5].toInt(), 1);
        EXPECT_LE(f[5].toInt(), sheets);
        total += f[4].toLongLong();
        codes << f[2];
    }
    EXPECT_EQ(total, int64_t{picture.width()} * picture.height());
    // The chart's legend names the same beads.
    runOk({"chart", dots, path("cat.pdf"), "--sheet", "40x40", "--pages", "1,1", "--legend",
           "--colour-set", "hama"});
    const QString legend = test::runTool("pdftotext", {"-f", "2", path("cat.pdf"), "-"});
    for (const QString& code : codes)
        EXPECT_TRUE(legend.contains(code)) << code.toStdString();
}

}  // namespace
}  // namespace kirimo
