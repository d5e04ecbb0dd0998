// The dot editor opened from a preview: magnified blocks, painting by dragging, the
// colour label and options, apply, cancel and the close box.

#include "conversion_fixture.h"
#include "core/colour_table.h"
#include "ui/frm_edit.h"

namespace kirimo::test {
namespace {

class DotEditorTest : public ConversionTest {
  protected:
    // A converted 10 x 10 picture in a preview, magnification `zoom`.
    ui::FrmPreview* openPreview(int zoom) {
        start();
        window->loadPictureFile(makePictureOf("dots.bmp", 10, 10,
                                              [](int x, int y) {
                                                  return (x + y) % 2 == 0 ? makePixel(255, 255, 255)
                                                                          : makePixel(0, 0, 0);
                                              }),
                                false);
        ui::FrmPreview* preview = convert();
        EXPECT_NE(preview, nullptr);
        if (preview != nullptr)
            in<QComboBox>(preview, "cboBAI")->setCurrentIndex(zoom - 2);
        return preview;
    }

    // Opens the editor and runs `work` on it while it is shown.
    void edit(ui::FrmPreview* preview, const std::function<void(ui::FrmEdit*)>& work) {
        whileModal<ui::FrmEdit>(in<QPushButton>(preview, "cmdEDIT"),
                                [&](ui::FrmEdit& editor) { work(&editor); });
    }

    static ui::PictureSurface* canvas(ui::FrmEdit* editor) {
        return editor->findChild<ui::PictureSurface*>(QStringLiteral("picPREVIEW"));
    }
    static QRadioButton* option(ui::FrmEdit* editor, int k) {
        return editor->findChild<QRadioButton*>(QStringLiteral("optCOL(%1)").arg(k));
    }
    static void drag(ui::FrmEdit* editor, QPoint from, QPoint to) {
        sendMouse(canvas(editor), QEvent::MouseButtonPress, from, Qt::LeftButton);
        sendMouse(canvas(editor), QEvent::MouseMove, to, Qt::LeftButton);
        sendMouse(canvas(editor), QEvent::MouseButtonRelease, to, Qt::NoButton);
    }
    static void press(ui::FrmEdit* editor, const char* button) {
        editor->findChild<QPushButton*>(QString::fromLatin1(button))->click();
    }
};

constexpr Pixel kRed = makePixel(240, 0, 0);

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
    ui::FrmPreview* preview = openPreview(4);
    ASSERT_NE(preview, nullptr);
    const PixelBuffer before = picture(preview->surface());
    PixelBuffer expected = before;
    expected.at(2, 1) = kRed;
    edit(preview, [&](ui::FrmEdit* editor) {
        EXPECT_EQ(editor->windowTitle(), QStringLiteral("編集画面"));
        EXPECT_EQ(sharedState().editZoom, 4);
        EXPECT_EQ(picture(canvas(editor)), fourTimes(before));
        EXPECT_EQ(option(editor, 0)->toolTip(), QStringLiteral("黒"));
        EXPECT_EQ(option(editor, 17)->toolTip(), QStringLiteral("自"));
        EXPECT_TRUE(option(editor, 0)->isChecked());
        EXPECT_EQ(editor->findChild<QPushButton*>("cmdSET")->text(), QStringLiteral("反映させる"));
        EXPECT_EQ(editor->findChild<QPushButton*>("cmdESC")->text(), QStringLiteral("ｷｬﾝｾﾙ"));

        // Dragging paints the whole block under the pointer in the chosen colour.
        option(editor, 2)->click();
        drag(editor, QPoint(9, 5), QPoint(9, 6));
        EXPECT_EQ(picture(canvas(editor)), fourTimes(expected));
        EXPECT_EQ(editor->picture(), fourTimes(expected));
        press(editor, "cmdSET");
    });
    EXPECT_TRUE(sharedState().editApplied);
    EXPECT_EQ(picture(preview->surface()), expected);
}

TEST_F(DotEditorTest, StrokesAreUndoneOneByOneAndRedone) {
    ui::FrmPreview* preview = openPreview(2);
    ASSERT_NE(preview, nullptr);
    const PixelBuffer start = picture(preview->surface());
    edit(preview, [&](ui::FrmEdit* editor) {
        auto* undo = editor->findChild<QPushButton*>("cmdUNDO");
        auto* redo = editor->findChild<QPushButton*>("cmdREDO");
        ASSERT_NE(undo, nullptr);
        ASSERT_NE(redo, nullptr);
        EXPECT_FALSE(undo->isEnabled());
        // Three strokes, the second two blocks long; each state seen after it.
        std::vector<PixelBuffer> states{editor->picture()};
        option(editor, 2)->click();
        drag(editor, QPoint(0, 0), QPoint(1, 1));
        states.push_back(editor->picture());
        sendMouse(canvas(editor), QEvent::MouseButtonPress, QPoint(4, 0), Qt::LeftButton);
        sendMouse(canvas(editor), QEvent::MouseMove, QPoint(4, 0), Qt::LeftButton);
        sendMouse(canvas(editor), QEvent::MouseMove, QPoint(7, 0), Qt::LeftButton);
        sendMouse(canvas(editor), QEvent::MouseButtonRelease, QPoint(7, 0), Qt::NoButton);
        states.push_back(editor->picture());
        option(editor, 3)->click();
        drag(editor, QPoint(0, 0), QPoint(0, 1));  // paints over the first stroke
        states.push_back(editor->picture());
        EXPECT_EQ(editor->strokes().count(), 3);
        for (int step = 2; step >= 0; --step) {
            undo->click();
            EXPECT_EQ(editor->picture(), states[static_cast<size_t>(step)]) << step;
            EXPECT_EQ(picture(canvas(editor)), states[static_cast<size_t>(step)]) << step;
        }
        EXPECT_FALSE(undo->isEnabled());
        redo->click();
        redo->click();
        EXPECT_EQ(editor->picture(), states[2]);
        press(editor, "cmdSET");
    });
    // Apply takes the picture as it stands: two strokes.
    PixelBuffer expected = start;
    expected.at(0, 0) = kRed;
    expected.at(2, 0) = kRed;
    expected.at(3, 0) = kRed;
    EXPECT_EQ(picture(preview->surface()), expected);
}

TEST_F(DotEditorTest, ThreeTimesPaintsTheBlockOfThePointer) {
    ui::FrmPreview* preview = openPreview(3);
    ASSERT_NE(preview, nullptr);
    const PixelBuffer before = picture(preview->surface());
    edit(preview, [&](ui::FrmEdit* editor) {
        option(editor, 2)->click();
        drag(editor, QPoint(20, 20), QPoint(4, 7));
        const PixelBuffer painted = picture(canvas(editor));
        int red = 0;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 30; ++x)
                red += painted.at(x, y) == kRed ? 1 : 0;
        }
        EXPECT_EQ(red, 9);
        for (int y = 6; y <= 8; ++y) {
            for (int x = 3; x <= 5; ++x)
                EXPECT_EQ(painted.at(x, y), kRed) << x << "," << y;
        }
        press(editor, "cmdSET");
    });
    PixelBuffer expected = before;
    expected.at(1, 2) = kRed;
    EXPECT_EQ(picture(preview->surface()), expected);
}

