// Pictures of the windows for people to look at, and for the manual
// (scripts/manual-screenshots.sh). Runs only when KIRIMO_SCREENSHOT_DIR names a folder,
// on a real display:
//   KIRIMO_SCREENSHOT_DIR=/tmp/shots QT_QPA_PLATFORM=xcb
//   xvfb-run -s "-screen 0 1280x800x24" kirimo_ui_tests --gtest_filter='UiScreenshot*'
// Each picture holds one window: the main window with its child windows, or one dialog.

#include <QFileDialog>
#include <QFontDatabase>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QScreen>

#include "ui_fixture.h"
#include "ui/dialogs.h"
#include "ui/frm_a4print.h"
#include "ui/frm_about.h"
#include "ui/frm_colset.h"
#include "ui/frm_edit.h"
#include "ui/frm_jiguzagu.h"
#include "ui/frm_print.h"
#include "ui/frm_printinfo.h"
#include "ui/frm_sealprint.h"

namespace kirimo::test {
namespace {

class UiScreenshot : public ConversionTest {
  protected:
    void SetUp() override {
        folder_ = qEnvironmentVariable("KIRIMO_SCREENSHOT_DIR");
        if (folder_.isEmpty())
            GTEST_SKIP() << "KIRIMO_SCREENSHOT_DIR is not set";
        UiTest::SetUp();
        QDir().mkpath(folder_);
        if (QFontDatabase::families().contains(QStringLiteral("IPAexGothic")))
            QApplication::setFont(QFont(QStringLiteral("IPAexGothic"), 10));
    }

    void settle() {
        for (int i = 0; i < 20; ++i) {
            QApplication::processEvents();
            QTest::qWait(25);
        }
    }
    // The screen where `shown` lies, its frame included.
    void grab(QWidget* shown, const QString& name) {
        settle();
        const QRect area = shown->isWindow()
                               ? shown->frameGeometry()
                               : QRect(shown->mapToGlobal(QPoint(0, 0)), shown->size());
        const QPixmap shot =
            shown->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        EXPECT_TRUE(shot.save(QDir(folder_).filePath(name)));
    }
    void grabScreen(const QString& name) { grab(window.get(), name); }

    // Runs `work` once, as soon as a modal window of type T is the active one; `ran` tells
    // whether it did.
    template <typename T>
    void whenModal(const std::function<void(T&)>& work) {
        auto* poll = new QTimer(window.get());
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, work] {
            if (auto* shown = qobject_cast<T*>(QApplication::activeModalWidget())) {
                poll->stop();
                poll->deleteLater();
                ran = true;
                work(*shown);
            }
        });
        poll->start(50);
    }

    // The sample photograph resized and recoloured by ImageMagick, or nothing.
    QString magick(const QString& from, const QString& name, const QStringList& options) {
        const QString made = QDir(pictureFolder).filePath(name);
        QProcess convert;
        convert.start(QStringLiteral("convert"), QStringList{from} + options + QStringList{made});
        if (!convert.waitForFinished(60000) || convert.exitCode() != 0)
            return {};
        return made;
    }
    QString sample() const {
        return QDir::cleanPath(
            QDir(QStringLiteral(KIRIMO_TEST_DATA_DIR "/../../samples")).filePath("cat.jpg"));
    }

    // Starts the main window in the screen's top-left corner, 1280 x 800; the sample
    // photograph's path, or nothing when it is missing.
    QString startWithThePhotograph() {
        // A copy in the sandbox: the windows write their settings next to the picture.
        const QString cat = QDir(pictureFolder).filePath("cat.jpg");
        if (!QFile::copy(sample(), cat))
            return {};
        start();
        window->move(0, 0);
        window->resize(1280, 800);
        settle();
        return cat;
    }
    // The photograph opened and converted in the conversion window's settings.
    QString convertThePhotograph() {
        const QString cat = startWithThePhotograph();
        EXPECT_FALSE(cat.isEmpty());
        if (!cat.isEmpty()) {
            openThroughDialog(cat);
            find<QPushButton>("cmdCOLOR2")->click();
            settle();
        }
        return cat;
    }
    ui::FrmPreview* preview() const { return window->findChild<ui::FrmPreview*>(); }
    // The colour information window on 30 x 30 sheets.
    static void sheetsOf30(ui::FrmPrint& info) {
        info.findChild<QComboBox*>("cboYOKO")->setEditText("30");
        info.findChild<QComboBox*>("cboTATE")->setEditText("30");
    }

