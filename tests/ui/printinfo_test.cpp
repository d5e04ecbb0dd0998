// The colour symbol window (character lists, picture slots and their pop-up menu, the
// automatic sorting, CodeUsePrint.ini written by "設定" and read at start-up) and the
// sticker window it opens (counts from the printable area, printing into PDF files).

#include "core/symbol_settings_file.h"
#include "ui/frm_printinfo.h"
#include "ui/frm_sealprint.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

using ui::MessageAnswer;
using ui::MessageButtons;
using ui::MessageIcon;

class PrintInfoTest : public UiTest {
  protected:
    void TearDown() override {
        symbols.reset();  // before the main window, its parent
        UiTest::TearDown();
    }
    ui::FrmPrintInfo& open() {
        if (!window)
            start();
        symbols = std::make_unique<ui::FrmPrintInfo>(dialogs, settingsFolder, window.get());
        symbols->show();
        return *symbols;
    }
    void restart() {
        symbols.reset();
        window.reset();
        sharedState() = SharedState{};
        open();
    }
    template <typename T>
    T* control(const QString& name) const {
        return child<T>(symbols.get(), name);
    }
    void press(const QString& name) const { click(symbols.get(), name); }
    QCheckBox* box(const char* name) const { return control<QCheckBox>(QLatin1String(name)); }
    QListWidget* list() const { return control<QListWidget>("lstWORD"); }
    QWidget* slot(int i) const { return control<QWidget>(QStringLiteral("imgPRINT(%1)").arg(i)); }
    bool crossed(int i) const {
        return control<QWidget>(QStringLiteral("linBATU(%1)").arg(i))->isVisible() &&
               control<QWidget>(QStringLiteral("linBATU(%1)").arg(i + 10))->isVisible();
    }
    bool shows(int i) const { return !qobject_cast<QLabel*>(slot(i))->pixmap().isNull(); }
    // The list as "text+" (checked) or "text-", in order.
    QStringList listState() const {
        QStringList state;
        for (int i = 0; i < list()->count(); ++i)
            state << list()->item(i)->text() +
                         (list()->item(i)->checkState() == Qt::Checked ? "+" : "-");
        return state;
    }
    void check(int item, bool on) const {
        list()->item(item)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    void selectColour(int k) const { press(QStringLiteral("optCOL(%1)").arg(k)); }
    // Right-clicks slot i and picks the named item of its pop-up menu.
    void menu(int i, const char* item) {
        symbols->setMenuPresenter([this, item](QMenu& shown, QPoint) {
            QAction* action = shown.findChild<QAction*>(QLatin1String(item));
            ASSERT_NE(action, nullptr) << item;
            menuItemEnabled = action->isEnabled();
            if (menuItemEnabled)
                action->trigger();
        });
        QTest::mouseClick(slot(i), Qt::RightButton);
    }
    QString picture(const QString& name, Pixel left = 0, Pixel right = 0) {
        return makePictureOf(name, 8, 6, [=](int x, int) { return x < 4 ? left : right; });
    }
    const ColourSymbols& colour(int k) const { return sharedState().symbolSettings.colours[k]; }
    QString symbolFile() const { return settingsFile("CodeUsePrint.ini"); }

    std::unique_ptr<ui::FrmPrintInfo> symbols;
    bool menuItemEnabled = false;
};

TEST_F(PrintInfoTest, WithoutAFileEachColourOffersItsNameAndAddingReachesEveryColour) {
    start();
    const QString buttonFont = window->findChild<QPushButton*>("cmdCOLOR2")->font().family();
    EXPECT_FALSE(buttonFont.isEmpty());
    EXPECT_EQ(sharedState().symbolSettings.fontName, buttonFont);
    open();
    EXPECT_EQ(control<QLabel>("lblFONT")->text(), buttonFont);
    EXPECT_EQ(symbols->currentColour(), 0);
    selectColour(2);
    EXPECT_EQ(listState(), QStringList({"赤+"}));
    EXPECT_EQ(control<QLineEdit>("txtUSEWORD(0)")->text(), QStringLiteral("赤"));
    // The font dialog names the symbol font; cancelled, it changes nothing.
    press("cmdFONT");
    EXPECT_EQ(control<QLabel>("lblFONT")->text(), buttonFont);
    dialogs.fontAnswers.push_back(QFont("IPAexGothic"));
    press("cmdFONT");
    EXPECT_EQ(dialogs.fontDialogs, 2);
    EXPECT_EQ(sharedState().symbolSettings.fontName, "IPAexGothic");
    EXPECT_EQ(control<QLabel>("lblFONT")->text(), "IPAexGothic");
    // Adding to every colour, and applying the checks to all; cancel keeps the change for
    // the run but not in the file.
    control<QLineEdit>("txtUSEWORD(1)")->setText("★");
    press("cmdNEWADD");
    EXPECT_EQ(listState(), QStringList({"赤+", "★-"}));
    for (int k = 0; k < kColourCount; ++k)
        EXPECT_EQ(colour(k).characters, colourName(k) + "★") << k;
    check(1, true);
    EXPECT_EQ(colour(2).flags, "-1,-1");
    press("cmdALL");
    selectColour(5);
    EXPECT_EQ(listState(), QStringList({"黄+", "★+"}));
    EXPECT_EQ(colour(17).flags, "-1,-1,");
    check(0, false);
    press("cmdESC");
    EXPECT_FALSE(symbols->isVisible());
    EXPECT_EQ(colour(5).flags, "0,-1");
    EXPECT_FALSE(QFileInfo::exists(symbolFile()));
}

TEST_F(PrintInfoTest, StoredCharactersReadBackAndASecondStoreChangesNothing) {
    open();
    control<QLineEdit>("txtUSEWORD(0)")->setText("ABC");
    press("cmdADD");
    EXPECT_EQ(listState(), QStringList({"A-", "B-", "C-"}));
    check(0, true);
    check(2, true);
    box("chkBOLD")->setChecked(true);
    press("cmdSET");
    EXPECT_FALSE(symbols->isVisible());
    // The file's layout is the symbol file's own; here, that what is stored reads back.
    EXPECT_EQ(readTextLines(symbolFile())->mid(1, 3), QStringList({"[黒]", "黒ABC", "0,-1,0,-1"}));
    const QByteArray stored = readBytes(symbolFile());

    restart();
    EXPECT_EQ(listState(), QStringList({"黒-", "A+", "B-", "C+"}));
    EXPECT_TRUE(box("chkBOLD")->isChecked() && !box("chkITALIC")->isChecked());
    press("cmdSET");
    EXPECT_EQ(readBytes(symbolFile()), stored);
    // Italic alone, stored and shown again; the symbol font the charts use is italic.
    restart();
    box("chkBOLD")->setChecked(false);
    box("chkITALIC")->setChecked(true);
    press("cmdSET");
    EXPECT_EQ(
        std::pair(sharedState().symbolSettings.italic != 0, sharedState().symbolSettings.bold != 0),
        std::pair(true, false));
    restart();
    EXPECT_TRUE(box("chkITALIC")->isChecked() && !box("chkBOLD")->isChecked());
}

TEST_F(PrintInfoTest, SortingPlacesPicturesByTheirDominantColourTenAtMost) {
    open();
    QStringList chosen = {picture("half.bmp", 0xF00000, 0xFFFFFF),
                          picture("white.bmp", 0xFFFFFF, 0xFFFFFF)};
    for (int i = 0; i < 10; ++i)
        chosen << picture(QStringLiteral("red%1.bmp").arg(i), 0xFF0000, 0xF00000);
    const QString broken = makeBroken("broken.bmp");
    chosen << broken;
    dialogs.filesAnswers.push_back(chosen);
    press("cmdFOLDERSET");
    ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(colour(2).pictures[0].path, chosen[0]);
    EXPECT_EQ(colour(2).pictures[9].path, chosen[10]);
    EXPECT_EQ(colour(1).pictures[0].path, chosen[1]);
    EXPECT_EQ(firstFreeSlot(colour(3)), 0);
    for (int k = 0; k < kColourCount; ++k) {
        for (const PictureSlot& s : colour(k).pictures)
            EXPECT_NE(s.path, chosen[11]) << "the eleventh red picture has no slot";
    }
    EXPECT_TRUE(onlyMessage().text.contains(broken));
    selectColour(2);
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(shows(i)) << i;
    // Cancelled: nothing changes.
    press("cmdFOLDERSET");
    EXPECT_EQ(colour(1).pictures[1].path, QString());
}

TEST_F(PrintInfoTest, PopUpMenuLoadsCutsPastesAndMarks) {
    open();
    const QString a = picture("a.bmp"), b = picture("b.bmp"), c = picture("c.bmp");
    dialogs.filesAnswers.push_back({a, b, c});
    menu(8, "mnuLOAD");
    EXPECT_EQ(colour(0).pictures[8].path, a);
    EXPECT_EQ(colour(0).pictures[9].path, b);
    EXPECT_TRUE(shows(8) && shows(9) && !shows(7));

    menu(9, "mnuCANT");
    EXPECT_FALSE(colour(0).pictures[9].used);
    EXPECT_TRUE(crossed(9));
    EXPECT_FALSE(crossed(8));
    menu(9, "mnuCAN");
    EXPECT_FALSE(crossed(9));

    menu(0, "mnuPASTE");
    EXPECT_FALSE(menuItemEnabled) << "nothing to paste yet";
    menu(8, "mnuCUT");
    EXPECT_TRUE(colour(0).pictures[8].isFree());
    EXPECT_FALSE(shows(8));
    menu(9, "mnuPASTE");  // slot 9 is taken: answered No
    EXPECT_EQ(onlyMessage(), (ShownMessage{"画像ｾｯﾄ", "現在の設定と置き換えますか？",
                                           MessageIcon::Exclamation, MessageButtons::YesNo}));
    EXPECT_EQ(colour(0).pictures[9].path, b);
    dialogs.answers.push_back(MessageAnswer::Yes);
    menu(9, "mnuPASTE");
    EXPECT_EQ(colour(0).pictures[9].path, a);
    menu(1, "mnuPASTE");
    EXPECT_FALSE(menuItemEnabled) << "the clipboard is empty again";
    menu(3, "mnuCUT");
    EXPECT_FALSE(menuItemEnabled) << "a free slot has nothing to cut";
}

TEST_F(PrintInfoTest, DroppedPicturesFillTheFreeSlotsAndStickerPrintingAsksForThemFirst) {
    open();
    auto* seal = control<QPushButton>("cmdSEALPRINT");
    seal->click();
    EXPECT_EQ(onlyMessage(),
              (ShownMessage{"Kirimo", "画像ﾌｧｲﾙを設定して下さい。", MessageIcon::Exclamation}));

    selectColour(4);
    const QString a = picture("a.bmp"), b = picture("b.bmp");
    symbols->dropFiles({a});
    symbols->dropFiles({makeBroken("notes.txt", "not a picture"), pictureFolder, b});
    EXPECT_EQ(colour(4).pictures[0].path, a);
    EXPECT_EQ(colour(4).pictures[1].path, b);
    EXPECT_TRUE(colour(4).pictures[2].isFree());

    EXPECT_FALSE(seal->isEnabled()) << "no sticker window to hand the pictures to";
    std::vector<SlotPicture> handed;
    symbols->setStickerPrinter([&](const std::vector<SlotPicture>& p) { handed = p; });
    ASSERT_TRUE(seal->isEnabled());
    seal->click();
    ASSERT_EQ(handed.size(), 2u);
    EXPECT_EQ(handed[0].fileName, QStringLiteral("a.bmp"));
    EXPECT_EQ(handed[1].path, b);
}

// ---- The sticker window

class SealPrintTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        seal = std::make_unique<ui::FrmSealPrint>(dialogs, printDialogs);
        // A4 with 5 mm margins: 200 x 287 mm printable, upright.
        QPrinter& printer = seal->printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
        pdf = QDir(pictureFolder).filePath("stickers.pdf");
        printDialogs.printerFiles.push_back(pdf);
    }
    void TearDown() override {
        seal.reset();
        UiTest::TearDown();
    }
    template <typename T>
    T* control(const QString& name) const {
        return child<T>(seal.get(), name);
    }
    QString labels() const {
        return control<QLabel>("Label4")->text() + " " + control<QLabel>("Label5")->text();
    }
    // Sticker width and height, and sheets of each picture.
    void set(const char* w, const char* h, const char* sheets = "1") const {
        control<QLineEdit>("txtX")->setText(w);
        control<QLineEdit>("txtY")->setText(h);
        control<QLineEdit>("txtMAI")->setText(sheets);
    }
    // Shows pictures a.bmp, b.bmp... of `sizes` (or the given ones) and selects them all.
    void pictures(const std::vector<QSize>& sizes, std::vector<SlotPicture> shown = {}) {
        for (const QSize& size : sizes) {
            const QString name = QString(QChar(u'a' + static_cast<int>(shown.size()))) + ".bmp";
            shown.push_back({name, makePicture(name, size.width(), size.height())});
        }
        seal->setPictures(shown);
        control<QListWidget>("lstFILE(0)")->selectAll();
    }
    void print() const { click(seal.get(), "cmdPRINT"); }

    std::unique_ptr<ui::FrmSealPrint> seal;
    QString pdf;
};

