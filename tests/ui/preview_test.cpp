// Conversions into preview windows (caption, pixels and usage, refused settings,
// activation, double-click, the choice of "色情報の保存", magnification) and dot pictures
// saved from them and opened again as previews; the dot editor opened from a preview
// (magnified blocks, painting by dragging, undo and redo of strokes, the colour label and
// options, apply, cancel and the close box).

#include <QWheelEvent>

#include "core/colour_table.h"
#include "core/colour_usage.h"
#include "core/conversion_texts.h"
#include "imaging/magnify.h"
#include "ui/frm_edit.h"
#include "ui/frm_print.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

using ui::MessageIcon;

class PreviewTest : public ConversionTest {
  protected:
    // Reds, a white stripe and one grey dot: the 18-colour palette uses only some.
    QString makeCat() {
        return makePictureOf("cat.bmp", 9, 7, [](int x, int y) {
            if (x == 4 && y == 3)
                return makePixel(130, 130, 130);
            if (y == 0)
                return makePixel(255, 255, 255);
            return makePixel(200 + x * 5, 20 + y * 3, 30);
        });
    }
    // Two small pictures converted one after the other; the second stays loaded.
    std::pair<ui::FrmPreview*, ui::FrmPreview*> twoPreviews() {
        start();
        window->loadPictureFile(makePicture("a.bmp", 12, 8), false);
        ui::FrmPreview* first = convert();
        window->loadPictureFile(makePicture("b.bmp", 6, 5), false);
        return {first, convert()};
    }
    // A photograph-like JPEG in its own folder, converted.
    ui::FrmPreview* convertPhotograph() {
        folder = QDir(pictureFolder).filePath(QStringLiteral("絵")) + QDir::separator();
        QDir().mkpath(folder);
        const QString photo = folder + QStringLiteral("cat.jpg");
        EXPECT_TRUE(toImage(randomPicture(100, 70, 9)).save(photo, "JPG"));
        start();
        window->loadPictureFile(photo, false);
        return convert();
    }
    ui::FrmPreview* openDot(const QString& path) {
        dialogs.fileAnswers = {path};
        return newPreview([this] { trigger("mnuOPENDOT"); });
    }
    QString usage(ui::FrmPreview* preview) const {
        return child<QLabel>(preview, "lblINFO")->text();
    }

    QString folder;  // of the photograph, ending with a separator
};

TEST_F(PreviewTest, AConversionOpensAPreviewOfTheEnginesResult) {
    const QString cat = makeCat();
    start();
    window->loadPictureFile(cat, false);
    pick(c<QComboBox>("cboKIND"), 3);

    const auto settings = conv()->conversionSettings();
    ASSERT_TRUE(settings.ok());
    const PixelBuffer source = picture(this->source()->surface());
    const auto expected = convertPicture(source, sharedState().colourTable.palette(), *settings);
    ASSERT_TRUE(expected.ok());

    ui::FrmPreview* preview = convert();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("[RGB]100%(7)0)0)3)5)1)cat.bmp"));
    EXPECT_EQ(preview->sourcePath(), cat);
    EXPECT_EQ(picture(preview->surface()), expected->pixels);
    EXPECT_EQ(sharedState().workPixels, expected->pixels);
    EXPECT_EQ(usage(preview), usageString(*expected, 9, 7));
    EXPECT_EQ(child<QComboBox>(preview, "cboBAI")->currentText(), QStringLiteral("2倍"));
    EXPECT_TRUE(frameOf(preview)->isVisible());
    // Exactly the used colours stay ticked.
    std::vector<int> used;
    for (int n = 0; n < kColourCount; ++n) {
        if (expected->counts[n] > 0)
            used.push_back(n);
    }
    EXPECT_EQ(ticked(), used);
    EXPECT_LT(used.size(), 18u);
    // Every run opens a window of its own; the caption follows the settings.
    c<QRadioButton>("optNEARCOLOR(1)")->click();
    rate()->setValue(50);
    ui::FrmPreview* second = convert();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, preview);
    EXPECT_EQ(second->windowTitle(), QStringLiteral("[YCC]50%(7)0)0)3)5)1)cat.bmp"));
    EXPECT_EQ(window->findChildren<ui::FrmPreview*>().size(), 2);
    // The CIE search converts too, tagged as such.
    c<QRadioButton>("optNEARCOLOR(2)")->click();
    ui::FrmPreview* third = convert();
    ASSERT_NE(third, nullptr);
    EXPECT_TRUE(third->windowTitle().startsWith(QStringLiteral("[CIE]50%")));
}

