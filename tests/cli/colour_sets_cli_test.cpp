// kirimo-cli with colour sets: the sets listed, their bindings, and conversions drawn only in
// the beads' colours.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <set>

#include "core/colour_sets.h"
#include "core/picture_file.h"
#include "core/text_file.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::runCli;

TEST(ColourSetsCli, ListsTheSetsAndTheBindingsOfOne) {
    const auto list = runCli({"colour-sets"});
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    const QStringList rows = list.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(rows.size(), 15);
    EXPECT_TRUE(rows.contains("hama\tHama midi (5 mm)\t92")) << list.out.toStdString();

    const auto hama = runCli({"colour-sets", "hama", "--user-colour", "FF0000"});
    ASSERT_EQ(hama.exitCode, 0) << hama.err.toStdString();
    const QStringList bound = hama.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(bound.size(), 18);
    EXPECT_EQ(bound[0], "0\t黒\tH18\tBlack\t" + bound[0].section('\t', 4));
    // 自 is the nearest free bead to the user colour: a red, not the grey of 808080.
    const auto grey = runCli({"colour-sets", "hama"});
    EXPECT_NE(bound[17], grey.out.split('\n', Qt::SkipEmptyParts)[17]);

    const auto unknown = runCli({"colour-sets", "bogus"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains("the known ones are: artkal_a")) << unknown.err.toStdString();
}

TEST(ColourSetsCli, AConversionInASetIsDrawnOnlyInItsBeads) {
    QTemporaryDir dir;
    const QString input = dir.filePath("in.bmp");
    ASSERT_TRUE(savePictureBmp(input, test::randomPicture(40, 30, 11)).ok());
    const auto binding = runCli({"colour-sets", "perler"});
    std::set<QString> beads;
    for (const QString& row : binding.out.split('\n', Qt::SkipEmptyParts))
        beads.insert(row.section('\t', 4));

    // The window's file with the automatic binding converts as --colour-set does.
    const auto lines = loadProductLines(beadColourFolder({}));
    const ProductLine* perler = findProductLine(lines, "perler");
    ASSERT_NE(perler, nullptr);
    const QString file = dir.filePath("ColourSet.ini");
    ASSERT_TRUE(writeTextLines(
                    file, colourSetLines(
                              {"perler", automaticBinding(perler->beads, {128, 128, 128})}, perler))
                    .ok());
    for (const QStringList& set :
         {QStringList{"--colour-set", "perler"}, QStringList{"--colour-set-file", file}}) {
        SCOPED_TRACE(set.join(' ').toStdString());
        const QString output = dir.filePath(set[0].mid(2) + ".bmp");
        const auto run = runCli(
            QStringList{"convert", input, output, "--palette", "18", "--space", "cie"} + set);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        auto result = loadPictureFile(output);
        ASSERT_TRUE(result.ok());
        std::set<QString> used;
        for (size_t i = 0; i < result->size(); ++i) {
            const Pixel p = result->data()[i];
            used.insert(colourText(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF));
        }
        EXPECT_TRUE(std::includes(beads.begin(), beads.end(), used.begin(), used.end()));
        EXPECT_GT(used.size(), 8u);
    }
    EXPECT_EQ(test::readBytes(dir.filePath("colour-set.bmp")),
              test::readBytes(dir.filePath("colour-set-file.bmp")));

    ASSERT_TRUE(test::writeBytes(file, "perler\r\nNOT-A-CODE\r\n"));
    const auto bad = runCli({"convert", input, dir.filePath("bad.bmp"), "--colour-set-file", file});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains("is not a usable colour set file")) << bad.err.toStdString();
}

TEST(ColourSetsCli, ThePhotographsBeadsFileAndLegendNameTheBeads) {
    QTemporaryDir dir;
    const QString photo = QStringLiteral(KIRIMO_TEST_DATA_DIR "/../../samples/cat.jpg");
    const QString dots = dir.filePath("cat.bmp");
    ASSERT_EQ(runCli({"convert", photo, dots, "--palette", "18", "--colour-set", "hama"}).exitCode,
              0);
    const auto report =
        runCli({"report", dots, dir.filePath("r"), "--sheet", "40x40", "--colour-set", "hama"});
    ASSERT_EQ(report.exitCode, 0) << report.err.toStdString();
    auto lines = readTextLines(dir.filePath("r_beads.csv"));
    ASSERT_TRUE(lines.ok()) << lines.error();
    ASSERT_GE(lines->size(), 2);
    EXPECT_EQ(lines->first(), QStringLiteral("番号,色,ｺｰﾄﾞ,ﾋﾞｰｽﾞ,数,枚数"));
    const QStringList bindings =
        runCli({"colour-sets", "hama"}).out.split('\n', Qt::SkipEmptyParts);
    const auto picture = loadPictureFile(dots);
    ASSERT_TRUE(picture.ok());
    const int sheets = ((picture->width() + 39) / 40) * ((picture->height() + 39) / 40);
    int64_t total = 0;
    QStringList codes;
    for (const QString& line : lines->mid(1)) {
        const QStringList f = line.split(',');
        ASSERT_EQ(f.size(), 6) << line.toStdString();
        const QStringList bound = bindings[f[0].toInt()].split('\t');
        EXPECT_EQ(f.mid(1, 3), bound.mid(1, 3)) << "number, name, code and bead as listed";
        EXPECT_GE(f[5].toInt(), 1);
        EXPECT_LE(f[5].toInt(), sheets);
        total += f[4].toLongLong();
        codes << f[2];
    }
    EXPECT_EQ(total, int64_t{picture->width()} * picture->height());
    // The Part's files are there as for the standard set.
    for (const char* ext : {".txt", ".csv", ".bmp"})
        EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("r") + ext))) << ext;

    const QString pdf = dir.filePath("cat.pdf");
    ASSERT_EQ(runCli({"chart", dots, pdf, "--sheet", "40x40", "--pages", "1,1", "--legend",
                      "--colour-set", "hama", "--seed", "1"})
                  .exitCode,
              0);
    const QString legend = test::runTool("pdftotext", {"-f", "2", pdf, "-"});
    for (const QString& code : codes)
        EXPECT_TRUE(legend.contains(code)) << code.toStdString();
}

}  // namespace
}  // namespace kirimo