TEST_F(DotEditorTest, PressWithoutMovementAndTheColourLabel) {
    ui::FrmPreview* preview = openPreview(4);
    ASSERT_NE(preview, nullptr);
    edit(preview, [&](ui::FrmEdit* editor) {
        const PixelBuffer start = picture(canvas(editor));
        auto* label = editor->findChild<QLabel*>("lblNOWCOL");
        ASSERT_NE(label, nullptr);
        option(editor, 2)->click();
        sendMouse(canvas(editor), QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
        sendMouse(canvas(editor), QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
        EXPECT_EQ(picture(canvas(editor)), start);
        // Moving after the release paints nothing either.
        sendMouse(canvas(editor), QEvent::MouseMove, QPoint(6, 6), Qt::NoButton);
        EXPECT_EQ(picture(canvas(editor)), start);

        // The label takes a colour only on a block's top-left pixel.
        sendMouse(canvas(editor), QEvent::MouseMove, QPoint(4, 0), Qt::NoButton);  // black block
        EXPECT_EQ(label->palette().color(QPalette::Window), QColor(0, 0, 0));
        sendMouse(canvas(editor), QEvent::MouseMove, QPoint(1, 1), Qt::NoButton);  // white block
        EXPECT_EQ(label->palette().color(QPalette::Window), QColor(0, 0, 0));
        sendMouse(canvas(editor), QEvent::MouseMove, QPoint(0, 0), Qt::NoButton);
        EXPECT_EQ(label->palette().color(QPalette::Window), QColor(255, 255, 255));
        // Outside the picture nothing happens.
        sendMouse(canvas(editor), QEvent::MouseButtonPress, QPoint(41, 3), Qt::LeftButton);
        sendMouse(canvas(editor), QEvent::MouseMove, QPoint(45, 3), Qt::LeftButton);
        EXPECT_EQ(picture(canvas(editor)), start);
        press(editor, "cmdESC");
    });
}

TEST_F(DotEditorTest, CancelAndTheCloseBoxLeaveThePreviewUnchanged) {
    ui::FrmPreview* preview = openPreview(2);
    ASSERT_NE(preview, nullptr);
    // An earlier edit applied.
    edit(preview, [&](ui::FrmEdit* editor) {
        option(editor, 3)->click();
        drag(editor, QPoint(0, 0), QPoint(1, 1));
        press(editor, "cmdSET");
    });
    const PixelBuffer applied = picture(preview->surface());
    EXPECT_EQ(applied.at(0, 0), makePixel(0, 0, 255));

    edit(preview, [&](ui::FrmEdit* editor) {
        option(editor, 2)->click();
        drag(editor, QPoint(6, 6), QPoint(7, 7));
        press(editor, "cmdESC");
    });
    EXPECT_FALSE(sharedState().editApplied);
    EXPECT_EQ(picture(preview->surface()), applied);

    edit(preview, [&](ui::FrmEdit* editor) {
        option(editor, 2)->click();
        drag(editor, QPoint(6, 6), QPoint(7, 7));
        editor->close();
    });
    EXPECT_FALSE(sharedState().editApplied);
    EXPECT_EQ(picture(preview->surface()), applied);
}

TEST_F(DotEditorTest, ResizingSelectsBlackAgain) {
    ui::FrmPreview* preview = openPreview(2);
    ASSERT_NE(preview, nullptr);
    edit(preview, [&](ui::FrmEdit* editor) {
        option(editor, 2)->click();
        EXPECT_TRUE(option(editor, 2)->isChecked());
        editor->resize(editor->width() + 30, editor->height() + 10);
        QApplication::processEvents();
        EXPECT_TRUE(option(editor, 0)->isChecked());
        // The paint colour is black again.
        ASSERT_EQ(picture(canvas(editor)).at(4, 0), makePixel(255, 255, 255));
        drag(editor, QPoint(4, 0), QPoint(5, 1));
        EXPECT_EQ(picture(canvas(editor)).at(4, 0), makePixel(0, 0, 0));
        press(editor, "cmdESC");
    });
}

}  // namespace
}  // namespace kirimo::test
