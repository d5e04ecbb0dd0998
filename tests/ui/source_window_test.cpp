// The source window: loading, captions, the resize panel, the operations pressed from the
// edit menu, restore, dropped files, scroll bars and the eyedropper.

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "imaging/filters.h"
#include "imaging/transforms.h"
#include "ui/eyedropper.h"
#include "ui/frm_last.h"
#include "ui/frm_source.h"
#include "ui/picture_history.h"
#include "ui/twips.h"
#include "ui/window_layout.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

QString caption(const QString& name, int width, int height) {
    return QStringLiteral("元画像[%1]（%2×%3）  ").arg(name).arg(width).arg(height);
}

TEST_F(UiTest, OpeningAPictureShowsItWithItsNameAndSize) {
    start();
    const QString path = makePicture("cat.bmp", 320, 240);
    openThroughDialog(path);
    EXPECT_EQ(source()->windowTitle(), caption("cat.bmp", 320, 240));
    EXPECT_EQ(sharedState().currentFileName, path);
    EXPECT_EQ(sharedState().pictureWidth, 320);
    EXPECT_EQ(sharedState().pictureHeight, 240);
    EXPECT_EQ(shown().size(), QSize(320, 240));
    EXPECT_EQ(pixelsOf(shown()), *loadPictureFile(path));
    EXPECT_EQ(QDir::currentPath(), QDir(pictureFolder).canonicalPath());
    EXPECT_TRUE(action("mnuGSAVE")->isEnabled());
    // The window fits the picture: no scroll bars.
    EXPECT_TRUE(find<QScrollBar>("scrYOKO")->isHidden());
    EXPECT_TRUE(find<QScrollBar>("scrTATE")->isHidden());
    // Fitted: the picture's width plus 120 twips, its height plus the caption and 200 twips.
    EXPECT_EQ(sourceFrame()->width(), 320 + 8);
    EXPECT_EQ(sourceFrame()->height(),
              ui::twipsToPixels(240 * 15 + sharedState().captionHeightTwips + 200));
    EXPECT_EQ(dialogs.fileDialogs.at(0).title, QStringLiteral("画像の選択"));
}

TEST_F(UiTest, CancellingTheOpenDialogChangesNothing) {
    start();
    trigger("mnuLOAD");  // no answer queued: cancelled
    EXPECT_EQ(source()->windowTitle(), QStringLiteral("元画像"));
    EXPECT_TRUE(window->historyWindow()->entries().isEmpty());
    EXPECT_TRUE(sharedState().currentFileName.isEmpty());

    const QString path = makePicture("a.bmp", 30, 20);
    openThroughDialog(path);
    trigger("mnuLOAD");
    EXPECT_EQ(sharedState().currentFileName, path);
    EXPECT_EQ(window->historyWindow()->entries(), QStringList{path});
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(UiTest, AnUnreadableFileIsNamedAndChangesNothing) {
    start();
    const QString good = makePicture("good.bmp", 40, 30);
    const QString broken = QDir(pictureFolder).filePath("broken.bmp");
    ASSERT_TRUE(writeBytes(broken, "BM not really a picture"));
    openThroughDialog(good);
    trigger("mnuREVERSE");
    const QImage before = shown();
    const QSize frameBefore = sourceFrame()->size();

    openThroughDialog(broken);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(broken));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Kirimo"));
    EXPECT_EQ(sharedState().currentFileName, good);
    EXPECT_EQ(source()->windowTitle(), caption("good.bmp", 40, 30));
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(sourceFrame()->size(), frameBefore);
    EXPECT_EQ(window->historyWindow()->entries(), QStringList{good});

    // A file that has gone is named too.
    const QString gone = QDir(pictureFolder).filePath("gone.bmp");
    openThroughDialog(gone);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[1].text.contains(gone));
    EXPECT_EQ(sharedState().currentFileName, good);
}

TEST_F(UiTest, TheShownFileIsNotReadAgainButALetterCaseVariantIs) {
    start();
    // Two spellings of one folder, differing only in letter case.
    const QString folder = root_.filePath("Pics");
    const QString path = makePicture("a.bmp", 30, 20, folder);
    ASSERT_TRUE(QFile::link(folder, root_.filePath("pics")));
    const QString variant = QDir(root_.filePath("pics")).filePath("a.bmp");

    openThroughDialog(path);
    trigger("mnuREVERSE");
    const QImage inverted = shown();
    openThroughDialog(path);
    EXPECT_EQ(shown(), inverted);  // the filter result stays
    EXPECT_EQ(window->historyWindow()->entries(), QStringList{path});

    openThroughDialog(variant);
    EXPECT_NE(shown(), inverted);  // read again from the file
    EXPECT_EQ(pixelsOf(shown()), *loadPictureFile(path));
    EXPECT_EQ(sharedState().currentFileName, variant);
    EXPECT_EQ(window->historyWindow()->entries(), (QStringList{path, variant}));
}

