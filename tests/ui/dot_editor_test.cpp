// The dot editor opened from a preview: magnified blocks, painting by dragging, undo and
// redo of strokes, the colour label and options, apply, cancel and the close box.

#include "core/colour_table.h"
#include "ui/frm_edit.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

constexpr Pixel kRed = makePixel(240, 0, 0);
constexpr Pixel kWhite = makePixel(255, 255, 255);

class DotEditorTest : public ConversionTest {
  protected:
    // A converted 10 x 10 chequered picture in a preview, magnification `zoom`.
    void SetUp() override {
        ConversionTest::SetUp();
        preview = startAndConvert(makePictureOf("dots.bmp", 10, 10, [](int x, int y) {
            return (x + y) % 2 == 0 ? kWhite : makePixel(0, 0, 0);
        }));
        ASSERT_NE(preview, nullptr);
        before = picture(preview->surface());
    }
    // Opens the editor at `zoom` and runs `work` on it while it is shown.
    void edit(int zoom, const std::function<void(ui::FrmEdit&)>& work) {
        in<QComboBox>(preview, "cboBAI")->setCurrentIndex(zoom - 2);
        whileModal<ui::FrmEdit>(in<QPushButton>(preview, "cmdEDIT"), work);
    }
    static ui::PictureSurface* canvas(ui::FrmEdit& editor) {
        return editor.findChild<ui::PictureSurface*>(QStringLiteral("picPREVIEW"));
    }
    static QRadioButton* option(ui::FrmEdit& editor, int k) {
        return editor.findChild<QRadioButton*>(QStringLiteral("optCOL(%1)").arg(k));
    }
    // Presses at the first point, moves through the others and lets go at the last.
    static void drag(ui::FrmEdit& editor, std::initializer_list<QPoint> points) {
        sendMouse(canvas(editor), QEvent::MouseButtonPress, *points.begin(), Qt::LeftButton);
        for (QPoint at : std::vector<QPoint>(points.begin() + 1, points.end()))
            sendMouse(canvas(editor), QEvent::MouseMove, at, Qt::LeftButton);
        sendMouse(canvas(editor), QEvent::MouseButtonRelease, *(points.end() - 1), Qt::NoButton);
    }
    static void paint(ui::FrmEdit& editor, int colour, std::initializer_list<QPoint> points) {
        option(editor, colour)->click();
        drag(editor, points);
    }
    PixelBuffer shownNow() const { return picture(preview->surface()); }

    ui::FrmPreview* preview = nullptr;
    PixelBuffer before;
};

// Every dot of `dots` as a block of 4 x 4 pixels.
PixelBuffer fourTimes(const PixelBuffer& dots) {
    PixelBuffer blocks = *PixelBuffer::create(dots.width() * 4, dots.height() * 4);
    for (int y = 0; y < blocks.height(); ++y) {
        for (int x = 0; x < blocks.width(); ++x)
            blocks.at(x, y) = dots.at(x / 4, y / 4);
    }
    return blocks;
}

TEST_F(DotEditorTest, FourTimesGivesSolidBlocksAndApplyCopiesCornersBack) {
    PixelBuffer expected = before;
    expected.at(2, 1) = kRed;
    edit(4, [&](ui::FrmEdit& editor) {
        EXPECT_EQ(sharedState().editZoom, 4);
        EXPECT_EQ(picture(canvas(editor)), fourTimes(before));
        EXPECT_EQ(option(editor, 0)->toolTip(), QStringLiteral("黒"));
        EXPECT_EQ(option(editor, 17)->toolTip(), QStringLiteral("自"));
        EXPECT_TRUE(option(editor, 0)->isChecked());
        // Dragging paints the whole block under the pointer in the chosen colour.
        paint(editor, 2, {QPoint(9, 5), QPoint(9, 6)});
        EXPECT_EQ(picture(canvas(editor)), fourTimes(expected));
        EXPECT_EQ(editor.picture(), fourTimes(expected));
        click(&editor, "cmdSET");
    });
    EXPECT_TRUE(sharedState().editApplied);
    EXPECT_EQ(shownNow(), expected);
    // Three times: the block of the pointer, nine pixels.
    expected.at(1, 2) = kRed;
    edit(3, [&](ui::FrmEdit& editor) {
        paint(editor, 2, {QPoint(20, 20), QPoint(4, 7)});
        const PixelBuffer painted = picture(canvas(editor));
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 30; ++x)
                EXPECT_EQ(painted.at(x, y) == kRed,
                          (x / 3 == 1 && y / 3 == 2) || (x / 3 == 2 && y / 3 == 1))
                    << x << "," << y;
        }
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
        drag(editor, {QPoint(4, 0), QPoint(4, 0), QPoint(7, 0)});
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

TEST_F(DotEditorTest, PressWithoutMovementAndTheColourLabel) {
    edit(4, [&](ui::FrmEdit& editor) {
        const PixelBuffer start = picture(canvas(editor));
        auto* label = child<QLabel>(&editor, "lblNOWCOL");
        option(editor, 2)->click();
        sendMouse(canvas(editor), QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
        sendMouse(canvas(editor), QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
        EXPECT_EQ(picture(canvas(editor)), start);
        // Moving after the release paints nothing either.
        sendMouse(canvas(editor), QEvent::MouseMove, QPoint(6, 6), Qt::NoButton);
        EXPECT_EQ(picture(canvas(editor)), start);

        // The label takes a colour only on a block's top-left pixel.
        const std::pair<QPoint, QColor> moves[] = {{QPoint(4, 0), QColor(0, 0, 0)},  // black
                                                   {QPoint(1, 1), QColor(0, 0, 0)},  // white
                                                   {QPoint(0, 0), QColor(255, 255, 255)}};
        for (const auto& [at, colour] : moves) {
            sendMouse(canvas(editor), QEvent::MouseMove, at, Qt::NoButton);
            EXPECT_EQ(label->palette().color(QPalette::Window), colour) << at.x() << "," << at.y();
        }
        // Outside the picture nothing happens.
        sendMouse(canvas(editor), QEvent::MouseButtonPress, QPoint(41, 3), Qt::LeftButton);
        sendMouse(canvas(editor), QEvent::MouseMove, QPoint(45, 3), Qt::LeftButton);
        EXPECT_EQ(picture(canvas(editor)), start);
        click(&editor, "cmdESC");
    });
}

TEST_F(DotEditorTest, CancelAndTheCloseBoxLeaveThePreviewUnchangedAndResizingSelectsBlack) {
    // An earlier edit applied.
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

    edit(2, [&](ui::FrmEdit& editor) {
        option(editor, 2)->click();
        editor.resize(editor.width() + 30, editor.height() + 10);
        QApplication::processEvents();
        EXPECT_TRUE(option(editor, 0)->isChecked());
        // The paint colour is black again.
        ASSERT_EQ(picture(canvas(editor)).at(4, 0), kWhite);
        drag(editor, {QPoint(4, 0), QPoint(5, 1)});
        EXPECT_EQ(picture(canvas(editor)).at(4, 0), makePixel(0, 0, 0));
        click(&editor, "cmdESC");
    });
}

}  // namespace
}  // namespace kirimo::test
