// The conversion settings window: creation state, palettes, diffusion methods, presets in
// Dorvel.ini, the user colour's editor and eyedropper, usage marks.

#include "conversion_fixture.h"
#include "core/colour_table.h"
#include "ui/frm_last.h"

namespace kirimo::test {
namespace {

using ui::MessageIcon;

TEST_F(ConversionTest, CreationState) {
    start();
    EXPECT_EQ(conv()->windowTitle(), QStringLiteral("変換方式"));
    EXPECT_TRUE(convFrame()->isVisible());
    EXPECT_EQ(convFrame()->x(), 0);
    // The history window sits below it.
    QWidget* historyFrame = window->historyWindow()->parentWidget();
    EXPECT_EQ(historyFrame->y(), convFrame()->y() + convFrame()->height() + 16);

    auto* kind = c<QComboBox>("cboKIND");
    ASSERT_EQ(kind->count(), 5);
    EXPECT_EQ(kind->itemText(0), QStringLiteral("ﾓﾉｸﾛ"));
    EXPECT_EQ(kind->itemText(4), QStringLiteral("３原色"));
    EXPECT_EQ(kind->currentText(), QStringLiteral("標準8色"));
    EXPECT_EQ(ticked(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    for (int k = 0; k < kColourCount; ++k)
        EXPECT_TRUE(mark(k)->isHidden()) << k;

    EXPECT_TRUE(c<QRadioButton>("optNEARCOLOR(0)")->isChecked());
    auto* cie = c<QRadioButton>("optNEARCOLOR(2)");
    EXPECT_EQ(cie->text(), QStringLiteral("CIE表色系"));
    EXPECT_TRUE(cie->isVisible());
    EXPECT_TRUE(mode(0)->isChecked());
    EXPECT_EQ(mode(1)->text(), QStringLiteral("Jarvis,Judice&&Ninke"));
    EXPECT_EQ(weightTexts().join(','), QStringLiteral("7,0,0,3,5,1,0,0,0,0,0,0"));
    EXPECT_FALSE(weight(1)->isReadOnly());
    EXPECT_EQ(c<QLineEdit>("Text1")->text(), QStringLiteral("・"));
    EXPECT_EQ(rate()->value(), 100);
    EXPECT_EQ(c<QLabel>("lblBUNSAN")->text(), QStringLiteral("100"));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(c<QScrollBar>(QStringLiteral("scrCOLOR(%1)").arg(i))->value(), 10);
        EXPECT_EQ(c<QLabel>(QStringLiteral("lblPERCENT(%1)").arg(i))->text(),
                  QStringLiteral("100"));
    }
    EXPECT_FALSE(presets()->isEnabled());
    EXPECT_TRUE(presets()->currentText().isEmpty());
    EXPECT_EQ(presets()->count(), 0);
    EXPECT_FALSE(c<QPushButton>("cmdSETSAVE")->isEnabled());
    EXPECT_EQ(c<QPushButton>("cmdCOLOR2")->text(), QStringLiteral("色変換"));

    // Colour cells show their packed value; the editor shows the user colour.
    EXPECT_EQ(c<QLabel>("lblCOL(10)")->toolTip(), QStringLiteral("B85FF"));
    EXPECT_EQ(c<QLabel>("lblCOL(2)")->toolTip(), QStringLiteral("F0"));
    EXPECT_EQ(c<QLabel>("lblCOL(3)")->toolTip(), QStringLiteral("FF0000"));
    EXPECT_EQ(c<QLabel>("lblCOL(10)")->palette().color(QPalette::Window), QColor(255, 133, 11));
    for (const char* name : {"scrR", "scrG", "scrB"})
        EXPECT_EQ(c<QScrollBar>(name)->value(), 128) << name;
    EXPECT_EQ(c<QLabel>("lblR")->text(), QStringLiteral("80"));
    EXPECT_EQ(c<QLabel>("Label1(2)")->text(), QStringLiteral("10%↓"));
}

TEST_F(ConversionTest, PaletteKindsAndReset) {
    start();
    conv()->showColorUsage(QStringLiteral("0,0.005,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0.995"));
    EXPECT_FALSE(mark(0)->isHidden());
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
    EXPECT_EQ(weightTexts().join(','), QStringLiteral("7,5,3,5,7,5,3,1,3,5,3,1"));
    for (int k = 1; k <= kWeightCount; ++k)
        EXPECT_TRUE(weight(k)->isReadOnly()) << k;
    EXPECT_FALSE(presets()->isEnabled());
    EXPECT_TRUE(presets()->currentText().isEmpty());

    // Custom keeps what the fixed method left.
    mode(2)->click();
    EXPECT_EQ(weightTexts().join(','), QStringLiteral("7,5,3,5,7,5,3,1,3,5,3,1"));
    mode(0)->click();
    EXPECT_EQ(weightTexts().join(','), QStringLiteral("7,0,0,3,5,1,0,0,0,0,0,0"));
}

TEST_F(ConversionTest, PresetsAreSavedRefusedChosenAndKept) {
    start();
    mode(1)->click();
    mode(2)->click();
    rate()->setValue(80);
    auto* save = c<QPushButton>("cmdSETSAVE");

    // No name.
    save->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("設定保存"));
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("設定名を入力して下さい。"));
    EXPECT_FALSE(QFile::exists(dorvel()));

