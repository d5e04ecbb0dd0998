// The A4 chart window: its options and PrintInfo.ini, the cell size, the checks before
// printing, printing and previewing into PDF files, and the sheets saved as bitmaps.

#include <sys/mount.h>
#include <sys/stat.h>

#include "core/print_info_file.h"
#include "ui/frm_a4print.h"
#include "ui/frm_printinfo.h"
#include "ui/twips.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

class A4PrintTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        environment.printDialogs = &printDialogs;
        ASSERT_TRUE(QDir::setCurrent(pictureFolder));
        // A 4 x 4 picture of table colours: black, white, red and blue quarters.
        paint(4, 4, [](int x, int y) { return (y / 2) * 2 + x / 2; });
        SharedState& state = sharedState();
        state.currentFileName = QDir(pictureFolder).filePath(QStringLiteral("cat.jpg"));
        state.random.seed(7);
        for (ColourSymbols& colour : state.symbolSettings.colours) {
            colour.characters = QStringLiteral("ABCDEFGH");
            colour.flags = QStringLiteral("1,1,1,1,1,1,1,1");
        }
        state.symbolSettings.fontName = QStringLiteral("DejaVu Sans");
    }
    void TearDown() override {
        a4.reset();
        UiTest::TearDown();
    }
    // The converted picture, of the table colours `colourAt` numbers.
    void paint(int width, int height, int (*colourAt)(int x, int y)) {
        SharedState& state = sharedState();
        state.workPixels = tableColours(width, height, colourAt);
        state.pictureWidth = width;
        state.pictureHeight = height;
    }
    ui::FrmA4Print& open(const char* across = "2", const char* down = "2") {
        sheetWidth = QString::fromLatin1(across);
        sheetHeight = QString::fromLatin1(down);
        a4 = std::make_unique<ui::FrmA4Print>(
            environment,
            ui::SheetSizeTexts{[this] { return sheetWidth; }, [this] { return sheetHeight; }});
        a4->show();
        QApplication::processEvents();
        return *a4;
    }
    QAbstractButton* check(const char* name) const {
        return child<QAbstractButton>(a4.get(), QLatin1String(name));
    }
    QLineEdit* text(const char* name) const { return child<QLineEdit>(a4.get(), name); }
    QListWidget* pages() const { return child<QListWidget>(a4.get(), "lstPRDATA"); }
    void press(const char* name) const { check(name)->click(); }
    QString printInfoPath() const { return QDir(pictureFolder).filePath(kPrintInfoFileName); }
    QString outFile(const QString& name) const { return root_.filePath(name); }
    // The options the controls show, as PrintInfo.ini keeps them.
    QString shownOptions() const {
        QStringList fields;
        for (const char* name :
             {"chkCOLOR", "chkFONTSIZE", "chkLINE", "optLINE(1)", "chkPR", "chkWHITE",
              "chkALLWHITE", "chkCOVER", "chkLEGEND", "chkBOLD10", "chkFILLCOL"})
            fields << (check(name)->isChecked() ? "1" : "0");
        return fields.join(u',');
    }
    // Prints through the printer dialog into the named file, whose path it returns.
    QString print(const char* name) {
        const QString path = outFile(QLatin1String(name));
        printDialogs.printerFiles.push_back(path);
        press("cmdPRTSTART");
        return path;
    }
    void tickPages(std::initializer_list<int> indexes) const {
        for (int i : indexes)
            pages()->item(i)->setCheckState(Qt::Checked);
    }

    QString sheetWidth, sheetHeight;
    std::unique_ptr<ui::FrmA4Print> a4;
};