    QString folder_;
    bool ran = false;
};

TEST_F(UiScreenshot, MainWindowWithAPhotograph) {
    const QString cat = startWithThePhotograph();
    ASSERT_FALSE(cat.isEmpty());
    openThroughDialog(cat);
    trigger("mnuLAST");
    grabScreen("main_window.png");

    // The same picture in a window too small for it, with the edit menu open.
    sourceFrame()->resize(300, 220);
    settle();
    EXPECT_FALSE(find<QWidget>("scrYOKO")->isHidden());
    EXPECT_FALSE(find<QWidget>("scrTATE")->isHidden());
    QMenu* edit = find<QMenu>("mnuEDIT");
    window->menuBar()->setActiveAction(edit->menuAction());
    grabScreen("main_window_scrolled_menu.png");
    edit->hide();
}

TEST_F(UiScreenshot, ConversionWindowAndTwoPreviews) {
    const QString cat = startWithThePhotograph();
    ASSERT_FALSE(cat.isEmpty());
    openThroughDialog(cat);
    sourceFrame()->move(220, 0);
    // 16 colours, Floyd&Steinberg, RGB; then 3 primaries, Jarvis,Judice&Ninke, YCC.
    pick(find<QComboBox>("cboKIND"), 2);
    convert();
    pick(find<QComboBox>("cboKIND"), 4);
    find<QRadioButton>("optNEARCOLOR(1)")->click();
    find<QRadioButton>("optMODE(1)")->click();
    convert();
    settle();
    const QList<ui::FrmPreview*> previews = window->findChildren<ui::FrmPreview*>();
    ASSERT_EQ(previews.size(), 2);
    previews[0]->parentWidget()->move(220, 350);
    previews[1]->parentWidget()->move(700, 350);
    window->mdiArea()->setActiveSubWindow(frameOf(previews[0]));
    grabScreen("conversion_and_previews.png");
}

TEST_F(UiScreenshot, ABeadColourSetAndItsEditor) {
    const QString cat = startWithThePhotograph();
    ASSERT_FALSE(cat.isEmpty());
    openThroughDialog(cat);
    sourceFrame()->move(220, 0);
    chooseSet(QStringLiteral("Perler"));
    pick(find<QComboBox>("cboKIND"), 3);
    convert();
    settle();
    ASSERT_EQ(window->findChildren<ui::FrmPreview*>().size(), 1);
    preview()->parentWidget()->move(220, 350);
    grabScreen("colour_set.png");

    whenModal<ui::FrmColSet>([this](ui::FrmColSet& editor) {
        editor.findChild<QLineEdit*>("txtSEARCH")->setText("80-1520");
        grab(&editor, "colour_set_editor.png");
        editor.reject();
    });
    find<QPushButton>("cmdCOLSET")->click();
}

TEST_F(UiScreenshot, ColourInformationOfAPhotograph) {
    ASSERT_FALSE(convertThePhotograph().isEmpty());
    whenModal<ui::FrmPrint>([this](ui::FrmPrint& info) {
        info.move(300, 200);
        sheetsOf30(info);
        // A click on the map switches the magnified view to the converted picture; then
        // the pointer rests over sheet (6,4).
        auto* map = info.findChild<QWidget*>("picGAZOU(0)");
        settle();
        const QPoint over(map->width() * 170 / 451, map->height() * 100 / 300);
        QTest::mouseClick(map, Qt::LeftButton, Qt::NoModifier, over);
        QTest::mouseMove(map, over + QPoint(1, 0));
        QTest::mouseMove(map, over);
        grab(&info, "colour_information.png");
        info.close();
    });
    trigger("mnuSAVE");
    EXPECT_TRUE(ran);
}

TEST_F(UiScreenshot, ColourSymbolWindowWithPictures) {
    const QString cat = startWithThePhotograph();
    ASSERT_FALSE(cat.isEmpty());
    // Colour 0 holds the photograph, two small pictures and, crossed out, a third.
    ColourSymbols& black = sharedState().symbolSettings.colours[0];
    black.characters = QStringLiteral("黒ABC");
    black.flags = QStringLiteral("0,-1,0,-1");
    black.pictures[0] = {cat, true};
    black.pictures[1] = {makePicture("stripes.bmp", 60, 40), true};
    black.pictures[2] = {makePicture("crossed.bmp", 40, 40), false};
    black.pictures[4] = {cat, true};
    whenModal<ui::FrmPrintInfo>([this](ui::FrmPrintInfo& symbols) {
        symbols.move(40, 40);
        grab(&symbols, "colour_symbols.png");
        // The sticker window with the colour's usable pictures, the second one selected.
        symbols.selectColour(0);
        whenModal<ui::FrmSealPrint>([this](ui::FrmSealPrint& seal) {
            seal.move(200, 120);
            seal.findChild<QListWidget*>("lstFILE(0)")->item(1)->setSelected(true);
            seal.findChild<QCheckBox*>("chkLINE")->setChecked(true);
            grab(&seal, "sticker_window.png");
            seal.findChild<QPushButton*>("cmdCLOSE")->click();
        });
        symbols.findChild<QPushButton*>("cmdSEALPRINT")->click();
        symbols.findChild<QPushButton*>("cmdESC")->click();
    });
    trigger("mnuCOLSET");
    EXPECT_TRUE(ran);
}