TEST_F(PreviewTest, BadWeightsOrAnEmptyPictureStopBeforeAnythingChanges) {
    const QString cat = makeCat();
    start();
    // No picture: nothing happens, nothing is said.
    EXPECT_EQ(convert(), nullptr);
    EXPECT_TRUE(dialogs.messages.empty());

    window->loadPictureFile(cat, false);
    const std::vector<int> before = ticked();
    for (const char* text : {"abc", "40000", ""}) {
        SCOPED_TRACE(text);
        dialogs.messages.clear();
        weight(4)->setText(QString::fromLatin1(text));
        EXPECT_EQ(convert(), nullptr);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Kirimo"));
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
        EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("4番目")));
        EXPECT_EQ(ticked(), before);
    }
    weight(4)->setText(" -3 ");
    ASSERT_NE(convert(), nullptr);

    dialogs.messages.clear();
    source()->surface()->clearToSize(0, 5);
    EXPECT_EQ(convert(), nullptr);
    EXPECT_TRUE(onlyMessage().text.contains(QStringLiteral("大きさが０")));
    EXPECT_EQ(window->findChildren<ui::FrmPreview*>().size(), 1);
}

TEST_F(PreviewTest, ActivationReloadsItsSourceWithoutAHistoryEntry) {
    const auto [first, second] = twoPreviews();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(child<QLabel>(second, "lblFOCUS")->text(), QStringLiteral("1"));

    window->mdiArea()->setActiveSubWindow(frameOf(first));
    QApplication::processEvents();
    EXPECT_EQ(sharedState().currentFileName, QDir(pictureFolder).filePath("a.bmp"));
    EXPECT_EQ(shown().size(), QSize(12, 8));
    EXPECT_TRUE(history().isEmpty());
    EXPECT_EQ(sharedState().activePreviewCaption, first->windowTitle());
    EXPECT_EQ(child<QLabel>(first, "lblFOCUS")->text(), QStringLiteral("1"));
    EXPECT_EQ(child<QLabel>(second, "lblFOCUS")->text(), QStringLiteral("0"));
    // The usage of the activated preview shows again on the conversion window.
    const auto view = colourUsageView(first->usage());
    ASSERT_TRUE(view.has_value());
    for (int k = 0; k < kColourCount; ++k)
        EXPECT_EQ(use(k)->isChecked(), view->ticked[k]) << k;
}

TEST_F(PreviewTest, DoubleClickAndColourInformationTakeThePreviewsPicture) {
    start();
    trigger("mnuSAVE");
    const ShownMessage convertFirst{"Kirimo", "画像を１つ選んで変換して下さい。",
                                    MessageIcon::Exclamation};
    EXPECT_EQ(onlyMessage(), convertFirst);

    const auto [preview, second] = twoPreviews();
    ASSERT_NE(preview, nullptr);
    window->loadPictureFile(makePicture("c.bmp", 30, 20), false);
    frameOf(preview)->resize(300, 300);
    doubleClick(preview->surface());
    EXPECT_EQ(pictureSize(), QSize(12, 8));
    EXPECT_LT(frameOf(preview)->width(), 300);

    window->mdiArea()->setActiveSubWindow(frameOf(preview));
    QApplication::processEvents();
    sharedState().workPixels = PixelBuffer{};
    sharedState().pictureWidth = 0;
    dialogs.messages.clear();
    whileModal<ui::FrmPrint>(action("mnuSAVE"), [](ui::FrmPrint& shown) {
        EXPECT_TRUE((child<QLabel>(&shown, "lblFILENAME(0)")->text() +
                     child<QLabel>(&shown, "lblFILENAME(1)")->text())
                        .endsWith(")a"));  // named after the preview's picture
    });
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(sharedState().workPixels, picture(preview->surface()));
    EXPECT_EQ(pictureSize(), QSize(12, 8));
    const auto frames = window->mdiArea()->subWindowList(QMdiArea::CreationOrder);
    EXPECT_EQ(frames.value(sharedState().selectedPreviewIndex), frameOf(preview));
    // Closed, the previews cannot be found any more.
    frameOf(preview)->close();
    frameOf(second)->close();
    QApplication::processEvents();
    trigger("mnuSAVE");
    EXPECT_EQ(onlyMessage(), convertFirst);
}