TEST_F(A4PrintTest, OptionsStartOnAreKeptInTheCurrentFolderAndSwitchTheirControls) {
    ui::FrmA4Print& window = open();
    EXPECT_EQ(window.height(), ui::twipsToPixels(4850));
    EXPECT_EQ(shownOptions(), "1,1,1,1,1,1,1,0,0,0,0");
    EXPECT_TRUE(check("optA4(0)")->isChecked() && check("optUSEMODE(0)")->isChecked());
    auto* word = child<QComboBox>(a4.get(), "cboWORD");
    EXPECT_EQ(itemTexts(word).size(), 3);
    EXPECT_EQ(word->currentText(), "色名");
    // Each switch and the control it enables (or, for the line mode, shows).
    word->setCurrentIndex(2);
    const struct {
        const char *off, *on, *dependent;
        bool hidden;
    } switches[] = {{"chkCOLOR", "chkCOLOR", "cboWORD", false},
                    {"chkLINE", "chkLINE", "picLINEMODE", true},
                    {"chkPR", "chkPR", "lstPRDATA", false},
                    {"optUSEMODE(1)", "optUSEMODE(0)", "cmdGSAVE", false}};
    for (const auto& s : switches) {
        auto* dependent = child<QWidget>(a4.get(), s.dependent);
        const auto usable = [&] {
            return s.hidden ? dependent->isVisible() : dependent->isEnabled();
        };
        EXPECT_TRUE(usable()) << s.dependent;
        check(s.off)->click();
        EXPECT_FALSE(usable()) << s.off;
        check(s.on)->click();
        EXPECT_TRUE(usable()) << s.on;
    }
    EXPECT_EQ(word->currentIndex(), 0);  // the colour's switching off chose the first word
    // Written whole on closing, by the button or the close box, and read back.
    for (const char* name : {"chkCOLOR", "chkWHITE", "optLINE(0)", "chkCOVER", "chkBOLD10"})
        check(name)->click();
    press("cmdCLOSE");
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(readBytes(printInfoPath()), "0,1,1,0,1,0,1,1,0,1,0\r\n");
    open();
    EXPECT_EQ(shownOptions(), "0,1,1,0,1,0,1,1,0,1,0");
    check("chkPR")->click();
    check("chkLEGEND")->click();
    a4->close();
    EXPECT_EQ(readBytes(printInfoPath()), "0,1,1,0,0,0,1,1,1,1,0\r\n");
    EXPECT_TRUE(dialogs.messages.empty());
    // Another folder's file is read; a folder gone by the closing cannot keep the options
    // and says so.
    const QString other = root_.filePath(QStringLiteral("other"));
    ASSERT_TRUE(QDir().mkpath(other));
    ASSERT_TRUE(writeBytes(QDir(other).filePath(kPrintInfoFileName), "0,0,0,0,0,0,0\r\n"));
    ASSERT_TRUE(QDir::setCurrent(other));
    open();
    EXPECT_EQ(shownOptions(), "0,0,0,0,0,0,0,0,0,0,0");
    EXPECT_FALSE(child<QComboBox>(a4.get(), "cboWORD")->isEnabled());
    ASSERT_TRUE(QDir(other).removeRecursively());
    press("cmdCLOSE");
    EXPECT_EQ(onlyMessage().title, "設定保存");
    ASSERT_TRUE(QDir::setCurrent(pictureFolder));
    // The symbols button opens the colour symbols window.
    open();
    whileModal<ui::FrmPrintInfo>(check("cmdMJSET"), [](ui::FrmPrintInfo&) {});
}

// The largest cell itself is the chart layout's; here, that the window asks for it with
// the printer's page in each orientation and shows it within 0 to 200.
TEST_F(A4PrintTest, TheCellSizeStartsAtItsLargestForEachOrientation) {
    const auto cells = [this] {
        return QStringLiteral("%1x%2 %3x%4")
            .arg(a4->cellWidth())
            .arg(a4->cellHeight())
            .arg(text("txtYOKOSEP")->text(), text("txtTATESEP")->text());
    };
    sharedState().pictureWidth = 70;
    sharedState().pictureHeight = 50;
    // The default printer here prints to PDF with 10 pt margins: 289.9 x 202.9 mm in
    // landscape, less the 3 mm label band, hold 30 x 20 cells of 9 x 9 mm.
    open("30", "20");
    EXPECT_EQ(cells(), "9x9 9x9");
    check("optA4(1)")->click();
    EXPECT_EQ(cells(), "6x14 6x14");
    check("optA4(0)")->click();
    EXPECT_EQ(cells(), "9x9 9x9");
    // The page list: every sheet in sheet order, none ticked.
    EXPECT_EQ(itemTexts(pages()), QStringList({"(1,1)", "(2,1)", "(3,1)", "(1,2)", "(2,2)", "(3,2)",
                                               "(1,3)", "(2,3)", "(3,3)"}));
    for (int i = 0; i < pages()->count(); ++i) {
        EXPECT_EQ(pages()->item(i)->checkState(), Qt::Unchecked);
        EXPECT_TRUE(pages()->item(i)->flags() & Qt::ItemIsUserCheckable);
    }
    // One-dot sheets of 4 x 4 dots: 297 and 210 mm would be larger than a cell may be.
    sharedState().pictureWidth = sharedState().pictureHeight = 4;
    open("1", "1");
    EXPECT_EQ(cells(), "200x199 200x199");  // 202.9 mm printable less the label band
    EXPECT_EQ(pages()->count(), 16);
    // A sheet size that is no number gives no cells, no pages and no printing.
    open("abc", "1");
    EXPECT_EQ(text("txtYOKOSEP")->text(), "0");
    EXPECT_EQ(pages()->count(), 0);
    press("cmdPRTSTART");
    EXPECT_EQ(onlyMessage().title, "ｴﾗｰ");
    EXPECT_EQ(printDialogs.printerDialogs, 0);
}