TEST_F(UiScreenshot, A4ChartWindowAndItsPrintPreview) {
    ASSERT_FALSE(convertThePhotograph().isEmpty());
    bool previewed = false;
    whenModal<ui::FrmPrint>([&](ui::FrmPrint& info) {
        info.move(300, 200);
        sheetsOf30(info);
        whenModal<ui::FrmA4Print>([&](ui::FrmA4Print& a4) {
            a4.move(420, 260);
            a4.findChild<QCheckBox*>("chkPR")->setChecked(false);
            for (const char* extra : {"chkCOVER", "chkLEGEND", "chkBOLD10"})
                a4.findChild<QCheckBox*>(extra)->setChecked(true);
            grab(&a4, "a4_window.png");
            // The preview of the same pages, as the button shows it.
            QTimer::singleShot(0, &a4, [&] {
                QWidget* shownPreview = QApplication::activeModalWidget();
                ASSERT_NE(shownPreview, nullptr);
                shownPreview->setGeometry(0, 0, 1280, 800);
                settle();
                grab(shownPreview, "a4_print_preview.png");
                previewed = true;
                shownPreview->close();
            });
            a4.findChild<QPushButton*>("cmdPREVIEW")->click();
            a4.close();
        });
        info.findChild<QPushButton*>("cmdA4")->click();
        info.close();
    });
    trigger("mnuSAVE");
    EXPECT_TRUE(previewed);
}

// The zigzag window after a run on the sample photograph and a smaller, recoloured copy of
// it, the crop rectangle on A moved a little.
TEST_F(UiScreenshot, ZigzagWindowAfterARun) {
    const QString cat = sample();
    ASSERT_TRUE(QFileInfo::exists(cat));
    const QString other = magick(cat, "cat_hue.jpg", {"-resize", "90%", "-modulate", "100,130,40"});
    if (other.isEmpty())
        GTEST_SKIP() << "ImageMagick's convert is not available";
    start();
    window->move(0, 0);
    settle();
    whenModal<ui::FrmJiguzagu>([&](ui::FrmJiguzagu& zig) {
        zig.move(300, 120);
        dialogs.answers.push_back(ui::MessageAnswer::Yes);
        dialogs.filesAnswers.push_back({cat, other});
        zig.findChild<QPushButton*>("cmdLOADPIC")->click();
        zig.findChild<QLabel*>("lblRESIZE(0)")->move(8, 6);
        zig.findChild<QComboBox*>("cboHABA")->setEditText(QStringLiteral("29"));
        zig.findChild<QPushButton*>("cmdRUN")->click();
        grab(&zig, "zigzag_window.png");
        zig.findChild<QPushButton*>("cmdCLOSE")->click();
    });
    trigger("mnuJIGZAG");
    EXPECT_TRUE(ran);
}

// A conversion of a picture larger than the client area: the new preview opens inside
// it with scroll bars; the history window opens inside it too.
TEST_F(UiScreenshot, LargePreviewAndHistory) {
    const QString cat = startWithThePhotograph();
    ASSERT_FALSE(cat.isEmpty());
    const QString large = magick(cat, "cat_large.jpg", {"-resize", "2560x1920!"});
    if (large.isEmpty())
        GTEST_SKIP() << "ImageMagick's convert is not available";
    openThroughDialog(large);
    convert();
    settle();
    grabScreen("large_preview.png");
    trigger("mnuLAST");
    grabScreen("history.png");
}