TEST_F(PreviewTest, MagnificationChangesOnlyTheView) {
    ui::FrmPreview* preview = convertPhotograph();
    ASSERT_NE(preview, nullptr);
    const PixelBuffer dots = picture(preview->surface());
    const QString before = usage(preview);
    frameOf(preview)->resize(300, 250);
    auto* surface = preview->surface();
    auto* across = child<QScrollBar>(preview, "scrYOKO");
    // Ctrl + "+" steps up, Ctrl + "-" down, Ctrl + 0 back to actual size.
    const std::pair<int, int> keys[] = {
        {Qt::Key_Plus, 2}, {Qt::Key_Equal, 3}, {Qt::Key_Semicolon, 4}, {Qt::Key_Minus, 3},
        {Qt::Key_0, 1},    {Qt::Key_Minus, 1}, {Qt::Key_Plus, 2},
    };
    for (const auto& [key, expected] : keys) {
        QTest::keyClick(preview, static_cast<Qt::Key>(key), Qt::ControlModifier);
        EXPECT_EQ(preview->magnification(), expected) << key;
    }
    // Ctrl + wheel, up to 16 and no further; the wheel alone does not magnify.
    const auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(QPointF(20, 40), QPointF(preview->mapToGlobal(QPoint(20, 40))), QPoint(),
                          QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(preview, &event);
    };
    wheel(120, Qt::NoModifier);
    EXPECT_EQ(preview->magnification(), 2);
    for (int i = 0; i < 10; ++i)
        wheel(120, Qt::ControlModifier);
    EXPECT_EQ(preview->magnification(), 16);
    wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(preview->magnification(), 12);
    preview->setMagnification(8);
    // The view is eight times the picture, and the scroll bars reach all of it.
    EXPECT_EQ(surface->size(), QSize(800, 560));
    EXPECT_FALSE(across->isHidden());
    EXPECT_EQ(across->maximum(), 800 - surface->parentWidget()->width());
    // Each dot an 8 x 8 block of its colour, with the grid on its left and top edge.
    const QImage view = surface->grab(QRect(0, 0, 24, 16)).toImage();
    for (const auto& [x, y] : {std::pair{1, 1}, {7, 7}, {9, 1}, {17, 9}})
        EXPECT_EQ(view.pixel(x, y) & 0xFFFFFFu, dots.at(x / 8, y / 8)) << x << "," << y;
    for (const auto& [x, y] : {std::pair{8, 3}, {3, 8}, {16, 12}})
        EXPECT_NE(view.pixel(x, y) & 0xFFFFFFu, dots.at(x / 8, y / 8)) << x << "," << y;
    // The pixels, the usage and what the colour information takes are as before.
    EXPECT_EQ(picture(surface), dots);
    EXPECT_EQ(surface->image().size(), QSize(100, 70));
    EXPECT_EQ(usage(preview), before);
    whileModal<ui::FrmPrint>(
        action("mnuSAVE"), [&](ui::FrmPrint& shown) { EXPECT_EQ(shown.convertedPicture(), dots); });
    // A double-click shows the picture at actual size.
    doubleClick(surface);
    EXPECT_EQ(preview->magnification(), 1);
    EXPECT_EQ(surface->size(), QSize(100, 70));
}