TEST_F(A4PrintTest, TextBoxesAndSpinControlsKeepTheCellSizeInStep) {
    ui::FrmA4Print& window = open();
    QLineEdit* across = text("txtYOKOSEP");
    auto* yk = child<QScrollBar>(a4.get(), "scrYK");
    const QPoint up(yk->width() / 2, 3);
    const QPoint down(yk->width() / 2, yk->height() - 3);
    // Typed text, then clicks on the upper (+) and lower (-) arrows, within 0 to 200.
    // Without clicks, what was typed stays as it was.
    const struct {
        const char *typed, *arrows;
        int cell;
    } steps[] = {{"12", "", 12},    {"12.4", "", 12}, {"12.5", "", 12}, {"13.5", "", 14},
                 {"abc", "", 14},   {"201", "", 14},  {"-1", "", 14},   {"0", "", 0},
                 {"200", "", 200},  {"20", "+", 21},  {"20", "--", 18}, {"200", "+", 200},
                 {"200", "-", 199}, {"0", "-", 0}};
    for (const auto& c : steps) {
        SCOPED_TRACE(std::string(c.typed) + c.arrows);
        across->setText(QString::fromLatin1(c.typed));
        for (const char* arrow = c.arrows; *arrow != 0; ++arrow)
            QTest::mouseClick(yk, Qt::LeftButton, {}, *arrow == '+' ? up : down);
        EXPECT_EQ(window.cellWidth(), c.cell);
        EXPECT_EQ(yk->value(), c.cell);
        EXPECT_EQ(across->text(), *c.arrows ? QString::number(c.cell) : QString(c.typed));
    }
    child<QScrollBar>(a4.get(), "scrTT")->setValue(5);
    EXPECT_EQ(text("txtTATESEP")->text(), "5");
    EXPECT_EQ(window.cellHeight(), 5);
}

