// The colour symbol window: character lists, picture slots and their pop-up menu, the
// automatic sorting, CodeUsePrint.ini written by "設定" and read at start-up.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "core/symbol_settings_file.h"
#include "core/text_file.h"
#include "ui/frm_printinfo.h"
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
    void click(const QString& name) const { control<QPushButton>(name)->click(); }
    QListWidget* list() const { return control<QListWidget>("lstWORD"); }
    QWidget* slot(int i) const { return control<QWidget>(QStringLiteral("imgPRINT(%1)").arg(i)); }
    bool crossed(int i) const {
        return control<QWidget>(QStringLiteral("linBATU(%1)").arg(i))->isVisible() &&
               control<QWidget>(QStringLiteral("linBATU(%1)").arg(i + 10))->isVisible();
    }
    bool shows(int i) const {
        const QPixmap pixmap = qobject_cast<QLabel*>(slot(i))->pixmap();
        return !pixmap.isNull();
    }
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
    void selectColour(int k) const { click(QStringLiteral("optCOL(%1)").arg(k)); }
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
    QString picture(const QString& name, Pixel left, Pixel right) {
        return makePictureOf(name, 8, 6, [=](int x, int) { return x < 4 ? left : right; });
    }
    const ColourSymbols& colour(int k) const { return sharedState().symbolSettings.colours[k]; }
    QString settingsFile() const { return QDir(settingsFolder).filePath("CodeUsePrint.ini"); }

    std::unique_ptr<ui::FrmPrintInfo> symbols;
    bool menuItemEnabled = false;
};

TEST_F(PrintInfoTest, WithoutAFileEachColourOffersItsNameAndTheFontIsTheInterfaceFont) {
    start();
    const QString buttonFont = window->findChild<QPushButton*>("cmdCOLOR2")->font().family();
    EXPECT_FALSE(buttonFont.isEmpty());
    EXPECT_EQ(sharedState().symbolSettings.fontName, buttonFont);
    open();
    EXPECT_EQ(symbols->windowTitle(), QStringLiteral("印刷用色識別記号"));
    EXPECT_EQ(control<QLabel>("lblFONT")->text(), buttonFont);
    EXPECT_EQ(symbols->currentColour(), 0);
    selectColour(2);
    EXPECT_EQ(listState(), QStringList({"赤+"}));
    EXPECT_EQ(control<QLineEdit>("txtUSEWORD(0)")->text(), QStringLiteral("赤"));
    EXPECT_EQ(control<QPushButton>("cmdFOLDERSET")->toolTip(),
              QStringLiteral("画像ﾌｧｲﾙの自動分類"));
}

TEST_F(PrintInfoTest, StoredCharactersReadBackAndASecondStoreChangesNothing) {
    open();
    control<QLineEdit>("txtUSEWORD(0)")->setText("ABC");
    click("cmdADD");
    EXPECT_EQ(listState(), QStringList({"A-", "B-", "C-"}));
    check(0, true);
    check(2, true);
    control<QCheckBox>("chkBOLD")->setChecked(true);
    click("cmdSET");
    EXPECT_FALSE(symbols->isVisible());
    const QStringList lines = *readTextLines(settingsFile());
    ASSERT_EQ(lines.size(), 1 + 18 * 14);
    EXPECT_TRUE(lines[0].endsWith(",1,0"));
    EXPECT_EQ(lines.mid(1, 5), QStringList({"[黒]", "黒ABC", "0,-1,0,-1", "<画像>", ","}));
    EXPECT_EQ(lines.mid(1 + 17 * 14, 3), QStringList({"[]", "自", "1"}));
    const QByteArray stored = readBytes(settingsFile());

    restart();
    EXPECT_EQ(listState(), QStringList({"黒-", "A+", "B-", "C+"}));
    EXPECT_TRUE(control<QCheckBox>("chkBOLD")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("chkITALIC")->isChecked());
    click("cmdSET");
    EXPECT_EQ(readBytes(settingsFile()), stored);

    // Italic alone, stored and shown again; the symbol font the charts use is italic.
    restart();
    control<QCheckBox>("chkBOLD")->setChecked(false);
    control<QCheckBox>("chkITALIC")->setChecked(true);
    click("cmdSET");
    EXPECT_TRUE(readTextLines(settingsFile())->first().endsWith(",0,1"));
    EXPECT_TRUE(sharedState().symbolSettings.italic != 0);
    EXPECT_FALSE(sharedState().symbolSettings.bold != 0);
    restart();
    EXPECT_TRUE(control<QCheckBox>("chkITALIC")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("chkBOLD")->isChecked());
}