// ---- Dot pictures

TEST_F(PreviewTest, ASavedAndReopenedDotPictureGivesTheSameDotsUsageAndColourSet) {
    ui::FrmPreview* converted = convertPhotograph();
    ASSERT_NE(converted, nullptr);
    const PixelBuffer dots = picture(converted->surface());
    // Saved as it stands, with the source's name proposed.
    dialogs.fileAnswers = {folder + "dots"};
    trigger("mnuSAVEDOT");
    ASSERT_EQ(dialogs.fileDialogs.back().start, folder + "cat_dots.bmp");
    EXPECT_EQ(*loadPictureFile(folder + "dots.bmp"), dots);
    // Opened again: the same dots, and the usage a conversion would have given them.
    ui::FrmPreview* reopened = openDot(folder + "dots.bmp");
    ASSERT_NE(reopened, nullptr);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(reopened->windowTitle(), QStringLiteral("[ﾄﾞｯﾄ絵]dots.bmp"));
    EXPECT_EQ(picture(reopened->surface()), dots);
    EXPECT_EQ(usage(reopened), usage(converted));
    EXPECT_EQ(sharedState().currentFileName, folder + "dots.bmp");
    // Bead colours are no colours of the standard table; in the set they were made in,
    // they open as the set's colours.
    chooseSet(QStringLiteral("Perler"));
    converted = convert();
    ASSERT_NE(converted, nullptr);
    dialogs.fileAnswers = {folder + "perler.bmp"};
    trigger("mnuSAVEDOT");
    chooseSet(QStringLiteral("標準"));
    EXPECT_EQ(openDot(folder + "perler.bmp"), nullptr);
    EXPECT_TRUE(onlyMessage().text.contains(QStringLiteral("ﾄﾞｯﾄが色の表にない色")));
    chooseSet(QStringLiteral("Perler"));
    reopened = openDot(folder + "perler.bmp");
    ASSERT_NE(reopened, nullptr);
    ASSERT_TRUE(reopened->colourSetTable().has_value());
    EXPECT_EQ(reopened->colourSetTable()->colourSetId(), QStringLiteral("perler"));
    EXPECT_EQ(child<QLabel>(reopened, "lblCOLSET")->text(),
              child<QLabel>(converted, "lblCOLSET")->text());
    EXPECT_EQ(usage(reopened), usage(converted));
    // A second save over the same file asks first; "いいえ" keeps the file.
    ASSERT_TRUE(writeBytes(folder + "dots.bmp", "kept"));
    dialogs.messages.clear();
    dialogs.answers = {ui::MessageAnswer::No};
    dialogs.fileAnswers = {folder + "dots.bmp"};
    trigger("mnuSAVEDOT");
    EXPECT_EQ(onlyMessage().title, QStringLiteral("上書き確認"));
    EXPECT_EQ(readBytes(folder + "dots.bmp"), "kept");
}

TEST_F(PreviewTest, APictureWithForeignDotsIsRefusedWithTheirCount) {
    start();
    const Pixel black = colourValueToPixel(sharedState().colourTable[0].packed);
    const QString photo = makePictureOf("photo.bmp", 4, 3, [&](int x, int y) {
        return x == 1 && y > 0 ? makePixel(1, 2, 3) : black;
    });
    EXPECT_EQ(openDot(photo), nullptr);
    EXPECT_TRUE(onlyMessage().text.contains(QStringLiteral("12 ﾄﾞｯﾄのうち 2 ﾄﾞｯﾄが色の表にない色")))
        << lastMessage().toStdString();
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("「画像の選択」")));
    EXPECT_TRUE(window->findChildren<ui::FrmPreview*>().isEmpty());
    // Nothing chosen: nothing happens.
    dialogs.messages.clear();
    EXPECT_EQ(openDot(QString()), nullptr);
    EXPECT_TRUE(dialogs.messages.empty());
}

// ---- The dot editor

constexpr Pixel kRed = makePixel(240, 0, 0);
constexpr Pixel kWhite = makePixel(255, 255, 255);
constexpr Pixel kBlack = makePixel(0, 0, 0);

