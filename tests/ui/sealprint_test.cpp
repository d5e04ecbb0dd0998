// The sticker window: its counts from the printer's printable area, printing into a PDF
// through scripted printer dialogs, and its opening from the colour symbol window.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>

#include "core/picture_file.h"
#include "scripted_print_dialogs.h"
#include "support/cli_runner.h"
#include "ui/frm_printinfo.h"
#include "ui/frm_sealprint.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

using ui::MessageIcon;

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
    void setSize(const QString& w, const QString& h) const {
        control<QLineEdit>("txtX")->setText(w);
        control<QLineEdit>("txtY")->setText(h);
    }
    int pages() const {
        const auto m = QRegularExpression("Pages:\\s+(\\d+)").match(runTool("pdfinfo", {pdf}));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }

    std::unique_ptr<ui::FrmSealPrint> seal;
    QString pdf;
    ScriptedPrintDialogs printDialogs;
};

TEST_F(SealPrintTest, ControlsAndCountsFollowThePrintableArea) {
    EXPECT_EQ(seal->objectName(), "frmSEALPRINT");
    EXPECT_EQ(seal->windowTitle(), "シール印刷");
    EXPECT_EQ(control<QLineEdit>("txtX")->text(), "10");
    EXPECT_EQ(control<QLineEdit>("txtY")->text(), "10");
    EXPECT_EQ(control<QLineEdit>("txtMAI")->text(), "1");
    EXPECT_EQ(control<QCheckBox>("Check1")->text(), "用紙横");
    EXPECT_EQ(control<QCheckBox>("chkLINE")->text(), "区切り線を引く");
    EXPECT_FALSE(control<QCheckBox>("Check1")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("chkLINE")->isChecked());
    EXPECT_EQ(control<QPushButton>("cmdPRINT")->text(), "印刷");
    EXPECT_EQ(control<QPushButton>("cmdCLOSE")->text(), "閉じる");
    EXPECT_FALSE(control<QListWidget>("lstFILE(1)")->isVisibleTo(seal.get()));
    control<QLabel>("imgGAZOU");

    seal->updateCounts();
    EXPECT_EQ(labels(), "横20枚、たて28枚 合計560枚印刷");
    setSize("60", "60");
    EXPECT_EQ(labels(), "横3枚、たて4枚 合計12枚印刷");
    control<QCheckBox>("Check1")->click();
    EXPECT_EQ(labels(), "横4枚、たて3枚 合計12枚印刷");
    seal->printer().setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    seal->updateCounts();
    EXPECT_EQ(labels(), "横4枚、たて3枚 合計12枚印刷");  // 297 / 60 gives 4, not 5

    // Sizes that give no counts keep the labels and refuse printing.
    seal->setPictures({{"a.bmp", makePicture("a.bmp", 3, 2)}});
    control<QListWidget>("lstFILE(0)")->item(0)->setSelected(true);
    for (const char* bad : {"", "abc", "0", "-5", "2.5"}) {
        setSize(bad, "60");
        EXPECT_EQ(labels(), "横4枚、たて3枚 合計12枚印刷") << bad;
        control<QPushButton>("cmdPRINT")->click();
    }
    EXPECT_EQ(dialogs.messages.size(), 5u);
    EXPECT_EQ(printDialogs.printerDialogs, 0);
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(SealPrintTest, PrintsTheSelectedPicturesOnly) {
    const QString a = makePicture("a.bmp", 3, 2);
    const QString b = makePicture("b.bmp", 2, 5);
    const QString c = makePicture("c.bmp", 4, 4);
    seal->setPictures({{"a.bmp", a}, {"b.bmp", b}, {"c.bmp", c}});
    auto* names = control<QListWidget>("lstFILE(0)");
    auto* paths = control<QListWidget>("lstFILE(1)");
    ASSERT_EQ(names->count(), 3);
    EXPECT_EQ(names->item(1)->text(), "b.bmp");
    EXPECT_EQ(paths->item(1)->text(), b);
    EXPECT_EQ(names->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(control<QLabel>("imgGAZOU")->pixmap().isNull());

    // Nothing selected: an empty job, the printer not even asked for.
    control<QPushButton>("cmdPRINT")->click();
    EXPECT_EQ(printDialogs.printerDialogs, 0);
    EXPECT_FALSE(QFile::exists(pdf));

    names->item(0)->setSelected(true);
    names->item(2)->setSelected(true);
    control<QLineEdit>("txtMAI")->setText("2");
    setSize("60", "50");
    control<QCheckBox>("chkLINE")->setChecked(true);
    // Printed to a file, the sheets are offered as the first picture's name in its folder.
    QString offered;
    printDialogs.onChoose = [&](QPrinter& printer) { offered = printer.docName(); };
    control<QPushButton>("cmdPRINT")->click();
    EXPECT_EQ(printDialogs.printerDialogs, 1);
    EXPECT_EQ(offered, "a_stickers.pdf");
    EXPECT_EQ(printDialogs.currentFolder, QDir(pictureFolder).absolutePath());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(pages(), 4);  // two sheets each of a and c

    // 3 x 5 stickers of 60 x 50 mm on 200 x 287 mm, every placement its picture's.
    const QString listed = runTool("pdfimages", {"-list", pdf});
    for (int page = 1; page <= 4; ++page) {
        const QSize size = page <= 2 ? QSize(3, 2) : QSize(4, 4);
        EXPECT_EQ(listed.count(QRegularExpression(QString("\\n\\s+%1\\s+\\d+\\s+image\\s+%2\\s+%3 ")
                                                      .arg(page)
                                                      .arg(size.width())
                                                      .arg(size.height()))),
                  15)
            << listed.toStdString();
    }
}

TEST_F(SealPrintTest, AnUnreadablePictureIsNamedAndNothingPrinted) {
    const QString a = makePicture("a.bmp", 3, 2);
    const QString broken = QDir(pictureFolder).filePath("broken.bmp");
    ASSERT_TRUE(writeBytes(broken, "BM?"));
    seal->setPictures({{"a.bmp", a}, {"broken.bmp", broken}});
    control<QListWidget>("lstFILE(0)")->selectAll();
    control<QPushButton>("cmdPRINT")->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(broken));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(printDialogs.printerDialogs, 0);
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(SealPrintTest, StickersWithoutRoomAndJobsOfTooManyPagesAreRefused) {
    const QString a = makePicture("a.bmp", 3, 2);
    const QString b = makePicture("b.bmp", 2, 5);
    seal->setPictures({{"a.bmp", a}, {"b.bmp", b}});
    control<QListWidget>("lstFILE(0)")->selectAll();
    const struct {
        const char *w, *h, *sheets;
        const char* message;
    } cases[] = {
        {"1", "1", "1", "縦横とも2mm以上"},
        {"10", "1", "1", "縦横とも2mm以上"},
        {"10", "10", "5001", "印刷するﾍﾟｰｼﾞが多すぎます（10002ﾍﾟｰｼﾞ）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        dialogs.messages.clear();
        setSize(c.w, c.h);
        control<QLineEdit>("txtMAI")->setText(c.sheets);
        control<QPushButton>("cmdPRINT")->click();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_TRUE(dialogs.messages[0].text.contains(QString::fromUtf8(c.message)))
            << dialogs.messages[0].text.toStdString();
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
    }
    EXPECT_EQ(printDialogs.printerDialogs, 0);
    EXPECT_FALSE(QFile::exists(pdf));
    // 5,000 pages of each picture are the most one job may have.
    dialogs.messages.clear();
    setSize("2", "200");
    control<QLineEdit>("txtMAI")->setText("2");
    control<QPushButton>("cmdPRINT")->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(pages(), 4);
}

TEST_F(SealPrintTest, TheColourSymbolWindowOpensItFilled) {
    start();
    const QString a = makePicture("a.bmp", 3, 2);
    const QString b = makePicture("b.bmp", 2, 2);
    whileModal<ui::FrmPrintInfo>(action("mnuCOLSET"), [&](ui::FrmPrintInfo& symbols) {
        symbols.selectColour(3);
        symbols.dropFiles({a, b});
        auto* seal = child<QPushButton>(&symbols, "cmdSEALPRINT");
        whileModal<ui::FrmSealPrint>(seal, [&](ui::FrmSealPrint& shown) {
            EXPECT_EQ(shown.objectName(), "frmSEALPRINT");
            EXPECT_EQ(itemTexts(child<QListWidget>(&shown, "lstFILE(0)")),
                      QStringList({"a.bmp", "b.bmp"}));
            EXPECT_EQ(itemTexts(child<QListWidget>(&shown, "lstFILE(1)")), QStringList({a, b}));
            child<QPushButton>(&shown, "cmdCLOSE")->click();
        });
        EXPECT_EQ(symbols.objectName(), "frmPRINTINFO");
        child<QPushButton>(&symbols, "cmdESC")->click();
        EXPECT_FALSE(symbols.isVisible());
    });
}

}  // namespace
}  // namespace kirimo::test
