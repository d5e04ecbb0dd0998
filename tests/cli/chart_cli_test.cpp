// kirimo-cli chart and chart-images end to end: PDFs read back with poppler's tools.

#include <gtest/gtest.h>

#include <QDir>
#include <QFont>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

#include "core/colour_table.h"
#include "core/picture_file.h"
#include "core/symbol_settings_file.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::runCli;
using test::runTool;

// The PDF names a glyph shared by several characters by any of them (⿊ or 黑 for 黒, ⻩
// for 黄): two texts are the same when they look the same in the Japanese Gothic.
QImage glyphs(const QString& text) {
    QImage image(40 * static_cast<int>(text.size()), 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("IPAexGothic"));
    font.setPixelSize(32);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(2, 34), text);
    return image;
}

bool sameGlyphs(const QString& a, const QString& b) {
    return a == b || (a.size() == b.size() && glyphs(a) == glyphs(b));
}

// One word of pdftotext -bbox: its text and its centre in millimetres.
struct Word {
    QString text;
    double x = 0;
    double y = 0;
};

std::vector<Word> words(const QString& pdf, int page) {
    const QString html = runTool(
        "pdftotext", {"-bbox", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
    static const QRegularExpression pattern(
        "xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)<");
    std::vector<Word> found;
    const double mm = 25.4 / 72;
    for (auto it = pattern.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        found.push_back({m.captured(5),
                         (m.captured(1).toDouble() + m.captured(3).toDouble()) / 2 * mm,
                         (m.captured(2).toDouble() + m.captured(4).toDouble()) / 2 * mm});
    }
    return found;
}

class ChartCli : public ::testing::Test {
  protected:
    // 5 x 3 dots in colours 0, 2, 3, 4, 5, ... (ColourNumber (x + 5y) % 17), sheets of 3 x 2:
    // four sheets, the right and bottom ones partial.
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        picture = *PixelBuffer::create(5, 3);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                const ColourEntry& e = table[(x + 5 * y) % 17];
                picture.at(x, y) = makePixel(e.red, e.green, e.blue);
            }
        }
        input = dir.filePath("converted.bmp");
        ASSERT_TRUE(savePictureBmp(input, picture));
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    ColourTable table;
    PixelBuffer picture;
    QString input;
};