    // A comma would split the name when the file is read back.
    presets()->setEditText("so,ft");
    save->click();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[1].text.contains("「,」"))
        << dialogs.messages[1].text.toStdString();
    EXPECT_FALSE(QFile::exists(dorvel()));

    presets()->setEditText("soft");
    save->click();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dorvelLines().last(), QStringLiteral("soft,80,7,5,3,5,7,5,3,1,3,5,3,1"));
    ASSERT_EQ(presets()->count(), 1);
    EXPECT_EQ(presets()->itemText(0), QStringLiteral("soft"));

    // The same settings under another name are refused, naming the stored preset.
    presets()->setEditText("hard");
    save->click();
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[2].title, QStringLiteral("設定重複"));
    EXPECT_EQ(dialogs.messages[2].text, QStringLiteral("すでに同じ設定があります。（soft）"));
    EXPECT_EQ(dorvelLines().size(), 2);
    EXPECT_EQ(presets()->count(), 1);

    // One weight changed: saved.
    weight(12)->setText("2");
    save->click();
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dorvelLines().last(), QStringLiteral("hard,80,7,5,3,5,7,5,3,1,3,5,3,2"));

    // A weight that is not a whole number is refused.
    weight(5)->setText("x");
    presets()->setEditText("odd");
    save->click();
    ASSERT_EQ(dialogs.messages.size(), 4u);
    EXPECT_EQ(dorvelLines().size(), 3);

    // Choosing a preset brings its rate and weights back.
    rate()->setValue(10);
    pick(presets(), 0);
    EXPECT_EQ(rate()->value(), 80);
    EXPECT_EQ(weightTexts().join(','), QStringLiteral("7,5,3,5,7,5,3,1,3,5,3,1"));

    // Closing writes the current settings first; opening again reads everything back.
    convFrame()->close();
    QApplication::processEvents();
    const QStringList lines = dorvelLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("2,soft,80,7,5,3,5,7,5,3,1,3,5,3,1"));
    EXPECT_EQ(lines[1], QStringLiteral("soft,80,7,5,3,5,7,5,3,1,3,5,3,1"));
    EXPECT_EQ(lines[2], QStringLiteral("hard,80,7,5,3,5,7,5,3,1,3,5,3,2"));
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
        {"1,,55,1,2,3,4,5,6,7,8,9,10,11,12\r\n", 1, 100, "7,5,3,5,7,5,3,1,3,5,3,1", nullptr, 0},
        // Method 0 keeps them.
        {"0,,40,2,0,0,0,2,0,0,0,0,0,0,0\r\n", 0, 40, "2,0,0,0,2,0,0,0,0,0,0,0", nullptr, 0},
        // A negative method, a short line: the creation state fills what is missing.
        {"-3,,30,9\r\n\r\n", 0, 30, "9,0,0,3,5,1,0,0,0,0,0,0", nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        writeDorvel(c.stored);
        start();
        EXPECT_TRUE(mode(c.method)->isChecked());
        EXPECT_EQ(rate()->value(), c.rate);
        EXPECT_EQ(weightTexts().join(','), QString::fromLatin1(c.weights));
        EXPECT_EQ(weight(1)->isReadOnly(), c.method == 1);
        EXPECT_EQ(presets()->isEnabled(), c.preset != nullptr);
        EXPECT_EQ(presets()->currentText(), QString::fromLatin1(c.preset ? c.preset : ""));
        EXPECT_EQ(presets()->count(), c.presets);
        EXPECT_TRUE(dialogs.messages.empty());
        window.reset();
    }
}

TEST_F(ConversionTest, ClosingTheProgramWritesDorvel) {
    start();
    mode(2)->click();
    rate()->setValue(33);
    dialogs.answers.push_back(ui::MessageAnswer::Yes);
    window->close();
    EXPECT_EQ(dorvelLines().value(0), QStringLiteral("2,,33,7,0,0,3,5,1,0,0,0,0,0,0"));
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
    EXPECT_EQ(c<QScrollBar>("scrR")->value(), 130);
    EXPECT_EQ(c<QScrollBar>("scrG")->value(), 200);
    EXPECT_EQ(c<QScrollBar>("scrB")->value(), 10);
    EXPECT_EQ(c<QLabel>("lblR")->text(), QStringLiteral("82"));
    EXPECT_EQ(c<QLabel>("lblB")->text(), QStringLiteral("A"));
    const ColourEntry& user = sharedState().colourTable[kUserColourNumber];
    EXPECT_EQ(user.packed, 130 + 256 * 200 + 65536 * 10);
    EXPECT_EQ(c<QLabel>("lblCOL(17)")->toolTip(), QStringLiteral("AC882"));

    sendMouse(surface, QEvent::MouseButtonPress, QPoint(0, 0), Qt::LeftButton);
    EXPECT_EQ(c<QScrollBar>("scrB")->value(), 255);

    c<QPushButton>("cmdDEF")->click();
    EXPECT_EQ(sharedState().colourTable[kUserColourNumber].packed, 0x808080);
    c<QScrollBar>("scrG")->setValue(10);
    c<QPushButton>("cmdEDITCOLSAVE")->click();
    QFile file(QDir(settingsFolder).filePath("EditCol.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("800A80\r\n"));
}

TEST_F(ConversionTest, UsageMarksFollowTheShares) {
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
}

}  // namespace
}  // namespace kirimo::test