// The counts themselves are the sticker plan's; here, that the window passes the printer's
// area, upright or turned, and the selected pictures.
TEST_F(SealPrintTest, CountsFollowThePrintableAreaAndTheSelectedPicturesPrint) {
    EXPECT_EQ(control<QLineEdit>("txtMAI")->text(), "1");
    EXPECT_FALSE(control<QCheckBox>("Check1")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("chkLINE")->isChecked());
    EXPECT_FALSE(control<QListWidget>("lstFILE(1)")->isVisibleTo(seal.get()));
    seal->updateCounts();  // 10 x 10 mm to start with
    EXPECT_EQ(labels(), "横20枚、たて28枚 合計560枚印刷");
    set("60", "60");
    EXPECT_EQ(labels(), "横3枚、たて4枚 合計12枚印刷");
    control<QCheckBox>("Check1")->click();
    EXPECT_EQ(labels(), "横4枚、たて3枚 合計12枚印刷");
    control<QCheckBox>("Check1")->click();

    pictures({{3, 2}, {2, 5}, {4, 4}});
    auto* names = control<QListWidget>("lstFILE(0)");
    EXPECT_EQ(itemTexts(names), QStringList({"a.bmp", "b.bmp", "c.bmp"}));
    EXPECT_EQ(control<QListWidget>("lstFILE(1)")->item(1)->text(),
              QDir(pictureFolder).filePath("b.bmp"));
    EXPECT_EQ(names->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(control<QLabel>("imgGAZOU")->pixmap().isNull());
    // Nothing selected: an empty job, the printer not even asked for.
    names->clearSelection();
    print();
    EXPECT_EQ(printDialogs.printerDialogs, 0);
    EXPECT_FALSE(QFile::exists(pdf));

    names->item(0)->setSelected(true);
    names->item(2)->setSelected(true);
    set("60", "50", "2");
    control<QCheckBox>("chkLINE")->setChecked(true);
    // Printed to a file, the sheets are offered as the first picture's name in its folder.
    QString offered;
    printDialogs.onChoose = [&](QPrinter& printer) { offered = printer.docName(); };
    print();
    EXPECT_EQ(printDialogs.printerDialogs, 1);
    EXPECT_EQ(offered, "a_stickers.pdf");
    EXPECT_EQ(printDialogs.currentFolder, QDir(pictureFolder).absolutePath());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(pdfPages(pdf), 4);  // two sheets each of a and c
}

TEST_F(SealPrintTest, BadSizesUnreadablePicturesAndTooManyPagesAreRefused) {
    pictures({{3, 2}, {2, 5}});
    seal->updateCounts();
    const QString broken = makeBroken("broken.bmp");
    set("abc", "60");  // sizes that give no counts keep the labels
    EXPECT_EQ(labels(), "横20枚、たて28枚 合計560枚印刷");
    const struct {
        const char *w, *h, *sheets;
        QString message;
    } cases[] = {
        {"abc", "60", "1", "1以上の整数"},
        {"60", "0", "1", "1以上の整数"},
        {"10", "1", "1", "縦横とも2mm以上"},
        {"10", "10", "5001", "印刷するﾍﾟｰｼﾞが多すぎます（10002ﾍﾟｰｼﾞ）"},
        {"10", "10", "1", broken},  // an unreadable picture is named
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        dialogs.messages.clear();
        if (c.message == broken)
            pictures({}, {{"a.bmp", makePicture("a.bmp", 3, 2)}, {"broken.bmp", broken}});
        set(c.w, c.h, c.sheets);
        print();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_TRUE(lastMessage().contains(c.message));
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
    }
    EXPECT_EQ(printDialogs.printerDialogs, 0);
    EXPECT_FALSE(QFile::exists(pdf));
    dialogs.messages.clear();
    pictures({{3, 2}, {2, 5}});
    set("2", "200", "2");
    print();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(pdfPages(pdf), 4);
}

}  // namespace
}  // namespace kirimo::test
