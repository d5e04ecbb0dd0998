// Pictures of the windows for the manual (scripts/manual-screenshots.sh). Runs only when
// KIRIMO_SCREENSHOT_DIR names a folder, on a real display:
//   KIRIMO_SCREENSHOT_DIR=/tmp/shots QT_QPA_PLATFORM=xcb
//   xvfb-run -s "-screen 0 1280x800x24" kirimo_ui_tests --gtest_filter='UiScreenshot*'
// Each picture holds one window: the main window with its child windows, or one dialog.

#include <QFileDialog>
#include <QFontDatabase>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QScreen>

#include "ui/frm_a4print.h"
#include "ui/frm_about.h"
#include "ui/frm_colset.h"
#include "ui/frm_edit.h"
#include "ui/frm_jiguzagu.h"
#include "ui/frm_print.h"
#include "ui/frm_printinfo.h"
#include "ui/frm_sealprint.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

class UiScreenshot : public UiTest {
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
    static void settle() { QTest::qWait(500); }
    // The screen where `shown` lies, its frame included; the main window by default.
    void grab(const QString& name, QWidget* shown = nullptr) {
        settle();
        shown = shown != nullptr ? shown : window.get();
        const QRect area = shown->isWindow()
                               ? shown->frameGeometry()
                               : QRect(shown->mapToGlobal(QPoint(0, 0)), shown->size());
        EXPECT_TRUE(shown->screen()
                        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                        .save(QDir(folder_).filePath(name)));
    }
    // Runs `work` once a modal window of type T is the active one; the flag tells whether
    // it did. With `open`, runs that and expects the window to have come.
    template <typename T>
    std::shared_ptr<bool> whenModal(const std::function<void(T&)>& work,
                                    const std::function<void()>& open = {}) {
        auto ran = std::make_shared<bool>(false);
        auto* poll = new QTimer(window.get());
        QObject::connect(poll, &QTimer::timeout, poll, [poll, work, ran] {
            if (auto* shown = qobject_cast<T*>(QApplication::activeModalWidget())) {
                poll->stop();
                poll->deleteLater();
                *ran = true;
                work(*shown);
            }
        });
        poll->start(50);
        if (open) {
            open();
            EXPECT_TRUE(*ran) << T::staticMetaObject.className();
        }
        return ran;
    }
    // Shoots the modal window of type T that `open` shows, at `at`, after `before`; closes it.
    template <typename T>
    void shoot(const QString& name, QPoint at, const std::function<void()>& open,
               const std::function<void(T&)>& before = {}) {
        whenModal<T>(
            [&](T& shown) {
                shown.move(at);
                if (before)
                    before(shown);
                grab(name, &shown);
                shown.close();
            },
            open);
    }
    static std::function<void()> button(QWidget* owner, const char* name) {
        return [owner, name] { click(owner, name); };
    }
    std::function<void()> menu(const char* name) {
        return [this, name] { trigger(name); };
    }
    // The sample photograph resized and recoloured by ImageMagick, or nothing.
    QString magick(const QString& name, const QStringList& options) {
        const QString made = QDir(pictureFolder).filePath(name);
        QProcess convert;
        convert.start("convert", QStringList{sample()} + options + QStringList{made});
        return convert.waitForFinished(60000) && convert.exitCode() == 0 ? made : QString();
    }
    static QString sample() {
        return QDir::cleanPath(KIRIMO_TEST_DATA_DIR "/../../samples/cat.jpg");
    }
    // The main window 1280 x 800 in the screen's top-left corner, on a copy of the sample
    // photograph (the windows write their settings next to it), opened and maybe converted.
    void startWithThePhotograph(bool converted = false) {
        cat = QDir(pictureFolder).filePath("cat.jpg");
        ASSERT_TRUE(QFile::copy(sample(), cat));
        start();
        window->setGeometry(0, 0, 1280, 800);
        window->loadPictureFile(cat, true);
        if (converted)
            convert();
        settle();
    }
    ui::FrmPreview* preview() const { return window->findChild<ui::FrmPreview*>(); }
    static void sheetsOf30(ui::FrmPrint& info) {
        for (const char* side : {"cboYOKO", "cboTATE"})
            info.findChild<QComboBox*>(side)->setEditText("30");
    }

    QString folder_, cat;
};