class ResizePanelTest : public UiTest {
  protected:
    void openPanelOn(int width, int height) {
        start();
        openThroughDialog(makePicture("p.bmp", width, height));
        trigger("mnuSIZE");
        mx = find<QLineEdit>("txtMX");
        my = find<QLineEdit>("txtMY");
        link = find<QCheckBox>("chkLINK");
    }
    QLineEdit* mx = nullptr;
    QLineEdit* my = nullptr;
    QCheckBox* link = nullptr;
};

TEST_F(ResizePanelTest, OpensWithThePictureSize) {
    openPanelOn(400, 300);
    EXPECT_FALSE(find<QWidget>("picSIZE")->isHidden());
    EXPECT_TRUE(link->isChecked());
    EXPECT_EQ(mx->text(), "400");
    EXPECT_EQ(my->text(), "300");
    find<QPushButton>("cmdESC")->click();
    EXPECT_TRUE(find<QWidget>("picSIZE")->isHidden());
    EXPECT_EQ(shown().size(), QSize(400, 300));
}

TEST_F(ResizePanelTest, LinkedBoxesCorrectEachOtherUntilTheyAgree) {
    openPanelOn(3, 2);
    mx->setFocus();
    mx->selectAll();
    QTest::keyClicks(mx, "5");
    EXPECT_EQ(mx->text(), "4");  // 5 gives 3, which gives 4.5, rounded to even
    EXPECT_EQ(my->text(), "3");
}

TEST_F(ResizePanelTest, LinkedBoxesKeepTheProportionsUnlinkedOnesAreIndependent) {
    openPanelOn(400, 300);
    const struct {
        bool linked;
        bool across;  // typed into the width box, else into the height box
        const char* typed;
        const char* width;
        const char* height;
    } steps[] = {
        {true, true, "200", "200", "150"},
        {true, false, "60", "80", "60"},
        {true, true, "", "0", "0"},  // empty gives zero
        {true, true, "wide", "wide", "0"},
        {true, true, "99999999999", "99999999999", "0"},  // does not fit: no proportion
        {false, false, "300", "99999999999", "300"},
        {false, true, "123", "123", "300"},
        {false, false, "77", "123", "77"},
    };
    for (const auto& step : steps) {
        link->setChecked(step.linked);
        (step.across ? mx : my)->setText(QString::fromLatin1(step.typed));
        EXPECT_EQ(mx->text(), step.width) << step.typed;
        EXPECT_EQ(my->text(), step.height) << step.typed;
    }
}

TEST_F(ResizePanelTest, TwentyByTwentyIsAppliedAndSmallerIsIgnored) {
    openPanelOn(40, 30);
    link->setChecked(false);
    mx->setText("19");
    my->setText("400");
    find<QPushButton>("cmdSIZE")->click();
    EXPECT_TRUE(find<QWidget>("picSIZE")->isHidden());
    EXPECT_EQ(shown().size(), QSize(40, 30));
    EXPECT_EQ(source()->windowTitle(), caption("p.bmp", 40, 30));

    const PixelBuffer before = pixelsOf(shown());
    trigger("mnuSIZE");
    link->setChecked(false);
    mx->setText("20");
    my->setText("20");
    find<QPushButton>("cmdSIZE")->click();
    EXPECT_EQ(shown().size(), QSize(20, 20));
    EXPECT_EQ(source()->windowTitle(), caption("p.bmp", 20, 20));
    EXPECT_EQ(sharedState().pictureWidth, 20);
    EXPECT_EQ(sharedState().pictureHeight, 20);
    EXPECT_EQ(pixelsOf(shown()), *resizePicture(before, 20, 20));
    EXPECT_TRUE(dialogs.messages.empty());
}

