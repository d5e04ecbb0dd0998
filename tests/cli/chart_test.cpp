// kirimo-cli chart, chart-images and stickers end to end: PDFs read back with poppler's tools.
// Where each dot goes and what it shows are the printing tests'; here, what the flags pick.

#include <QProcess>

#include "cli/cli_test.h"
#include "core/symbol_settings_file.h"

namespace kirimo {
namespace {

using test::pdfPages;
using test::pdfText;
using test::pdfWords;
using test::runTool;

class ChartCli : public test::CliFolder {
  protected:
    // 5 x 3 dots: in sheets of 3 x 2, four sheets, three partial.
    void SetUp() override {
        CliFolder::SetUp();
        saveChartInputs();
    }
    const QString input = path("dots.bmp");
};

TEST_F(ChartCli, TheFlagsPickThePagesThePaperAndWhatTheCellsShow) {
    const QString pdf = path("some.pdf");
    runOk({"chart", input, pdf, "--sheet", "3x2", "--pages", "2,1;1,2", "--portrait"});
    EXPECT_EQ(pdfPages(pdf), 2);
    EXPECT_TRUE(runTool("pdfinfo", {pdf}).contains("595 x 842"));
    EXPECT_EQ(pdfWords(pdf, 1).front().text, "(2,1)");
    // The cover names the picture; the legend follows the four sheets. With the default 5 mm
    // margin nothing of any page lies in it.
    runOk({"chart", input, pdf, "--sheet", "3x2", "--cover", "--legend", "--bold-every", "2"});
    ASSERT_EQ(pdfPages(pdf), 6);
    EXPECT_TRUE(pdfText(pdf, 1).contains("dots.bmp"));
    EXPECT_TRUE(pdfText(pdf, 6).contains(QStringLiteral("1枚")));
    for (int page = 1; page <= 6; ++page) {
        for (const test::PdfWord& w : pdfWords(pdf, page))
            EXPECT_TRUE(QRectF(5, 5, 287, 200).contains(w.box)) << page << w.text.toStdString();
    }
    // Two pictures for 黒, one for 赤 (the dots (0,0) and (1,0)): two placements, each file
    // stored once; the other 13 dots are names, and one sheet has no label.
    SymbolSettings symbols;
    applyDefaultSymbols(symbols);
    symbols.colours[0].pictures[0] = {path("a.bmp"), true};
    symbols.colours[0].pictures[1] = {path("b.bmp"), true};
    symbols.colours[2].pictures[0] = {path("b.bmp"), true};
    ASSERT_TRUE(writeSymbolSettings(dir.path(), symbols));
    runOk({"chart", input, pdf, "--sheet", "5x3", "--pictures", "--symbols",
           path("CodeUsePrint.ini")});
    EXPECT_EQ(test::pdfImagesOnPage(runTool("pdfimages", {"-list", pdf}), 1), 2);
    EXPECT_EQ(pdfWords(pdf, 1).size(), 13u);
    const QString white = save("white.bmp", test::filledBuffer(4, 2, 0xFFFFFF));
    const auto run =
        runOk({"chart", white, path("none.pdf"), "--sheet", "2x2", "--skip-white-pages"});
    EXPECT_FALSE(QFile::exists(path("none.pdf")));
    EXPECT_TRUE(run.err.contains("nothing written"));
}

// The images' names, in sheet order, each printed as it is written.
TEST_F(ChartCli, ChartImagesInSheetOrder) {
    const QString base = path("cat.jpg_Cnv36000");
    const auto run = runOk({"chart-images", input, base, "--sheet", "3x2", "--colour"});
    QStringList expected;
    for (const char* sheet : {"(1,1)", "(2,1)", "(1,2)", "(2,2)"}) {
        expected << base + sheet + ".bmp";
        EXPECT_TRUE(QFileInfo(expected.back()).size() > 0) << sheet;
    }
    EXPECT_EQ(run.out.split('\n', Qt::SkipEmptyParts), expected);
}

// Without a runtime folder Qt printed a notice of its own on every run.
TEST_F(ChartCli, ForeignDotsAreWarnedAboutAndQtsRuntimeNoticeIsNot) {
    PixelBuffer picture = test::filledBuffer(3, 2, 0xFFFFFF);
    picture.at(1, 1) = 0x0A141E;  // no colour of the table
    save("odd.bmp", picture);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    for (const QString command : {"chart", "chart-images"}) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(KIRIMO_CLI_PATH,
                      {command, path("odd.bmp"), path("odd.pdf"), "--sheet", "3x2"});
        ASSERT_TRUE(process.waitForFinished(60000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
        EXPECT_TRUE(err.startsWith("kirimo-cli " + command +
                                   ": warning: 1 of 6 dots are not colours of the colour table"))
            << err.toStdString();
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
    }
}

// Stickers of each picture on its sheets, landscape.
TEST_F(ChartCli, StickersFillTheirSheetsAndCutLinesShowOnlyWhenAskedFor) {
    const QString pdf = path("stickers.pdf");
    runOk({"stickers", pdf, path("a.bmp"), path("b.bmp"), "--size", "60x50", "--sheets", "2",
           "--landscape", "--margin", "0"});
    EXPECT_EQ(pdfPages(pdf), 4);
    EXPECT_TRUE(runTool("pdfinfo", {pdf}).contains("842 x 595"));
    // 297 x 210 mm by 60 x 50 mm: 4 across, 4 down on every page.
    const QString list = runTool("pdfimages", {"-list", pdf});
    const auto [a, b] = test::oddPictures();
    for (int page = 1; page <= 4; ++page)
        EXPECT_EQ(test::pdfImagesOnPage(list, page, page <= 2 ? a.size() : b.size()), 16) << page;
    // Cut lines (where they go is the plan tests') only when asked for.
    runOk({"stickers", path("lines.pdf"), path("a.bmp"), "--cut-lines"});
    runOk({"stickers", path("none.pdf"), path("a.bmp")});
    EXPECT_GT(QFileInfo(path("lines.pdf")).size(), QFileInfo(path("none.pdf")).size() + 200);
}

}  // namespace
}  // namespace kirimo