TEST_F(UiScreenshot, MainWindowConversionAndColourSets) {
    ASSERT_NO_FATAL_FAILURE(startWithThePhotograph());
    trigger("mnuLAST");
    grab("main_window.png");
    // In a window too small for it, with the edit menu open.
    sourceFrame()->resize(300, 220);
    QMenu* edit = find<QMenu>("mnuEDIT");
    window->menuBar()->setActiveAction(edit->menuAction());
    grab("main_window_scrolled_menu.png");
    edit->hide();
    // 16 colours, Floyd&Steinberg, RGB; then 3 primaries, Jarvis,Judice&Ninke, YCC.
    sourceFrame()->setGeometry(220, 0, 500, 340);
    pick(c<QComboBox>("cboKIND"), 2);
    convert();
    pick(c<QComboBox>("cboKIND"), 4);
    c<QRadioButton>("optNEARCOLOR(1)")->click();
    mode(1)->click();
    convert();
    const QList<ui::FrmPreview*> previews = window->findChildren<ui::FrmPreview*>();
    ASSERT_EQ(previews.size(), 2);
    previews[0]->parentWidget()->move(220, 350);
    previews[1]->parentWidget()->move(700, 350);
    window->mdiArea()->setActiveSubWindow(frameOf(previews[0]));
    grab("conversion_and_previews.png");

    for (QMdiSubWindow* frame : {frameOf(previews[0]), frameOf(previews[1])})
        frame->close();
    chooseSet(QStringLiteral("Perler"));
    pick(c<QComboBox>("cboKIND"), 3);
    mode(0)->click();
    c<QRadioButton>("optNEARCOLOR(0)")->click();
    convert();
    settle();
    preview()->parentWidget()->move(220, 350);
    grab("colour_set.png");
    shoot<ui::FrmColSet>("colour_set_editor.png", {40, 40}, button(conv(), "cmdCOLSET"),
                         [](ui::FrmColSet& editor) {
                             editor.findChild<QLineEdit*>("txtSEARCH")->setText("80-1520");
                         });
}

TEST_F(UiScreenshot, ColourInformationA4ChartAndColourSymbols) {
    ASSERT_NO_FATAL_FAILURE(startWithThePhotograph(true));
    // A click on the map switches the magnified view to the converted picture; then the
    // pointer rests over sheet (6,4).
    shoot<ui::FrmPrint>("colour_information.png", {300, 200}, menu("mnuSAVE"),
                        [this](ui::FrmPrint& info) {
                            sheetsOf30(info);
                            auto* map = info.findChild<QWidget*>("picGAZOU(0)");
                            settle();
                            const QPoint over(map->width() * 170 / 451, map->height() / 3);
                            QTest::mouseClick(map, Qt::LeftButton, Qt::NoModifier, over);
                            QTest::mouseMove(map, over + QPoint(1, 0));
                            QTest::mouseMove(map, over);
                        });
    whenModal<ui::FrmPrint>(
        [this](ui::FrmPrint& info) {
            sheetsOf30(info);
            whenModal<ui::FrmA4Print>(
                [this](ui::FrmA4Print& a4) {
                    a4.move(420, 260);
                    a4.findChild<QCheckBox*>("chkPR")->setChecked(false);
                    for (const char* extra : {"chkCOVER", "chkLEGEND", "chkBOLD10"})
                        a4.findChild<QCheckBox*>(extra)->setChecked(true);
                    grab("a4_window.png", &a4);
                    // The preview of the same pages, as the button shows it.
                    whenModal<QDialog>(
                        [this](QDialog& shown) {
                            shown.setGeometry(0, 0, 1280, 800);
                            grab("a4_print_preview.png", &shown);
                            shown.close();
                        },
                        button(&a4, "cmdPREVIEW"));
                    a4.close();
                },
                button(&info, "cmdA4"));
            info.close();
        },
        menu("mnuSAVE"));
    // Colour 0 holds the photograph, two small pictures and, crossed out, a third.
    ColourSymbols& black = sharedState().symbolSettings.colours[0];
    black.characters = QStringLiteral("黒ABC");
    black.flags = QStringLiteral("0,-1,0,-1");
    black.pictures[0] = black.pictures[4] = {cat, true};
    black.pictures[1] = {makePicture("stripes.bmp", 60, 40), true};
    black.pictures[2] = {makePicture("crossed.bmp", 40, 40), false};
    shoot<ui::FrmPrintInfo>(
        "colour_symbols.png", {40, 40}, menu("mnuCOLSET"), [this](ui::FrmPrintInfo& symbols) {
            // The sticker window with the colour's usable pictures, the second selected.
            symbols.selectColour(0);
            shoot<ui::FrmSealPrint>(
                "sticker_window.png", {200, 120}, button(&symbols, "cmdSEALPRINT"),
                [](ui::FrmSealPrint& seal) {
                    seal.findChild<QListWidget*>("lstFILE(0)")->item(1)->setSelected(true);
                    seal.findChild<QCheckBox*>("chkLINE")->setChecked(true);
                });
        });
}