class DotEditorTest : public UiTest {
  protected:
    // A converted 10 x 10 chequered picture in a preview.
    void SetUp() override {
        UiTest::SetUp();
        start();
        window->loadPictureFile(
            makePictureOf("dots.bmp", 10, 10,
                          [](int x, int y) { return (x + y) % 2 == 0 ? kWhite : kBlack; }),
            false);
        preview = convert();
        ASSERT_NE(preview, nullptr);
        before = picture(preview->surface());
    }
    // Opens the editor at `zoom` and runs `work` on it while it is shown.
    void edit(int zoom, const std::function<void(ui::FrmEdit&)>& work) {
        child<QComboBox>(preview, "cboBAI")->setCurrentIndex(zoom - 2);
        whileModal<ui::FrmEdit>(child<QPushButton>(preview, "cmdEDIT"), work);
    }
    static ui::PictureSurface* canvas(ui::FrmEdit& editor) {
        return editor.findChild<ui::PictureSurface*>(QStringLiteral("picPREVIEW"));
    }
    static QRadioButton* option(ui::FrmEdit& editor, int k) {
        return editor.findChild<QRadioButton*>(QStringLiteral("optCOL(%1)").arg(k));
    }
    // Chooses colour option k (unless negative), presses at the first point, moves
    // through the others and lets go at the last.
    static void paint(ui::FrmEdit& editor, int k, std::initializer_list<QPoint> points) {
        if (k >= 0)
            option(editor, k)->click();
        sendMouse(canvas(editor), QEvent::MouseButtonPress, *points.begin(), Qt::LeftButton);
        for (const QPoint* at = points.begin() + 1; at != points.end(); ++at)
            sendMouse(canvas(editor), QEvent::MouseMove, *at, Qt::LeftButton);
        sendMouse(canvas(editor), QEvent::MouseButtonRelease, *(points.end() - 1), Qt::NoButton);
    }
    PixelBuffer shownNow() const { return picture(preview->surface()); }

    ui::FrmPreview* preview = nullptr;
    PixelBuffer before;
};

TEST_F(DotEditorTest, DraggingPaintsWholeBlocksAndApplyCopiesTheDotsBack) {
    PixelBuffer expected = before;
    expected.at(2, 1) = kRed;
    edit(4, [&](ui::FrmEdit& editor) {
        EXPECT_EQ(sharedState().editZoom, 4);
        EXPECT_EQ(picture(canvas(editor)), *magnify(before, 4));
        EXPECT_EQ(option(editor, 0)->toolTip(), QStringLiteral("黒"));
        EXPECT_EQ(option(editor, 17)->toolTip(), QStringLiteral("自"));
        EXPECT_TRUE(option(editor, 0)->isChecked());
        paint(editor, 2, {QPoint(9, 5), QPoint(9, 6)});
        EXPECT_EQ(picture(canvas(editor)), *magnify(expected, 4));
        EXPECT_EQ(editor.picture(), *magnify(expected, 4));
        click(&editor, "cmdSET");
    });
    EXPECT_TRUE(sharedState().editApplied);
    EXPECT_EQ(shownNow(), expected);
    // Three times: the block of the pointer, nine pixels, along the whole drag.
    expected.at(1, 2) = kRed;
    edit(3, [&](ui::FrmEdit& editor) {
        paint(editor, 2, {QPoint(20, 20), QPoint(4, 7)});
        EXPECT_EQ(picture(canvas(editor)), *magnify(expected, 3));
        click(&editor, "cmdSET");
    });
    EXPECT_EQ(shownNow(), expected);
}