TEST_F(A4PrintTest, RefusalsComeBeforeAnyPrinterOrPreviewEachWithItsMessage) {
    const ShownMessage zero{"ｴﾗｰ", "区切り線が引けません。１枚分のdot数を調整して下さい",
                            ui::MessageIcon::None};
    const ShownMessage wide{"ｻｲｽﾞｴﾗｰ", "横がはみ出ます", ui::MessageIcon::Exclamation};
    const struct {
        int across, down;
        ShownMessage message;
    } cases[] = {
        {0, 11, zero},
        {10, 0, zero},
        {10, 11, wide},
        {9, 11, {"ｻｲｽﾞｴﾗｰ", "縦がはみ出ます", ui::MessageIcon::Exclamation}},
    };
    open("30", "20");
    for (const auto& c : cases) {
        for (const char* button : {"cmdPRTSTART", "cmdPREVIEW"}) {
            dialogs.messages.clear();
            text("txtYOKOSEP")->setText(QString::number(c.across));
            text("txtTATESEP")->setText(QString::number(c.down));
            press(button);
            ASSERT_EQ(dialogs.messages.size(), 1u) << button;
            EXPECT_EQ(dialogs.messages[0], c.message) << button;
        }
    }
    // A printer that cannot hold the cells is refused rather than clipped: it keeps 30 mm
    // on every side, and 9 mm cells need 270 of its 237 mm.
    dialogs.messages.clear();
    open("30", "20");
    check("chkPR")->click();
    printDialogs.onChoose = [](QPrinter& printer) {
        printer.setPageMargins(QMarginsF(30, 30, 30, 30), QPageLayout::Millimeter);
    };
    EXPECT_FALSE(QFileInfo::exists(print("narrow.pdf")));
    EXPECT_EQ(dialogs.messages, std::vector<ShownMessage>{wide});
    printDialogs.onChoose = nullptr;
    // 101 x 100 dots in one-dot sheets: 10,100 pages are too many to print or preview;
    // two ticked sheets of them print.
    paint(101, 100, [](int, int) { return 1; });
    open("1", "1");
    check("chkPR")->click();
    check("chkALLWHITE")->click();
    for (const char* button : {"cmdPRTSTART", "cmdPREVIEW"}) {
        dialogs.messages.clear();
        press(button);
        EXPECT_TRUE(onlyMessage().text.startsWith(
            QStringLiteral("ﾍﾟｰｼﾞ数が多すぎます（10100ﾍﾟｰｼﾞ）。一度に印刷できるのは10000ﾍﾟｰｼﾞ")))
            << lastMessage().toStdString();
    }
    EXPECT_EQ(std::pair(printDialogs.printerDialogs, printDialogs.previews), std::pair(1, 0));
    dialogs.messages.clear();
    check("chkPR")->click();
    tickPages({0, 10099});
    EXPECT_EQ(pdfPages(print("two.pdf")), 2);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(A4PrintTest, PrintsOnePagePerChosenSheetThroughThePrinterDialog) {
    open();
    // No ticked sheet: it says why and offers every sheet; No prints nothing.
    dialogs.answers.push_back(ui::MessageAnswer::No);
    EXPECT_FALSE(QFileInfo::exists(print("none.pdf")));
    EXPECT_EQ(printDialogs.printerDialogs, 0);
    EXPECT_EQ(onlyMessage(),
              (ShownMessage{"Kirimo",
                            "印刷するページがありません。\n"
                            "「ﾁｪｯｸのついた用紙だけ印刷」がオンで、一覧の用紙にﾁｪｯｸがありません。\n"
                            "すべての用紙を印刷しますか。",
                            ui::MessageIcon::Question, ui::MessageButtons::YesNo}));
    // Yes: every sheet but the white one, sheet (2,1), and the option stays on.
    printDialogs.printerFiles.clear();
    dialogs.answers.push_back(ui::MessageAnswer::Yes);
    // Printed to a file, the chart is offered as the picture's name in its folder.
    QString offered;
    printDialogs.onChoose = [&](QPrinter& printer) { offered = printer.docName(); };
    EXPECT_EQ(pdfPages(print("some.pdf")), 3);
    EXPECT_TRUE(check("chkPR")->isChecked());
    EXPECT_EQ(offered, "cat_chart.pdf");
    EXPECT_EQ(printDialogs.currentFolder, QDir(pictureFolder).absolutePath());
    EXPECT_EQ(printDialogs.lastLayout.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printDialogs.lastLayout.pageSize().id(), QPageSize::A4);
    check("chkPR")->click();
    check("chkALLWHITE")->click();
    EXPECT_EQ(pdfPages(print("all.pdf")), 4);
    // With the cover, the legend and bold lines: a cover and a legend page more.
    for (const char* name : {"chkCOVER", "chkLEGEND", "chkBOLD10"})
        check(name)->click();
    const QString extras = print("extras.pdf");
    EXPECT_EQ(pdfPages(extras), 6);
    EXPECT_TRUE(pdfText(extras).section(u'\f', 0, 0).contains("cat.jpg"));  // the cover
    for (const char* name : {"chkCOVER", "chkLEGEND", "chkBOLD10"})
        check(name)->click();
    // Only the ticked sheets, in portrait.
    check("chkPR")->click();
    tickPages({1, 2});
    check("optA4(1)")->click();
    const QString ticked = print("ticked.pdf");
    EXPECT_EQ(printDialogs.lastLayout.orientation(), QPageLayout::Portrait);
    EXPECT_EQ(pdfPages(ticked), 2);
    const QString read = pdfText(ticked);
    EXPECT_TRUE(read.contains("(2,1)") && read.contains("(1,2)")) << read.toStdString();
    EXPECT_FALSE(read.contains("(1,1)"));
    EXPECT_EQ(dialogs.messages.size(), 2u);  // the two questions
    // A cancelled printer dialog prints nothing and says nothing.
    const int dialogsBefore = printDialogs.printerDialogs;
    press("cmdPRTSTART");
    EXPECT_EQ(printDialogs.printerDialogs, dialogsBefore + 1);
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(A4PrintTest, APdfThatCannotBeWrittenWholeLeavesTheEarlierFileAndSaysWhy) {
    open();
    check("chkPR")->click();
    const QString unreachable = print("missing/folder/out.pdf");
    const ShownMessage refusal = onlyMessage();
    EXPECT_EQ(std::pair(refusal.title, refusal.icon),
              std::pair(QStringLiteral("Kirimo"), ui::MessageIcon::Exclamation));
    EXPECT_TRUE(refusal.text.startsWith(QStringLiteral("プリンタを開けません。")));
    EXPECT_TRUE(refusal.text.contains(unreachable));
    // A FIFO in the file's place is refused and stays a FIFO.
    const QString fifo = outFile("fifo.pdf");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    print("fifo.pdf");
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("書き込めません")))
        << lastMessage().toStdString();
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    // A full disk: the chart does not fit a 16 KB file system, and the PDF that stood
    // there before is left whole.
    const QString full = outFile("full");
    QDir().mkpath(full);
    if (::mount("tmpfs", QFile::encodeName(full).constData(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    const QString earlier = QDir(full).filePath("chart.pdf");
    ASSERT_TRUE(writeBytes(earlier, "%PDF-1.4 the earlier chart"));
    open("1", "1");
    if (check("chkPR")->isChecked())
        check("chkPR")->click();
    print("full/chart.pdf");
    const QByteArray kept = readBytes(earlier);
    ::umount(QFile::encodeName(full).constData());
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("ﾃﾞｨｽｸがいっぱいです")))
        << lastMessage().toStdString();
    EXPECT_EQ(kept, "%PDF-1.4 the earlier chart");
}

TEST_F(A4PrintTest, ThePreviewPaintsOnePlanEveryTimeAndPrintingMatchesIt) {
    open();
    check("chkPR")->click();
    check("chkALLWHITE")->click();
    const QString first = outFile("preview1.pdf"), again = outFile("preview2.pdf");
    printDialogs.previewFiles = {first, again};
    press("cmdPREVIEW");
    EXPECT_EQ(printDialogs.previews, 1);
    EXPECT_EQ(printDialogs.lastLayout.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(pdfPages(first), 4);
    const QString shown = pdfText(first);
    EXPECT_FALSE(shown.isEmpty());
    // Eight candidates per colour: a second plan would choose other characters.
    EXPECT_EQ(pdfText(again), shown);
    // The same seed gives the same pages through the printer.
    sharedState().random.seed(7);
    EXPECT_EQ(pdfText(print("printed.pdf")), shown);
    EXPECT_TRUE(dialogs.messages.empty());
    // A print run without a symbol font keeps the interface font.
    sharedState().symbolSettings.fontName.clear();
    print("font.pdf");
    EXPECT_EQ(sharedState().symbolSettings.fontName, check("cmdPRTSTART")->font().family());
}

TEST_F(A4PrintTest, SavesEverySheetsChartAsABitmapNamedAfterThePicture) {
    open();
    press("cmdGSAVE");
    const QString base = QDir(pictureFolder).filePath(QStringLiteral("cat.jpg_Cnv36000"));
    for (const char* suffix : {"(1,1).bmp", "(2,1).bmp", "(1,2).bmp", "(2,2).bmp"})
        EXPECT_TRUE(QFileInfo(base + QLatin1String(suffix)).isFile()) << suffix;
    EXPECT_EQ(onlyMessage(),
              (ShownMessage{"Kirimo",
                            "元画像と同じﾌｫﾙﾀﾞに「cat.jpg_Cnv36000」というﾌｧｲﾙ名で保存しました。",
                            ui::MessageIcon::None}));
    // A folder that cannot be written says so.
    sharedState().currentFileName = outFile(QStringLiteral("missing/cat.jpg"));
    press("cmdGSAVE");
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("保存できません。")));
    EXPECT_EQ(dialogs.messages[1].icon, ui::MessageIcon::Exclamation);
}

}  // namespace
}  // namespace kirimo::test
