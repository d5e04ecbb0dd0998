// The conversion settings window: creation state, palettes, diffusion methods, presets in
// Dorvel.ini, the user colour's editor and eyedropper, usage marks, and colour sets chosen
// there, edited in their own window and kept in ColourSet.ini.

#include "core/colour_table.h"
#include "ui/frm_colset.h"
#include "ui/frm_print.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

const char* const kWeights = "7,0,0,3,5,1,0,0,0,0,0,0";
const char* const kJarvis = "7,5,3,5,7,5,3,1,3,5,3,1";

TEST_F(ConversionTest, CreationState) {
    start();
    EXPECT_TRUE(convFrame()->isVisible());
    EXPECT_EQ(convFrame()->x(), 0);
    // The history window sits below it.
    EXPECT_EQ(window->historyWindow()->parentWidget()->y(), convFrame()->geometry().bottom() + 17);
    auto* kind = c<QComboBox>("cboKIND");
    EXPECT_EQ(kind->count(), 5);
    EXPECT_EQ(kind->currentText(), QStringLiteral("標準8色"));
    EXPECT_EQ(ticked(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    for (int k = 0; k < kColourCount; ++k)
        EXPECT_TRUE(mark(k)->isHidden()) << k;
    EXPECT_TRUE(c<QRadioButton>("optNEARCOLOR(0)")->isChecked() && mode(0)->isChecked());
    EXPECT_TRUE(c<QRadioButton>("optNEARCOLOR(2)")->isVisible());
    EXPECT_EQ(weightTexts(), kWeights);
    EXPECT_FALSE(weight(1)->isReadOnly());
    EXPECT_EQ(std::pair(rate()->value(), c<QScrollBar>("scrCOLOR(2)")->value()),
              std::pair(100, 10));
    // The labels beside the scroll bars show their values.
    EXPECT_EQ(c<QLabel>("lblBUNSAN")->text() + c<QLabel>("lblPERCENT(2)")->text(), "100100");
    EXPECT_FALSE(presets()->isEnabled() || c<QPushButton>("cmdSETSAVE")->isEnabled());
    EXPECT_EQ(presets()->count(), 0);
    // Colour cells show their packed value; the editor shows the user colour.
    QStringList tips;
    for (int k : {10, 2, 3})
        tips << c<QLabel>(QStringLiteral("lblCOL(%1)").arg(k))->toolTip();
    EXPECT_EQ(tips, (QStringList{"B85FF", "F0", "FF0000"}));
    EXPECT_EQ(c<QLabel>("lblCOL(10)")->palette().color(QPalette::Window), QColor(255, 133, 11));
    EXPECT_EQ(editorShown(), "128,128,128,80,80,80");
}

TEST_F(ConversionTest, UsageMarksPaletteKindsAndReset) {
    start();
    conv()->showColorUsage(
        QStringLiteral("5,0.0099,0.01,0.05,0.1,0.1000001,0,0,0,0,0,0,0,0,0,0,0,0,0.7299"));
    const QColor expected[] = {Qt::red, Qt::blue, Qt::blue, Qt::black};
    for (int k = 0; k < 4; ++k) {
        EXPECT_FALSE(mark(k)->isHidden()) << k;
        EXPECT_EQ(mark(k)->palette().color(QPalette::WindowText), expected[k]) << k;
    }
    EXPECT_TRUE(mark(4)->isHidden());
    EXPECT_TRUE(mark(5)->isHidden());
    EXPECT_EQ(ticked(), (std::vector<int>{0, 1, 2, 3, 4, 17}));
    // Fewer than 19 fields change nothing.
    conv()->showColorUsage(QStringLiteral("0,0,0,0"));
    EXPECT_EQ(ticked(), (std::vector<int>{0, 1, 2, 3, 4, 17}));
    EXPECT_FALSE(mark(0)->isHidden());
    // Another palette takes the marks away.
    auto* kind = c<QComboBox>("cboKIND");
    pick(kind, 4);
    EXPECT_EQ(ticked(), (std::vector<int>{0, 1, 2, 3, 4}));
    for (int k = 0; k < kColourCount; ++k)
        EXPECT_TRUE(mark(k)->isHidden()) << k;
    use(9)->setChecked(true);
    c<QPushButton>("cmdRESET")->click();
    EXPECT_EQ(ticked(), (std::vector<int>{0, 1, 2, 3, 4}));
    pick(kind, 0);
    EXPECT_EQ(ticked(), (std::vector<int>{0, 1}));
    pick(kind, 3);
    EXPECT_EQ(ticked().size(), 18u);
}

TEST_F(ConversionTest, FixedMethodsResetRateAndLockTheWeights) {
    start();
    mode(2)->click();
    EXPECT_TRUE(presets()->isEnabled());
    EXPECT_TRUE(c<QPushButton>("cmdSETSAVE")->isEnabled());
    EXPECT_FALSE(weight(3)->isReadOnly());
    rate()->setValue(60);
    weight(2)->setText("4");
    presets()->setEditText("mine");

    mode(1)->click();
    EXPECT_EQ(rate()->value(), 100);
    EXPECT_EQ(c<QLabel>("lblBUNSAN")->text(), QStringLiteral("100"));
    EXPECT_EQ(weightTexts(), kJarvis);
    for (int k = 1; k <= kWeightCount; ++k)
        EXPECT_TRUE(weight(k)->isReadOnly()) << k;
    EXPECT_FALSE(presets()->isEnabled());
    EXPECT_TRUE(presets()->currentText().isEmpty());
    // Custom keeps what the fixed method left.
    mode(2)->click();
    EXPECT_EQ(weightTexts(), kJarvis);
    mode(0)->click();
    EXPECT_EQ(weightTexts(), kWeights);
    // Closing the program writes the method and rate.
    mode(2)->click();
    rate()->setValue(33);
    exitProgram();
    EXPECT_EQ(dorvelLines().value(0), QStringLiteral("2,,33,") + kWeights);
}

TEST_F(ConversionTest, PresetsAreSavedRefusedChosenAndKept) {
    start();
    mode(1)->click();
    mode(2)->click();
    rate()->setValue(80);
    // Each name and weight typed, then the title of the refusal, or nothing when saved.
    // A comma would split the name when the file is read back; the same settings under
    // another name are refused, naming the stored preset.
    const struct {
        const char *name, *weight12, *weight5, *title, *text;
    } steps[] = {
        {"", "1", "7", "設定保存", "設定名を入力して下さい。"},
        {"so,ft", "1", "7", "設定保存", "「,」"},
        {"soft", "1", "7", nullptr, nullptr},
        {"hard", "1", "7", "設定重複", "すでに同じ設定があります。（soft）"},
        {"hard", "2", "7", nullptr, nullptr},
        {"odd", "2", "x", "設定保存", "5番目の値（x）"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.name) + step.weight12 + step.weight5);
        dialogs.messages.clear();
        presets()->setEditText(QString::fromUtf8(step.name));
        weight(12)->setText(step.weight12);
        weight(5)->setText(step.weight5);
        c<QPushButton>("cmdSETSAVE")->click();
        if (step.title == nullptr) {
            EXPECT_TRUE(dialogs.messages.empty());
            EXPECT_EQ(dorvelLines().last(),
                      step.name + QStringLiteral(",80,7,5,3,5,7,5,3,1,3,5,3,") + step.weight12);
            EXPECT_EQ(presets()->currentIndex(), presets()->findText(step.name));  // chosen
        } else {
            EXPECT_EQ(onlyMessage().title, QString::fromUtf8(step.title));
            EXPECT_TRUE(lastMessage().contains(QString::fromUtf8(step.text)));
        }
    }
    EXPECT_EQ(dorvelLines().size(), 3);
    EXPECT_EQ(itemTexts(presets()), (QStringList{"soft", "hard"}));
    // Choosing a preset brings its rate and weights back.
    weight(5)->setText("7");
    rate()->setValue(10);
    pick(presets(), 0);
    EXPECT_EQ(rate()->value(), 80);
    EXPECT_EQ(weightTexts(), kJarvis);
    // Closing writes the current settings first; opening again reads everything back.
    convFrame()->close();
    QApplication::processEvents();
    EXPECT_EQ(dorvelLines(), (QStringList{QStringLiteral("2,soft,80,") + kJarvis,
                                          QStringLiteral("soft,80,") + kJarvis,
                                          "hard,80,7,5,3,5,7,5,3,1,3,5,3,2"}));
    EXPECT_TRUE(mode(2)->isChecked());
    EXPECT_EQ(presets()->count(), 2);
    EXPECT_EQ(presets()->currentText(), QStringLiteral("soft"));
    pick(presets(), 1);
    EXPECT_EQ(weight(12)->text(), QStringLiteral("2"));
}

TEST_F(ConversionTest, StoredSettingsSelectTheirMethod) {
    const struct {
        const char* stored;
        int method;
        int rate;
        const char* weights;
        const char* preset;  // nullptr: the preset list is off
        int presets;
    } cases[] = {
        // A first field above 2 means Custom; rate, weights and name stay.
        {"7,x,55,1,2,3,4,5,6,7,8,9,10,11,12\r\np,20,1,1,1,1,1,1,1,1,1,1,1,1\r\n", 2, 55,
         "1,2,3,4,5,6,7,8,9,10,11,12", "x", 1},
        // Method 1 replaces the stored rate and weights.
        {"1,,55,1,2,3,4,5,6,7,8,9,10,11,12\r\n", 1, 100, kJarvis, nullptr, 0},
        // Method 0 keeps them.
        {"0,,40,2,0,0,0,2,0,0,0,0,0,0,0\r\n", 0, 40, "2,0,0,0,2,0,0,0,0,0,0,0", nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        ASSERT_TRUE(writeBytes(settingsFile("Dorvel.ini"), c.stored));
        start();
        EXPECT_TRUE(mode(c.method)->isChecked());
        EXPECT_EQ(rate()->value(), c.rate);
        EXPECT_EQ(weightTexts(), QString::fromLatin1(c.weights));
        EXPECT_EQ(weight(1)->isReadOnly(), c.method == 1);
        EXPECT_EQ(presets()->isEnabled(), c.preset != nullptr);
        EXPECT_EQ(presets()->currentText(), QString::fromLatin1(c.preset ? c.preset : ""));
        EXPECT_EQ(presets()->count(), c.presets);
        EXPECT_TRUE(dialogs.messages.empty());
        window.reset();
    }
}

TEST_F(ConversionTest, ColourEditorAndEyedropper) {
    const QString path = makePictureOf("spot.bmp", 4, 3, [](int x, int y) {
        return x == 2 && y == 1 ? makePixel(130, 200, 10) : makePixel(255, 255, 255);
    });
    start();
    window->loadPictureFile(path, false);
    ui::PictureSurface* surface = source()->surface();
    // Switched off, a press picks nothing.
    sendMouse(surface, QEvent::MouseButtonPress, QPoint(2, 1), Qt::LeftButton);
    EXPECT_EQ(c<QScrollBar>("scrR")->value(), 128);
    c<QPushButton>("chkSPOIT")->click();
    sendMouse(surface, QEvent::MouseMove, QPoint(2, 1), Qt::NoButton);
    EXPECT_EQ(surface->cursor().shape(), Qt::CrossCursor);
    sendMouse(surface, QEvent::MouseButtonPress, QPoint(2, 1), Qt::LeftButton);
    EXPECT_EQ(editorShown(), "130,200,10,82,C8,A");
    EXPECT_EQ(sharedState().colourTable[kUserColourNumber].packed, 130 + 256 * 200 + 65536 * 10);
    EXPECT_EQ(c<QLabel>("lblCOL(17)")->toolTip(), QStringLiteral("AC882"));
    sendMouse(surface, QEvent::MouseButtonPress, QPoint(0, 0), Qt::LeftButton);
    EXPECT_EQ(editorShown(), "255,255,255,FF,FF,FF");

    c<QPushButton>("cmdDEF")->click();
    EXPECT_EQ(sharedState().colourTable[kUserColourNumber].packed, 0x808080);
    c<QScrollBar>("scrG")->setValue(10);
    c<QPushButton>("cmdEDITCOLSAVE")->click();
    EXPECT_EQ(readBytes(settingsFile("EditCol.ini")), QByteArray("800A80\r\n"));
}

// ---- Colour sets

class ColourSetTest : public ConversionTest {
  protected:
    QComboBox* sets() const { return c<QComboBox>("cboCOLSET"); }
    QLabel* cell(int k) const { return c<QLabel>(QStringLiteral("lblCOL(%1)").arg(k)); }
    QString setFile() const { return settingsFile("ColourSet.ini"); }
    // The bead code a colour cell names in its tool tip.
    QString codeOf(int k) const { return cell(k)->toolTip().section(u' ', 0, 0); }
};

TEST_F(ColourSetTest, AChosenLineRepaintsTheCellsAndIsKeptForTheNextRun) {
    start();
    EXPECT_EQ(sets()->itemText(0), QStringLiteral("標準"));
    EXPECT_EQ(sets()->count(), 16);
    EXPECT_FALSE(c<QPushButton>("cmdCOLSET")->isEnabled());

    chooseSet("Perler");
    EXPECT_EQ(cell(0)->toolTip(), "80-19018 Black");
    EXPECT_EQ(cell(0)->palette().color(QPalette::Window), QColor(0x32, 0x32, 0x34));
    EXPECT_TRUE(c<QPushButton>("cmdCOLSET")->isEnabled());
    EXPECT_FALSE(c<QWidget>("picEDIT")->isEnabled());
    EXPECT_EQ(readTextLines(setFile())->mid(0, 2), (QStringList{"perler", "80-19018"}));

    exitProgram();
    start();
    EXPECT_EQ(sets()->currentText(), "Perler");
    EXPECT_EQ(codeOf(1), "80-19001");

    chooseSet("標準");
    EXPECT_EQ(cell(2)->toolTip(), "F0");
    EXPECT_TRUE(c<QWidget>("picEDIT")->isEnabled());
    EXPECT_EQ(readTextLines(setFile()).value(), QStringList{""});
    // A malformed file means the standard set, and is kept as it was.
    window.reset();
    ASSERT_TRUE(writeBytes(setFile(), "perler\r\nNO-SUCH-CODE\r\n"));
    start();
    EXPECT_EQ(sets()->currentText(), QStringLiteral("標準"));
    exitProgram();
    EXPECT_EQ(readBytes(setFile()), "perler\r\nNO-SUCH-CODE\r\n");
}

TEST_F(ColourSetTest, TheEditorBindsSwapsAndRestoresTheAutomaticBinding) {
    start();
    chooseSet("Hama midi");
    const QString white = codeOf(1);
    whileModal<ui::FrmColSet>(c<QPushButton>("cmdCOLSET"), [&](ui::FrmColSet& editor) {
        auto* colours = child<QListWidget>(&editor, "lstCOLOURS");
        auto* beads = child<QListWidget>(&editor, "lstBEADS");
        child<QLineEdit>(&editor, "txtSEARCH")->setText(white);
        ASSERT_EQ(beads->count(), 1);
        EXPECT_TRUE(beads->item(0)->text().endsWith(QStringLiteral("← 白")));
        colours->setCurrentRow(2);
        beads->setCurrentRow(0);
        click(&editor, "cmdBIND");
        EXPECT_TRUE(colours->item(2)->text().contains(white));
        click(&editor, "cmdOK");
    });
    EXPECT_EQ(codeOf(2), white);
    EXPECT_NE(codeOf(1), white) << "白 took 赤's bead";
    EXPECT_EQ(readTextLines(setFile())->at(3), white);

    whileModal<ui::FrmColSet>(c<QPushButton>("cmdCOLSET"), [&](ui::FrmColSet& editor) {
        click(&editor, "cmdAUTO");
        click(&editor, "cmdOK");
    });
    EXPECT_EQ(codeOf(1), white);
}

TEST_F(ColourSetTest, APictureConvertedInASetKeepsItsColoursWhenTheSetChanges) {
    start();
    window->loadPictureFile(
        makePictureOf("photo.png", 60, 40,
                      [](int x, int y) { return qRgb(x * 4, y * 6, (x * y) % 256); }),
        false);
    chooseSet("Perler");
    pick(c<QComboBox>("cboKIND"), 3);
    ui::FrmPreview* preview = convert();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(child<QLabel>(preview, "lblCOLSET")->text(),
              QStringLiteral("色セット：Perler (5 mm)"));
    chooseSet("標準");
    // Saved through the colour information window after the change, the reports are those
    // of the set the picture was made in.
    whileModal<ui::FrmPrint>(action("mnuSAVE"), [&](ui::FrmPrint& shown) {
        child<QComboBox>(&shown, "cboYOKO")->setEditText("20");
        child<QComboBox>(&shown, "cboTATE")->setEditText("20");
        click(&shown, "cmdSAVE");
    });
    const QString cli = root_.filePath("cli");
    QDir().mkpath(cli);
    const CliRun report =
        runCli({"report", QDir(pictureFolder).filePath("photo.bmp"), QDir(cli).filePath("photo"),
                "--sheet", "20x20", "--colour-set", "perler"});
    ASSERT_EQ(report.exitCode, 0) << report.err.toStdString();
    EXPECT_EQ(readBytes(QDir(pictureFolder).filePath("photo.csv")),
              readBytes(QDir(cli).filePath("photo.csv")));
}

}  // namespace
}  // namespace kirimo::test