// Every edit-menu item runs its own operation on the shown picture; a turn swaps the size
// in the caption; restore reads the file again, however many operations ran.
TEST_F(UiTest, EditMenuItemsRunTheirOperationsAndUndoRedoAndRestoreTakeThemBack) {
    start();
    const QString path = makePicture("f.bmp", 9, 7);
    openThroughDialog(path);
    const PixelBuffer original = *loadPictureFile(path);
    struct Case {
        const char* item;
        PixelBuffer expected;
        bool turned = false;
    };
    const Case cases[] = {
        {"mnuSHP1", applyWeightedFilter(original, WeightedFilter::SharpenWeak)},
        {"mnuSHP2", applyWeightedFilter(original, WeightedFilter::SharpenMedium)},
        {"mnuSHP3", applyWeightedFilter(original, WeightedFilter::SharpenStrong)},
        {"mnuBOKASI", applyWeightedFilter(original, WeightedFilter::Blur)},
        {"mnuMID", applyWeightedFilter(original, WeightedFilter::Average)},
        {"mnuMEDI", applyMedianFilter(original)},
        {"mnuENBOS", applyWeightedFilter(original, WeightedFilter::Emboss)},
        {"mnuOUTLINE", applyWeightedFilter(original, WeightedFilter::Outline)},
        {"mnuREVERSE", invertColours(original)},
        {"mnuUPDOWN", flipVertical(original)},
        {"mnuLEFTRIGHT", mirrorHorizontal(original)},
        {"mnuRIGHT90", rotateClockwise(original), true},
        {"mnuLEFT90", rotateCounterClockwise(original), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        trigger(QString::fromLatin1(c.item));
        EXPECT_EQ(pixelsOf(shown()), c.expected);
        EXPECT_EQ(source()->windowTitle(),
                  c.turned ? caption("f.bmp", 7, 9) : caption("f.bmp", 9, 7));
        EXPECT_EQ(sharedState().pictureWidth, c.turned ? 7 : 9);
        EXPECT_EQ(sharedState().pictureHeight, c.turned ? 9 : 7);
        trigger("mnuUNDO");
        EXPECT_EQ(pixelsOf(shown()), original);
        EXPECT_EQ(source()->windowTitle(), caption("f.bmp", 9, 7));
        trigger("mnuREDO");
        EXPECT_EQ(pixelsOf(shown()), c.expected);
        EXPECT_EQ(sharedState().pictureWidth, c.turned ? 7 : 9);
        trigger("mnuORG");
        EXPECT_EQ(pixelsOf(shown()), original);
        EXPECT_EQ(source()->windowTitle(), caption("f.bmp", 9, 7));
    }
    trigger("mnuRIGHT90");
    trigger("mnuSHP3");
    trigger("mnuORG");
    EXPECT_EQ(pixelsOf(shown()), original);
    // Restore is a step too; the turn and the sharpening come back one at a time.
    trigger("mnuUNDO");
    EXPECT_EQ(pixelsOf(shown()),
              applyWeightedFilter(rotateClockwise(original), WeightedFilter::SharpenStrong));
    trigger("mnuUNDO");
    EXPECT_EQ(pixelsOf(shown()), rotateClockwise(original));
    EXPECT_EQ(action("mnuUNDO")->shortcut(), QKeySequence(QKeySequence::Undo));
}

TEST_F(UiTest, TheUndoHistoryIsBoundedAndEndsWithThePicture) {
    start();
    openThroughDialog(makePicture("a.bmp", 40, 30));
    ui::PictureHistory& history = source()->history();
    const qint64 picture = shown().sizeInBytes();
    history.setBudgetBytes(picture * 3);  // room for two steps
    const PixelBuffer start = pixelsOf(shown());
    for (const char* item : {"mnuREVERSE", "mnuUPDOWN", "mnuREVERSE", "mnuLEFTRIGHT"})
        trigger(QString::fromLatin1(item));
    EXPECT_EQ(history.stack().count(), 2);
    EXPECT_LE(history.bytes(), picture * 3);
    trigger("mnuUNDO");
    trigger("mnuUNDO");
    EXPECT_FALSE(action("mnuUNDO")->isEnabled());
    // The two oldest steps are gone: back to the picture after them.
    EXPECT_EQ(pixelsOf(shown()), flipVertical(invertColours(start)));
    EXPECT_TRUE(action("mnuREDO")->isEnabled());

    openThroughDialog(makePicture("b.bmp", 20, 10));
    EXPECT_EQ(history.stack().count(), 0);
    EXPECT_FALSE(action("mnuREDO")->isEnabled());
}

TEST_F(UiTest, OperationsWithoutAPictureDoNothing) {
    start();
    for (const char* item :
         {"mnuSHP1", "mnuMEDI", "mnuREVERSE", "mnuRIGHT90", "mnuUPDOWN", "mnuSIZE", "mnuORG"}) {
        trigger(QString::fromLatin1(item));
    }
    EXPECT_EQ(source()->windowTitle(), QStringLiteral("元画像"));
    EXPECT_TRUE(shown().isNull());
    EXPECT_TRUE(find<QWidget>("picSIZE")->isHidden());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(UiTest, DroppingSeveralFilesOpensTheFirst) {
    start();
    const QString first = makePicture("first.bmp", 30, 20);
    const QString second = makePicture("second.bmp", 50, 40);
    dropFiles(find<QWidget>("picDODAI"), {first, second});
    EXPECT_EQ(sharedState().currentFileName, first);
    EXPECT_EQ(source()->windowTitle(), caption("first.bmp", 30, 20));
    EXPECT_EQ(window->historyWindow()->entries(), QStringList{first});

    dropFiles(find<QWidget>("picPREVIEW"), {second});
    EXPECT_EQ(sharedState().currentFileName, second);
    EXPECT_EQ(window->historyWindow()->entries(), (QStringList{first, second}));
}

TEST_F(UiTest, ALargePictureScrollsAndADoubleClickFitsTheWindow) {
    start();
    openThroughDialog(makePicture("big.bmp", 1600, 1200));
    auto* across = find<QScrollBar>("scrYOKO");
    auto* down = find<QScrollBar>("scrTATE");
    auto* base = find<QWidget>("picDODAI");
    auto* picture = find<QWidget>("picPREVIEW");
    EXPECT_FALSE(across->isHidden());
    EXPECT_FALSE(down->isHidden());
    EXPECT_EQ(across->maximum(), 1600 - base->width());
    EXPECT_EQ(down->maximum(), 1200 - base->height());
    // Wider and taller than the main window: the window keeps its 5000 twips.
    EXPECT_EQ(sourceFrame()->size(), QSize(333, 333));
    across->setValue(100);
    down->setValue(50);
    EXPECT_EQ(picture->pos(), QPoint(-100, -50));

    // A small picture in a window made too small: the double-click fits the window again.
    openThroughDialog(makePicture("small.bmp", 200, 150));
    sourceFrame()->resize(120, 100);
    EXPECT_FALSE(across->isHidden());
    QTest::mouseDClick(picture, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_TRUE(across->isHidden());
    EXPECT_TRUE(down->isHidden());
    EXPECT_GE(source()->width(), 200);
    EXPECT_GE(source()->height(), 150);
}

TEST(UiWindowLayout, AScrollBarAppearsOnlyWhenThePictureIsLarger) {
    QWidget client;
    client.resize(100, 80);
    QWidget base(&client);
    QScrollBar across(Qt::Horizontal, &client);
    QScrollBar down(Qt::Vertical, &client);
    ui::arrangeScrollBars(&client, &base, &across, &down, QSize(100, 80), 1);
    EXPECT_TRUE(across.isHidden());
    EXPECT_TRUE(down.isHidden());
    EXPECT_EQ(base.size(), QSize(100, 80));

    ui::arrangeScrollBars(&client, &base, &across, &down, QSize(101, 60), 1);
    EXPECT_FALSE(across.isHidden());
    EXPECT_TRUE(down.isHidden());
    EXPECT_EQ(base.size(), QSize(100, 80 - across.sizeHint().height()));
    EXPECT_EQ(across.maximum(), 1);

    // Twice 50 fits the width exactly, but the vertical bar needed for twice 41 takes room
    // from it: both bars, and every column within reach.
    ui::arrangeScrollBars(&client, &base, &across, &down, QSize(50, 41), 2);
    EXPECT_FALSE(across.isHidden());
    EXPECT_FALSE(down.isHidden());
    EXPECT_EQ(across.maximum(), 100 - base.width());
    EXPECT_EQ(down.maximum(), 82 - base.height());
}

TEST_F(UiTest, ClosingTheSourceWindowForgetsItsPicture) {
    start();
    openThroughDialog(makePicture("a.bmp", 30, 20));
    sourceFrame()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(sharedState().currentFileName.isEmpty());
    EXPECT_FALSE(action("mnuGSAVE")->isEnabled());
    trigger("mnuREVERSE");  // opens a new, empty source window and does nothing else
    EXPECT_EQ(source()->windowTitle(), QStringLiteral("元画像"));
    EXPECT_TRUE(shown().isNull());
    EXPECT_TRUE(sourceFrame()->isVisible());
}

class FakeColourPicker : public ui::EyedropperTarget {
  public:
    bool eyedropperActive() const override { return active; }
    void pickColour(int red, int green, int blue) override { picked = {red, green, blue}; }
    bool active = false;
    std::vector<int> picked;
};

TEST_F(UiTest, TheEyedropperHandsOnThePixelUnderThePointer) {
    start();
    PixelBuffer pixels = filledBuffer(4, 3, makePixel(1, 2, 3));
    pixels.at(2, 1) = makePixel(200, 100, 50);
    const QString path = QDir(pictureFolder).filePath("e.bmp");
    ASSERT_TRUE(savePictureBmp(path, pixels).ok());
    openThroughDialog(path);
    FakeColourPicker picker;
    source()->setEyedropperTarget(&picker);
    auto* picture = find<QWidget>("picPREVIEW");

    QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, QPoint(2, 1));
    EXPECT_TRUE(picker.picked.empty());
    picker.active = true;
    QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, QPoint(2, 1));
    EXPECT_EQ(picker.picked, (std::vector<int>{200, 100, 50}));
    source()->setEyedropperTarget(nullptr);
}

}  // namespace
}  // namespace kirimo::test