TEST_F(ChartCli, EveryDotsCharacterLiesInItsCell) {
    const QString pdf = path("chart.pdf");
    const auto run = runCli(
        {"chart", input, pdf, "--sheet", "3x2", "--cell", "20x30", "--seed", "7", "--margin", "0"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(runTool("pdfinfo", {pdf}).contains(QRegularExpression("Pages:\\s+4\\n")));

    ASSERT_FALSE(sameGlyphs("黒", "赤"));  // the comparison sees the glyphs
    const int columns = 2;
    for (int page = 1; page <= 4; ++page) {
        const int x0 = (page - 1) % columns * 3;
        const int y0 = (page - 1) / columns * 2;
        std::map<std::pair<int, int>, QString> cells;
        QString label;
        for (const Word& w : words(pdf, page)) {
            if (w.text.startsWith('(')) {
                label = w.text;
                EXPECT_LT(w.y, 5);
                continue;
            }
            // The band above the grid is about 4 mm; each character centred in 20 x 30 mm.
            const int dx = static_cast<int>(w.x / 20);
            const int dy = static_cast<int>((w.y - 4) / 30);
            EXPECT_NEAR(w.x, dx * 20 + 10, 1.0) << w.text.toStdString();
            EXPECT_NEAR(w.y, 4 + dy * 30 + 15, 2.0) << w.text.toStdString();
            EXPECT_TRUE(cells.emplace(std::pair(dx, dy), w.text).second);
        }
        EXPECT_EQ(label,
                  QString("(%1,%2)").arg((page - 1) % columns + 1).arg((page - 1) / columns + 1));
        size_t inside = 0;
        for (int dy = 0; dy < 2; ++dy) {
            for (int dx = 0; dx < 3; ++dx) {
                const int x = x0 + dx;
                const int y = y0 + dy;
                if (x >= 5 || y >= 3)
                    continue;
                ++inside;
                const QString expected = colourName((x + 5 * y) % 17);
                EXPECT_TRUE(sameGlyphs(cells[std::pair(dx, dy)], expected))
                    << x << "," << y << ": " << cells[std::pair(dx, dy)].toStdString() << " for "
                    << expected.toStdString();
            }
        }
        EXPECT_EQ(cells.size(), inside) << "page " << page;
    }
}

TEST_F(ChartCli, PictureCellsComeBackPixelForPixel) {
    // Two pictures for 黒, one for 赤 (the dots (0,0) and (1,0)).
    const auto [a, b] = test::oddPictures();
    ASSERT_TRUE(savePictureBmp(path("a.bmp"), a));
    ASSERT_TRUE(savePictureBmp(path("b.bmp"), b));
    SymbolSettings symbols;
    applyDefaultSymbols(symbols);
    symbols.colours[0].pictures[0] = {path("a.bmp"), true};
    symbols.colours[0].pictures[1] = {path("b.bmp"), true};
    symbols.colours[2].pictures[0] = {path("b.bmp"), true};
    ASSERT_TRUE(writeSymbolSettings(dir.path(), symbols));
    const QString pdf = path("pictures.pdf");
    const auto run = runCli({"chart", input, pdf, "--sheet", "5x3", "--pictures", "--symbols",
                             path("CodeUsePrint.ini")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // Two placements (黒 and 赤), each file stored once; the rest of the dots are names.
    const QString list = runTool("pdfimages", {"-list", pdf});
    EXPECT_EQ(list.count(QRegularExpression("\\n\\s+1\\s+\\d+\\s+image ")), 2)
        << list.toStdString();
    runTool("pdfimages", {"-png", pdf, path("out")});
    int compared = 0;
    for (const QString& name : QDir(dir.path()).entryList({"out-*.png"})) {
        const QImage back(path(name));
        test::expectSamePixels(back, back.size() == a.size() ? a : b);
        ++compared;
    }
    EXPECT_GE(compared, 1);
    const auto names = words(pdf, 1);
    EXPECT_EQ(names.size(), 13u);  // 15 dots, two of them pictures; no label on one sheet
}

TEST_F(ChartCli, PagesAndWhiteSkipping) {
    const QString pdf = path("some.pdf");
    auto run = runCli({"chart", input, pdf, "--sheet", "3x2", "--pages", "2,1;1,2", "--portrait"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(runTool("pdfinfo", {pdf}).contains(QRegularExpression("Pages:\\s+2\\n")));
    EXPECT_TRUE(runTool("pdfinfo", {pdf}).contains("595 x 842"));
    EXPECT_EQ(words(pdf, 1).front().text, "(2,1)");

    const QString white = path("white.bmp");
    ASSERT_TRUE(savePictureBmp(white, test::filledBuffer(4, 2, 0xFFFFFF)));
    run = runCli({"chart", white, path("none.pdf"), "--sheet", "2x2", "--skip-white-pages"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(QFile::exists(path("none.pdf")));
    EXPECT_TRUE(run.err.contains("nothing written"));
}

// The whole numbers of a text, in order.
QStringList numbersIn(const QString& text) {
    QStringList found;
    static const QRegularExpression number("\\d+");
    for (auto it = number.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    return found;
}

TEST_F(ChartCli, CoverAndLegendCarryTheReportsTotals) {
    // 6 x 4 dots of 黒, 白, 赤 and 青 in unequal numbers, sheets of 3 x 2.
    PixelBuffer mixed = *PixelBuffer::create(6, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const ColourEntry& e = table[(x * y) % 4];
            mixed.at(x, y) = makePixel(e.red, e.green, e.blue);
        }
    }
    const QString converted = path("mixed.bmp");
    ASSERT_TRUE(savePictureBmp(converted, mixed));
    ASSERT_EQ(runCli({"report", converted, path("counts"), "--sheet", "3x2"}).exitCode, 0);
    QFile report(path("counts.txt"));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QStringList reportLines =
        QString::fromLocal8Bit(report.readAll()).split("\r\n", Qt::SkipEmptyParts);
    const QStringList totals = numbersIn(reportLines.last());
    ASSERT_EQ(totals.size(), 4);

    const QString pdf = path("extras.pdf");
    const auto run = runCli(
        {"chart", converted, pdf, "--sheet", "3x2", "--cover", "--legend", "--bold-every", "2"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(runTool("pdfinfo", {pdf}).contains(QRegularExpression("Pages:\\s+6\\n")));
    // The cover: the name, "大きさ：6×4 ..." and the counts after the sheet labels.
    std::vector<Word> countWords;
    for (const Word& w : words(pdf, 1)) {
        if (w.text.contains(QStringLiteral("＝")) && !w.text.contains(QStringLiteral("枚")))
            countWords.push_back(w);
    }
    // Three to a row: read row by row, each from the left.
    std::sort(countWords.begin(), countWords.end(), [](const Word& a, const Word& b) {
        return std::lround(a.y) != std::lround(b.y) ? a.y < b.y : a.x < b.x;
    });
    QStringList coverCounts;
    for (const Word& w : countWords)
        coverCounts << numbersIn(w.text);
    EXPECT_EQ(coverCounts, totals);
    EXPECT_TRUE(runTool("pdftotext", {"-f", "1", "-l", "1", pdf, "-"}).contains("mixed.bmp"));
    // The legend: per row the swatch, the name, the symbols, the count and "n枚".
    QStringList legendCounts, legendSheets;
    for (const Word& w : words(pdf, 6)) {
        if (QRegularExpression("^\\d+$").match(w.text).hasMatch())
            legendCounts << w.text;
        else if (w.text.endsWith(QStringLiteral("枚")))
            legendSheets << numbersIn(w.text);
    }
    EXPECT_EQ(legendCounts, totals);
    // 黒 (x = 0, y = 0 or x y = 0 mod 4) lies on all four sheets, the others on three.
    EXPECT_EQ(legendSheets, QStringList({"4", "3", "3", "3"}));
}

TEST_F(ChartCli, RefusesBadArgumentsAndWritesNothing) {
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{"--sheet", "3x2", "--cell", "0x500"}, "区切り線が引けません"},
        {{"--sheet", "3x2", "--margin", "0", "--cell", "100x5"}, "横がはみ出ます"},
        {{"--sheet", "3x2", "--margin", "0", "--cell", "99x106"}, "縦がはみ出ます"},
        {{"--sheet", "3x2", "--margin", "0", "--portrait", "--cell", "71x10"}, "横がはみ出ます"},
        {{"--sheet", "3x2", "--cell", "99x10"}, "横がはみ出ます"},  // 5 mm margins: 95 at most
        {{"--sheet", "3x2", "--margin", "51"}, "--margin must be a whole number"},
        {{"--sheet", "0x2"}, "--sheet"},
        {{"--sheet", "3x2", "--cell", "2.5x3"}, "--cell"},
        {{"--sheet", "3x2", "--lines", "wavy"}, "--lines"},
        {{"--sheet", "3x2", "--bold-every", "0"}, "--bold-every"},
        {{"--sheet", "3x2", "--bold-every", "2", "--lines", "none"}, "needs grid lines"},
        {{"--sheet", "3x2", "--pages", "1,1;3,1"}, "\"3,1\" names no sheet"},
        {{"--sheet", "3x2", "--pages", "1,0"}, "names no sheet"},
        {{"--sheet", "3x2", "--user-colour", "12345"}, "--user-colour"},
        {{"--sheet", "3x2", "--seed", "-1"}, "--seed"},
        {{"--sheet", "3x2", "--symbols", "/no/such.ini"}, "no such file"},
        {{"--sheet", "3x2", "--colours", "1"}, "unknown option"},
    };
    for (const auto& c : cases) {
        const auto run = runCli(QStringList{"chart", input, path("bad.pdf")} + c.args);
        EXPECT_EQ(run.exitCode, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.message))) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("bad.pdf")));
    }
    const auto run =
        runCli({"chart-images", input, path("img"), "--sheet", "3x2", "--lines", "none"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("unknown option"));
}

TEST_F(ChartCli, ChartImagesInSheetOrder) {
    const QString base = path("cat.jpg_Cnv36000");
    const auto run = runCli({"chart-images", input, base, "--sheet", "3x2", "--colour"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList expected = {base + "(1,1).bmp", base + "(2,1).bmp", base + "(1,2).bmp",
                                  base + "(2,2).bmp"};
    EXPECT_EQ(run.out.split('\n', Qt::SkipEmptyParts), expected);
    for (const QString& file : expected) {
        auto image = loadPictureImage(file);
        ASSERT_TRUE(image) << file.toStdString();
        EXPECT_EQ(image->width() % 210, 0);
        EXPECT_EQ(image->height() % 297, 0);
    }
}

}  // namespace
}  // namespace kirimo

namespace kirimo {
namespace {

using test::runCli;

class ChartLimitsCli : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }

    // A converted picture of width x height dots, white but for a black first dot.
    QString whitePicture(int width, int height) {
        PixelBuffer picture = *PixelBuffer::create(width, height, 0xFFFFFF);
        picture.at(0, 0) = 0x000000;
        const QString file = path(QStringLiteral("white%1x%2.bmp").arg(width).arg(height));
        EXPECT_TRUE(savePictureBmp(file, picture));
        return file;
    }

    QTemporaryDir dir;
};

TEST_F(ChartLimitsCli, RefusalsSayWhatWasWrongAndWriteNothing) {
    const QString many = whitePicture(101, 100);  // 10,100 sheets of 1 x 1
    const QString small = whitePicture(5, 3);
    const struct {
        QString picture;
        QStringList args;
        const char* message;
    } cases[] = {
        {many, {"--sheet", "1x1"}, "would have 10100 pages, more than the 10000"},
        {many, {"--sheet", "1x1", "--cover", "--pages", "1,1"}, nullptr},
        {many, {"--sheet", "1x1", "--skip-white-pages"}, nullptr},
        {many, {"--sheet", "1x2", "--cover", "--legend"}, nullptr},  // 5,050 sheets + 2
        {small, {"--sheet", "99999x1"}, "the sheet 99999x1 is wider than the page can hold"},
        {small, {"--sheet", "1x99999", "--portrait"}, "at most 199x283 dots"},
        {small,
         {"--sheet", "30x30", "--cell", "99999x99999"},
         "the cell 99999x99999 mm is too wide for the page: at most 9x6 mm"},
        {small, {"--sheet", "3x2", "--seed", "x"}, "--seed must be a whole number from 0 to"},
        {small, {"--sheet", "3x2", "--pages", "1,1;a,b"}, "\"a,b\" is malformed"},
        {small, {"--sheet", "3x2", "--pages", "1;2"}, "\"1\" is malformed"},
        {small, {"--sheet", "3x2", "--pages", "1,1;3,1"}, "\"3,1\" names no sheet"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const QString pdf = path("out.pdf");
        QFile::remove(pdf);
        const auto run = runCli(QStringList{"chart", c.picture, pdf} + c.args);
        if (c.message == nullptr) {
            EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
            EXPECT_TRUE(QFile::exists(pdf));
            continue;
        }
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.message))) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(pdf));
    }
}

TEST_F(ChartLimitsCli, ChartImagesBeyondTheCountOrTheFreeSpaceAreRefused) {
    const QString many = whitePicture(101, 100);
    auto run = runCli({"chart-images", many, path("img"), "--sheet", "1x1"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("10100 files, more than the 10000")) << run.err.toStdString();
    // 9,600 images, each of cells of at least 8 x 8 pixels (12 MB): over 100 GB.
    const QString picture = whitePicture(120, 80);
    run = runCli({"chart-images", picture, path("img"), "--sheet", "1x1"});
    if (QStorageInfo(dir.path()).bytesAvailable() < (int64_t{100} << 30)) {
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(" free: choose larger sheets")) << run.err.toStdString();
    }
    EXPECT_TRUE(QDir(dir.path()).entryList({"img*"}).isEmpty());
}

TEST_F(ChartLimitsCli, ForeignDotsAreWarnedAboutAndQtsRuntimeNoticeIsNot) {
    PixelBuffer picture = *PixelBuffer::create(3, 2, 0xFFFFFF);
    picture.at(1, 1) = 0x0A141E;  // no colour of the table
    ASSERT_TRUE(savePictureBmp(path("odd.bmp"), picture));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    for (const QString& command : {QStringLiteral("chart"), QStringLiteral("chart-images")}) {
        SCOPED_TRACE(command.toStdString());
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KIRIMO_CLI_PATH),
                      {command, path("odd.bmp"), path(command == "chart" ? "odd.pdf" : "odd"),
                       "--sheet", "3x2"});
        ASSERT_TRUE(process.waitForFinished(60000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
        EXPECT_TRUE(err.contains("kirimo-cli " + command +
                                 ": warning: 1 of 6 dots are not colours of the colour table"))
            << err.toStdString();
        EXPECT_FALSE(err.contains("XDG_RUNTIME_DIR")) << err.toStdString();
    }
}

// A photograph in 30 x 30 sheets with the default 5 mm margin: every character of a full
// page is printed, and nothing of any page (cover and legend included) lies in the margin.
TEST_F(ChartCli, AFullPageOfAPhotographPrintsWholeInsideTheMargin) {
    const QString converted = path("cat.bmp");
    ASSERT_EQ(runCli({"convert", QStringLiteral(KIRIMO_TEST_DATA_DIR "/../../samples/cat.jpg"),
                      converted, "--palette", "16"})
                  .exitCode,
              0);
    const QString pdf = path("cat.pdf");
    const auto run = runCli({"chart", converted, pdf, "--sheet", "30x30", "--pages", "1,1",
                             "--cover", "--legend", "--seed", "3"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    runTool("pdftotext", {"-bbox", pdf, path("boxes.html")});
    QFile boxes(path("boxes.html"));
    ASSERT_TRUE(boxes.open(QIODevice::ReadOnly));
    const QStringList pages = QString::fromUtf8(boxes.readAll()).split("<page ").mid(1);
    ASSERT_EQ(pages.size(), 3);
    const QRegularExpression word(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">");
    constexpr double kPointsPerMm = 72.0 / 25.4;
    for (qsizetype p = 0; p < pages.size(); ++p) {
        int words = 0;
        for (const auto& m : word.globalMatch(pages[p])) {
            ++words;
            const double x0 = m.captured(1).toDouble() / kPointsPerMm;
            const double y0 = m.captured(2).toDouble() / kPointsPerMm;
            const double x1 = m.captured(3).toDouble() / kPointsPerMm;
            const double y1 = m.captured(4).toDouble() / kPointsPerMm;
            EXPECT_TRUE(x0 >= 5 && y0 >= 5 && x1 <= 292 && y1 <= 205)
                << "page " << p + 1 << ": " << x0 << "," << y0 << " " << x1 << "," << y1;
        }
        if (p == 1) {
            EXPECT_EQ(words, 900 + 1) << "every cell's character and the label";
        }
    }
}

}  // namespace
}  // namespace kirimo
