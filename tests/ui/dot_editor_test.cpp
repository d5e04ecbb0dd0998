// The dot editor opened from a preview: magnified blocks, painting by dragging, undo and
// redo of strokes, the colour label and options, apply, cancel and the close box.

#include "core/colour_table.h"
#include "imaging/magnify.h"
#include "ui/frm_edit.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

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