TEST_F(PrintInfoTest, AddingToEveryColourAndApplyingTheChecksToAll) {
    open();
    control<QLineEdit>("txtUSEWORD(1)")->setText("★");
    click("cmdNEWADD");
    EXPECT_EQ(listState(), QStringList({"黒+", "★-"}));
    for (int k = 0; k < kColourCount; ++k)
        EXPECT_EQ(colour(k).characters, colourName(k) + "★") << k;
    check(1, true);
    EXPECT_EQ(colour(0).flags, "-1,-1");
    click("cmdALL");
    selectColour(5);
    EXPECT_EQ(listState(), QStringList({"黄+", "★+"}));
    EXPECT_EQ(colour(17).flags, "-1,-1,");
}

TEST_F(PrintInfoTest, CancelKeepsTheChangeForTheRunButNotInTheFile) {
    open();
    check(0, false);
    click("cmdESC");
    EXPECT_EQ(colour(0).flags, "0");
    EXPECT_FALSE(QFileInfo::exists(settingsFile()));
}

TEST_F(PrintInfoTest, SortingPlacesPicturesByTheirDominantColourTenAtMost) {
    open();
    QStringList chosen = {picture("half.bmp", 0xF00000, 0xFFFFFF),
                          picture("white.bmp", 0xFFFFFF, 0xFFFFFF)};
    for (int i = 0; i < 10; ++i)
        chosen << picture(QStringLiteral("red%1.bmp").arg(i), 0xFF0000, 0xF00000);
    const QString broken = QDir(pictureFolder).filePath("broken.bmp");
    ASSERT_TRUE(writeBytes(broken, "BM?"));
    chosen << broken;
    dialogs.filesAnswers.push_back(chosen);
    click("cmdFOLDERSET");
    ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
    EXPECT_TRUE(dialogs.fileDialogs[0].filter.contains("*.bmp"));
    EXPECT_EQ(colour(2).pictures[0].path, chosen[0]);
    EXPECT_EQ(colour(2).pictures[9].path, chosen[10]);
    EXPECT_EQ(colour(1).pictures[0].path, chosen[1]);
    EXPECT_EQ(firstFreeSlot(colour(3)), 0);
    for (int k = 0; k < kColourCount; ++k) {
        for (const PictureSlot& s : colour(k).pictures)
            EXPECT_NE(s.path, chosen[11]) << "the eleventh red picture has no slot";
    }
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(broken));
    selectColour(2);
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(shows(i)) << i;

    // Cancelled: nothing changes.
    click("cmdFOLDERSET");
    EXPECT_EQ(colour(1).pictures[1].path, QString());
}

TEST_F(PrintInfoTest, PopUpMenuLoadsCutsPastesAndMarks) {
    open();
    const QString a = picture("a.bmp", 0, 0), b = picture("b.bmp", 0, 0),
                  c = picture("c.bmp", 0, 0);
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
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], (ShownMessage{"画像ｾｯﾄ", "現在の設定と置き換えますか？",
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

TEST_F(PrintInfoTest, DroppedPicturesFillTheFreeSlotsFromTheFirst) {
    open();
    selectColour(4);
    const QString a = picture("a.bmp", 0, 0), b = picture("b.bmp", 0, 0);
    const QString text = QDir(pictureFolder).filePath("notes.txt");
    ASSERT_TRUE(writeBytes(text, "not a picture"));
    symbols->dropFiles({a});
    symbols->dropFiles({text, pictureFolder, b});
    EXPECT_EQ(colour(4).pictures[0].path, a);
    EXPECT_EQ(colour(4).pictures[1].path, b);
    EXPECT_TRUE(colour(4).pictures[2].isFree());
}

TEST_F(PrintInfoTest, StickerPrintingAsksForPicturesFirst) {
    open();
    auto* seal = control<QPushButton>("cmdSEALPRINT");
    seal->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              (ShownMessage{"Kirimo", "画像ﾌｧｲﾙを設定して下さい。", MessageIcon::Exclamation}));

    const QString a = picture("a.bmp", 0, 0);
    symbols->dropFiles({a});
    EXPECT_FALSE(seal->isEnabled()) << "no sticker window to hand the pictures to";
    std::vector<SlotPicture> handed;
    symbols->setStickerPrinter([&](const std::vector<SlotPicture>& p) { handed = p; });
    ASSERT_TRUE(seal->isEnabled());
    seal->click();
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0].fileName, QStringLiteral("a.bmp"));
    EXPECT_EQ(handed[0].path, a);
}

TEST_F(PrintInfoTest, TheFontDialogNamesTheSymbolFont) {
    open();
    click("cmdFONT");  // cancelled
    const QString before = sharedState().symbolSettings.fontName;
    EXPECT_EQ(control<QLabel>("lblFONT")->text(), before);
    QFont font;
    font.setFamily("IPAexGothic");
    dialogs.fontAnswers.push_back(font);
    click("cmdFONT");
    EXPECT_EQ(dialogs.fontDialogs, 2);
    EXPECT_EQ(sharedState().symbolSettings.fontName, font.family());
    EXPECT_EQ(control<QLabel>("lblFONT")->text(), font.family());
}

}  // namespace
}  // namespace kirimo::test