// The dot editor on the photograph's preview, three times enlarged; then the photograph's
// preview eight times magnified, its grid showing each bead, and the dot editor after two
// strokes, the second one undone.
TEST_F(UiScreenshot, DotEditorAndMagnifiedPreview) {
    ASSERT_FALSE(convertThePhotograph().isEmpty());
    ASSERT_NE(preview(), nullptr);
    preview()->findChild<QComboBox*>("cboBAI")->setCurrentIndex(1);
    whenModal<ui::FrmEdit>([this](ui::FrmEdit& editor) {
        editor.setGeometry(100, 80, 760, 560);
        grab(&editor, "dot_editor.png");
        editor.close();
    });
    preview()->findChild<QPushButton*>("cmdEDIT")->click();
    EXPECT_TRUE(ran);

    preview()->findChild<QComboBox*>("cboBAI")->setCurrentIndex(0);
    preview()->parentWidget()->setGeometry(220, 0, 520, 420);
    preview()->setMagnification(8);
    grabScreen("preview_magnified.png");
    preview()->findChild<QComboBox*>("cboBAI")->setCurrentIndex(2);
    ran = false;
    whenModal<ui::FrmEdit>([this](ui::FrmEdit& editor) {
        editor.setGeometry(100, 80, 760, 560);
        auto* canvas = editor.findChild<ui::PictureSurface*>("picPREVIEW");
        ASSERT_NE(canvas, nullptr);
        // One stroke: a band of three lines, drawn without letting go.
        const auto stroke = [&](int option, int y) {
            editor.findChild<QRadioButton*>(QStringLiteral("optCOL(%1)").arg(option))->click();
            sendMouse(canvas, QEvent::MouseButtonPress, QPoint(10, y), Qt::LeftButton);
            for (int row = y; row < y + 12; row += 4) {
                for (int x = 10; x < 300; x += 4)
                    sendMouse(canvas, QEvent::MouseMove, QPoint(x, row), Qt::LeftButton);
            }
            sendMouse(canvas, QEvent::MouseButtonRelease, QPoint(300, y + 8), Qt::NoButton);
        };
        stroke(0, 60);
        stroke(2, 100);
        editor.findChild<QPushButton*>("cmdUNDO")->click();
        grab(&editor, "dot_editor_undo.png");
        editor.close();
    });
    preview()->findChild<QPushButton*>("cmdEDIT")->click();
    EXPECT_TRUE(ran);
}

// Qt's own dialogs in Japanese: the save dialog of "元ﾃﾞｰﾀを別名保存", the overwrite
// question that follows it, and the printer dialog of the A4 window; then the about box.
TEST_F(UiScreenshot, SaveDialogOverwriteQuestionPrintDialogAndAboutBox) {
    ui::QtDialogs real;
    environment.dialogs = &real;
    const QString cat = startWithThePhotograph();
    ASSERT_FALSE(cat.isEmpty());
    window->loadPictureFile(cat, true);
    const QString existing = makePicture("cat.bmp", 20, 20);
    bool asked = false;
    whenModal<QFileDialog>([&](QFileDialog& files) {
        files.move(120, 80);
        files.setDirectory(pictureFolder);
        grab(&files, "save_dialog.png");
        whenModal<QMessageBox>([&](QMessageBox& box) {
            asked = true;
            box.move(400, 300);
            grab(&box, "message_box.png");
            box.button(QMessageBox::Cancel)->click();
        });
        files.selectFile(existing);
        static_cast<QDialog&>(files).accept();
    });
    trigger("mnuGSAVE");
    EXPECT_TRUE(asked);

    bool printed = false;
    convert();
    settle();
    whenModal<ui::FrmPrint>([&](ui::FrmPrint& info) {
        whenModal<ui::FrmA4Print>([&](ui::FrmA4Print& a4) {
            whenModal<QPrintDialog>([&](QPrintDialog& dialog) {
                printed = true;
                dialog.move(200, 100);
                grab(&dialog, "print_dialog.png");
                dialog.reject();
                QTimer::singleShot(0, &a4, [&a4, &info] {
                    a4.close();
                    info.close();
                });
            });
            // Every sheet, so that no question comes before the printer dialog.
            a4.findChild<QCheckBox*>("chkPR")->setChecked(false);
            a4.findChild<QPushButton*>("cmdPRTSTART")->click();
        });
        sheetsOf30(info);
        info.findChild<QPushButton*>("cmdA4")->click();
    });
    trigger("mnuSAVE");
    EXPECT_TRUE(printed);

    ran = false;
    whenModal<ui::FrmAbout>([this](ui::FrmAbout& about) {
        about.move(300, 200);
        grab(&about, "about.png");
        about.close();
    });
    trigger("mnuABOUT");
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace kirimo::test
