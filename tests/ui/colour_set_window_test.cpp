// Colour sets in the windows: the set chosen in the conversion window, edited in its own
// window, kept in ColourSet.ini, and followed by every picture converted in it.

#include <QListWidget>

#include "conversion_fixture.h"
#include "core/text_file.h"
#include "support/cli_runner.h"
#include "ui/frm_colset.h"
#include "ui/frm_print.h"

namespace kirimo::test {
namespace {

class ColourSetTest : public ConversionTest {
  protected:
    QComboBox* sets() const { return c<QComboBox>("cboCOLSET"); }
    QLabel* cell(int k) const { return c<QLabel>(QStringLiteral("lblCOL(%1)").arg(k)); }
    QString setFile() const { return QDir(settingsFolder).filePath("ColourSet.ini"); }
    void chooseSet(const QString& name) {
        const int index = sets()->findText(name);
        ASSERT_GE(index, 0) << name.toStdString();
        pick(sets(), index);
    }
    // The bead code a colour cell names in its tool tip.
    QString codeOf(int k) const { return cell(k)->toolTip().section(u' ', 0, 0); }
};

TEST_F(ColourSetTest, AChosenLineRepaintsTheCellsAndIsKeptForTheNextRun) {
    start();
    EXPECT_EQ(sets()->itemText(0), QStringLiteral("標準"));
    EXPECT_EQ(sets()->count(), 16);
    EXPECT_FALSE(c<QPushButton>("cmdCOLSET")->isEnabled());
    EXPECT_EQ(cell(2)->toolTip(), "F0");

    chooseSet("Perler");
    EXPECT_EQ(cell(0)->toolTip(), "80-19018 Black");
    EXPECT_EQ(cell(0)->palette().color(QPalette::Window), QColor(0x32, 0x32, 0x34));
    EXPECT_TRUE(c<QPushButton>("cmdCOLSET")->isEnabled());
    EXPECT_FALSE(c<QWidget>("picEDIT")->isEnabled());
    EXPECT_EQ(readTextLines(setFile())->mid(0, 2), (QStringList{"perler", "80-19018"}));

    dialogs.answers.push_back(ui::MessageAnswer::Yes);
    window->close();
    start();
    EXPECT_EQ(sets()->currentText(), "Perler");
    EXPECT_EQ(codeOf(1), "80-19001");

    chooseSet("標準");
    EXPECT_EQ(cell(2)->toolTip(), "F0");
    EXPECT_TRUE(c<QWidget>("picEDIT")->isEnabled());
    EXPECT_EQ(readTextLines(setFile()).value(), QStringList{""});
}

TEST_F(ColourSetTest, AMalformedFileMeansTheStandardSetAndIsKept) {
    QDir().mkpath(settingsFolder);
    ASSERT_TRUE(writeBytes(setFile(), "perler\r\nNO-SUCH-CODE\r\n"));
    start();
    EXPECT_EQ(sets()->currentText(), QStringLiteral("標準"));
    dialogs.answers.push_back(ui::MessageAnswer::Yes);
    window->close();
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
        child<QPushButton>(&editor, "cmdBIND")->click();
        EXPECT_TRUE(colours->item(2)->text().contains(white));
        child<QPushButton>(&editor, "cmdOK")->click();
    });
    EXPECT_EQ(codeOf(2), white);
    EXPECT_NE(codeOf(1), white) << "白 took 赤's bead";
    EXPECT_EQ(readTextLines(setFile())->at(3), white);

    whileModal<ui::FrmColSet>(c<QPushButton>("cmdCOLSET"), [&](ui::FrmColSet& editor) {
        child<QPushButton>(&editor, "cmdAUTO")->click();
        child<QPushButton>(&editor, "cmdOK")->click();
    });
    EXPECT_EQ(codeOf(1), white);
}

TEST_F(ColourSetTest, APictureConvertedInASetKeepsItsColoursWhenTheSetChanges) {
    start();
    const QString photo = makePictureOf(
        "photo.png", 60, 40, [](int x, int y) { return qRgb(x * 4, y * 6, (x * y) % 256); });
    window->loadPictureFile(photo, false);
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
        child<QPushButton>(&shown, "cmdSAVE")->click();
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