TEST_F(DotEditorTest, StrokesAreUndoneOneByOneAndRedone) {
    edit(2, [&](ui::FrmEdit& editor) {
        auto* undo = child<QPushButton>(&editor, "cmdUNDO");
        auto* redo = child<QPushButton>(&editor, "cmdREDO");
        EXPECT_FALSE(undo->isEnabled());
        // Three strokes, the second two blocks long; each state seen after it.
        std::vector<PixelBuffer> states{editor.picture()};
        paint(editor, 2, {QPoint(0, 0), QPoint(1, 1)});
        states.push_back(editor.picture());
        paint(editor, -1, {QPoint(4, 0), QPoint(4, 0), QPoint(7, 0)});
        states.push_back(editor.picture());
        paint(editor, 3, {QPoint(0, 0), QPoint(0, 1)});  // paints over the first stroke
        states.push_back(editor.picture());
        EXPECT_EQ(editor.strokes().count(), 3);
        for (int step = 2; step >= 0; --step) {
            undo->click();
            EXPECT_EQ(editor.picture(), states[static_cast<size_t>(step)]) << step;
            EXPECT_EQ(picture(canvas(editor)), states[static_cast<size_t>(step)]) << step;
        }
        EXPECT_FALSE(undo->isEnabled());
        redo->click();
        redo->click();
        EXPECT_EQ(editor.picture(), states[2]);
        click(&editor, "cmdSET");
    });
    // Apply takes the picture as it stands: two strokes.
    PixelBuffer expected = before;
    expected.at(0, 0) = expected.at(2, 0) = expected.at(3, 0) = kRed;
    EXPECT_EQ(shownNow(), expected);
}

TEST_F(DotEditorTest, PressesThatPaintNothingCancelTheCloseBoxAndResizing) {
    edit(4, [&](ui::FrmEdit& editor) {
        const PixelBuffer start = picture(canvas(editor));
        auto* label = child<QLabel>(&editor, "lblNOWCOL");
        // A press without movement, a move after the release, a drag outside the picture.
        paint(editor, 2, {QPoint(5, 5)});
        sendMouse(canvas(editor), QEvent::MouseMove, QPoint(6, 6), Qt::NoButton);
        paint(editor, -1, {QPoint(41, 3), QPoint(45, 3)});
        EXPECT_EQ(picture(canvas(editor)), start);
        // The label takes a colour only on a block's top-left pixel.
        const std::pair<QPoint, QColor> moves[] = {{QPoint(4, 0), QColor(0, 0, 0)},  // black
                                                   {QPoint(1, 1), QColor(0, 0, 0)},  // white
                                                   {QPoint(0, 0), QColor(255, 255, 255)}};
        for (const auto& [at, colour] : moves) {
            sendMouse(canvas(editor), QEvent::MouseMove, at, Qt::NoButton);
            EXPECT_EQ(label->palette().color(QPalette::Window), colour) << at.x() << "," << at.y();
        }
    });
    // An earlier edit applied; cancel and the close box leave it as it is.
    edit(2, [&](ui::FrmEdit& editor) {
        paint(editor, 3, {QPoint(0, 0), QPoint(1, 1)});
        click(&editor, "cmdSET");
    });
    const PixelBuffer applied = shownNow();
    EXPECT_EQ(applied.at(0, 0), makePixel(0, 0, 255));
    for (bool closeBox : {false, true}) {
        edit(2, [&](ui::FrmEdit& editor) {
            paint(editor, 2, {QPoint(6, 6), QPoint(7, 7)});
            if (closeBox)
                editor.close();
            else
                click(&editor, "cmdESC");
        });
        EXPECT_FALSE(sharedState().editApplied);
        EXPECT_EQ(shownNow(), applied);
    }
    // Resizing selects black again.
    edit(2, [&](ui::FrmEdit& editor) {
        option(editor, 2)->click();
        editor.resize(editor.width() + 30, editor.height() + 10);
        QApplication::processEvents();
        EXPECT_TRUE(option(editor, 0)->isChecked());
        ASSERT_EQ(picture(canvas(editor)).at(4, 0), kWhite);
        paint(editor, -1, {QPoint(4, 0), QPoint(5, 1)});
        EXPECT_EQ(picture(canvas(editor)).at(4, 0), kBlack);
        click(&editor, "cmdESC");
    });
}

}  // namespace
}  // namespace kirimo::test