// The zigzag window after a run on the photograph and a smaller, recoloured copy of it,
// the crop rectangle on A moved a little; a conversion larger than the client area opens
// inside it with scroll bars, and so does the history window.
TEST_F(UiScreenshot, ZigzagWindowLargePreviewAndHistory) {
    ASSERT_NO_FATAL_FAILURE(startWithThePhotograph());
    const QString other = magick("cat_hue.jpg", {"-resize", "90%", "-modulate", "100,130,40"});
    const QString large = magick("cat_large.jpg", {"-resize", "2560x1920!"});
    if (other.isEmpty() || large.isEmpty())
        GTEST_SKIP() << "ImageMagick's convert is not available";
    shoot<ui::FrmJiguzagu>("zigzag_window.png", {300, 120}, menu("mnuJIGZAG"),
                           [&](ui::FrmJiguzagu& zig) {
                               dialogs.answers.push_back(ui::MessageAnswer::Yes);
                               dialogs.filesAnswers.push_back({cat, other});
                               click(&zig, "cmdLOADPIC");
                               zig.findChild<QLabel*>("lblRESIZE(0)")->move(8, 6);
                               zig.findChild<QComboBox*>("cboHABA")->setEditText("29");
                               click(&zig, "cmdRUN");
                           });
    openThroughDialog(large);
    convert();
    grab("large_preview.png");
    trigger("mnuLAST");
    grab("history.png");
}

// The dot editor three times enlarged; the preview eight times magnified, its grid showing
// each bead; the dot editor after two strokes, the second one undone.
TEST_F(UiScreenshot, DotEditorAndMagnifiedPreview) {
    ASSERT_NO_FATAL_FAILURE(startWithThePhotograph(true));
    ASSERT_NE(preview(), nullptr);
    auto* zoom = preview()->findChild<QComboBox*>("cboBAI");
    zoom->setCurrentIndex(1);
    const auto editorAt = [](ui::FrmEdit& editor) { editor.setGeometry(100, 80, 760, 560); };
    shoot<ui::FrmEdit>("dot_editor.png", {100, 80}, button(preview(), "cmdEDIT"), editorAt);
    zoom->setCurrentIndex(0);
    preview()->parentWidget()->setGeometry(220, 0, 520, 420);
    preview()->setMagnification(8);
    grab("preview_magnified.png");
    zoom->setCurrentIndex(2);
    shoot<ui::FrmEdit>(
        "dot_editor_undo.png", {100, 80}, button(preview(), "cmdEDIT"), [&](ui::FrmEdit& editor) {
            editorAt(editor);
            auto* canvas = editor.findChild<ui::PictureSurface*>("picPREVIEW");
            for (const auto& [option, y] : {std::pair{0, 60}, {2, 100}}) {
                // One stroke: a band of three lines, drawn without letting go.
                editor.findChild<QRadioButton*>(QStringLiteral("optCOL(%1)").arg(option))->click();
                sendMouse(canvas, QEvent::MouseButtonPress, QPoint(10, y), Qt::LeftButton);
                for (int row = y; row < y + 12; row += 4) {
                    for (int x = 10; x < 300; x += 4)
                        sendMouse(canvas, QEvent::MouseMove, QPoint(x, row), Qt::LeftButton);
                }
                sendMouse(canvas, QEvent::MouseButtonRelease, QPoint(300, y + 8), Qt::NoButton);
            }
            click(&editor, "cmdUNDO");
        });
}

// Qt's own dialogs in Japanese: the save dialog of "元ﾃﾞｰﾀを別名保存", the overwrite
// question that follows it, and the printer dialog of the A4 window; then the about box.
TEST_F(UiScreenshot, SaveDialogOverwriteQuestionPrintDialogAndAboutBox) {
    ui::QtDialogs real;
    environment.dialogs = &real;
    ASSERT_NO_FATAL_FAILURE(startWithThePhotograph());
    const QString existing = makePicture("cat.bmp", 20, 20);
    std::shared_ptr<bool> asked;
    whenModal<QFileDialog>(
        [&](QFileDialog& files) {
            files.move(120, 80);
            files.setDirectory(pictureFolder);
            grab("save_dialog.png", &files);
            asked = whenModal<QMessageBox>([&](QMessageBox& box) {
                box.move(400, 300);
                grab("message_box.png", &box);
                box.button(QMessageBox::Cancel)->click();
            });
            files.selectFile(existing);
            static_cast<QDialog&>(files).accept();
        },
        menu("mnuGSAVE"));
    EXPECT_TRUE(asked && *asked);

    convert();
    whenModal<ui::FrmPrint>(
        [&](ui::FrmPrint& info) {
            sheetsOf30(info);
            whenModal<ui::FrmA4Print>(
                [&](ui::FrmA4Print& a4) {
                    // Every sheet, so that no question comes before the printer dialog.
                    a4.findChild<QCheckBox*>("chkPR")->setChecked(false);
                    shoot<QPrintDialog>("print_dialog.png", {200, 100}, button(&a4, "cmdPRTSTART"));
                    a4.close();
                },
                button(&info, "cmdA4"));
            info.close();
        },
        menu("mnuSAVE"));
    shoot<ui::FrmAbout>("about.png", {300, 200}, menu("mnuABOUT"));
}

}  // namespace
}  // namespace kirimo::test
