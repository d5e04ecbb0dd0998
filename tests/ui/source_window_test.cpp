// The source window: loading, captions, the resize panel, the operations pressed from the
// edit menu, undo, redo and restore, dropped files, scroll bars and saving under a new name.

#include "imaging/filters.h"
#include "imaging/transforms.h"
#include "ui/picture_history.h"
#include "ui/twips.h"
#include "ui/window_layout.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

TEST_F(UiTest, OpeningAPictureShowsItAndWhatCannotBeReadIsNamedAndChangesNothing) {
    start();
    trigger("mnuLOAD");  // no answer queued: cancelled
    EXPECT_EQ(source()->windowTitle(), QStringLiteral("元画像"));
    EXPECT_TRUE(sharedState().currentFileName.isEmpty());
    const QString path = makePicture("cat.bmp", 320, 240);
    openThroughDialog(path);
    EXPECT_EQ(dialogs.fileDialogs.at(1).title, QStringLiteral("画像の選択"));
    EXPECT_EQ(source()->windowTitle(), caption("cat.bmp", 320, 240));
    EXPECT_EQ(sharedState().currentFileName, path);
    EXPECT_EQ(pictureSize(), QSize(320, 240));
    EXPECT_EQ(pixelsOf(shown()), *loadPictureFile(path));
    EXPECT_EQ(QDir::currentPath(), QDir(pictureFolder).canonicalPath());
    EXPECT_TRUE(action("mnuGSAVE")->isEnabled());
    // Fitted: the picture's width plus 120 twips, its height plus the caption and 200
    // twips, and no scroll bars.
    EXPECT_TRUE(find<QScrollBar>("scrYOKO")->isHidden());
    EXPECT_TRUE(find<QScrollBar>("scrTATE")->isHidden());
    EXPECT_EQ(sourceFrame()->width(), 320 + 8);
    EXPECT_EQ(sourceFrame()->height(),
              ui::twipsToPixels(240 * 15 + sharedState().captionHeightTwips + 200));

    trigger("mnuREVERSE");
    const QImage before = shown();
    const QSize frameBefore = sourceFrame()->size();
    const QString broken = makeBroken("broken.bmp", "BM not really a picture");
    const QString gone = QDir(pictureFolder).filePath("gone.bmp");
    for (const QString& bad : {broken, gone}) {
        openThroughDialog(bad);
        EXPECT_TRUE(lastMessage().contains(bad)) << lastMessage().toStdString();
        EXPECT_EQ(dialogs.messages.back().title, QStringLiteral("Kirimo"));
        EXPECT_EQ(sharedState().currentFileName, path);
        EXPECT_EQ(source()->windowTitle(), caption("cat.bmp", 320, 240));
        EXPECT_EQ(shown(), before);
        EXPECT_EQ(sourceFrame()->size(), frameBefore);
    }
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(history(), QStringList{path});
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
    EXPECT_EQ(history(), QStringList{path});
    openThroughDialog(variant);
    EXPECT_EQ(pixelsOf(shown()), *loadPictureFile(path));  // read again from the file
    EXPECT_EQ(sharedState().currentFileName, variant);
    EXPECT_EQ(history(), (QStringList{path, variant}));
}

TEST_F(UiTest, TheResizePanelKeepsProportionsWhenLinkedAndAppliesTwentyByTwentyAtLeast) {
    start();
    openThroughDialog(makePicture("p.bmp", 400, 300));
    trigger("mnuSIZE");
    QLineEdit* mx = find<QLineEdit>("txtMX");
    QLineEdit* my = find<QLineEdit>("txtMY");
    QCheckBox* link = find<QCheckBox>("chkLINK");
    EXPECT_FALSE(find<QWidget>("picSIZE")->isHidden());
    EXPECT_TRUE(link->isChecked());
    EXPECT_EQ(mx->text() + "x" + my->text(), "400x300");
    const struct {
        bool linked, across;  // typed into the width box, else into the height box
        const char *typed, *width, *height;
    } steps[] = {
        {true, true, "200", "200", "150"},
        {true, false, "60", "80", "60"},
        {true, true, "", "0", "0"},  // empty gives zero
        {true, true, "wide", "wide", "0"},
        {true, true, "99999999999", "99999999999", "0"},  // does not fit: no proportion
        {false, false, "300", "99999999999", "300"},
        {false, true, "123", "123", "300"},
    };
    for (const auto& step : steps) {
        link->setChecked(step.linked);
        (step.across ? mx : my)->setText(QString::fromLatin1(step.typed));
        EXPECT_EQ(mx->text(), step.width) << step.typed;
        EXPECT_EQ(my->text(), step.height) << step.typed;
    }
    find<QPushButton>("cmdESC")->click();
    EXPECT_TRUE(find<QWidget>("picSIZE")->isHidden());
    EXPECT_EQ(shown().size(), QSize(400, 300));

    const auto resizeTo = [&](const char* width, const char* height) {
        trigger("mnuSIZE");
        link->setChecked(false);
        mx->setText(width);
        my->setText(height);
        find<QPushButton>("cmdSIZE")->click();
    };
    resizeTo("19", "400");  // smaller than 20: ignored
    EXPECT_TRUE(find<QWidget>("picSIZE")->isHidden());
    EXPECT_EQ(source()->windowTitle(), caption("p.bmp", 400, 300));
    const PixelBuffer before = pixelsOf(shown());
    resizeTo("20", "20");
    EXPECT_EQ(source()->windowTitle(), caption("p.bmp", 20, 20));
    EXPECT_EQ(pictureSize(), QSize(20, 20));
    EXPECT_EQ(pixelsOf(shown()), *resizePicture(before, 20, 20));
    EXPECT_TRUE(dialogs.messages.empty());
    // Typed keys correct each other until the boxes agree: 5 gives 3, which gives 4.5,
    // rounded to even.
    openThroughDialog(makePicture("q.bmp", 3, 2));
    trigger("mnuSIZE");
    link->setChecked(true);
    mx->setFocus();
    mx->selectAll();
    QTest::keyClicks(mx, "5");
    EXPECT_EQ(mx->text() + "x" + my->text(), "4x3");
}

// Every edit-menu item runs its own operation on the shown picture; a turn swaps the size
// in the caption; restore reads the file again, however many operations ran.
TEST_F(UiTest, EditMenuItemsRunTheirOperationsAndUndoRedoAndRestoreTakeThemBack) {
    start();
    const QString path = makePicture("f.bmp", 9, 7);
    openThroughDialog(path);
    const PixelBuffer original = *loadPictureFile(path);
    const auto filter = [&](WeightedFilter f) { return applyWeightedFilter(original, f); };
    const struct {
        const char* item;
        PixelBuffer expected;
        bool turned = false;
    } cases[] = {
        {"mnuSHP1", filter(WeightedFilter::SharpenWeak)},
        {"mnuSHP2", filter(WeightedFilter::SharpenMedium)},
        {"mnuSHP3", filter(WeightedFilter::SharpenStrong)},
        {"mnuBOKASI", filter(WeightedFilter::Blur)},
        {"mnuMID", filter(WeightedFilter::Average)},
        {"mnuMEDI", applyMedianFilter(original)},
        {"mnuENBOS", filter(WeightedFilter::Emboss)},
        {"mnuOUTLINE", filter(WeightedFilter::Outline)},
        {"mnuREVERSE", invertColours(original)},
        {"mnuUPDOWN", flipVertical(original)},
        {"mnuLEFTRIGHT", mirrorHorizontal(original)},
        {"mnuRIGHT90", rotateClockwise(original), true},
        {"mnuLEFT90", rotateCounterClockwise(original), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        const QString turnedCaption = caption("f.bmp", c.turned ? 7 : 9, c.turned ? 9 : 7);
        trigger(QString::fromLatin1(c.item));
        EXPECT_EQ(pixelsOf(shown()), c.expected);
        EXPECT_EQ(source()->windowTitle(), turnedCaption);
        EXPECT_EQ(pictureSize(), QSize(c.turned ? 7 : 9, c.turned ? 9 : 7));
        for (const char* step : {"mnuUNDO", "mnuREDO", "mnuORG"}) {
            trigger(step);
            const bool back = step[3] != 'R';
            EXPECT_EQ(pixelsOf(shown()), back ? original : c.expected) << step;
            EXPECT_EQ(source()->windowTitle(), back ? caption("f.bmp", 9, 7) : turnedCaption);
        }
    }
    trigger("mnuRIGHT90");
    trigger("mnuSHP3");
    trigger("mnuORG");
    // Restore is a step too; the turn and the sharpening come back one at a time.
    trigger("mnuUNDO");
    EXPECT_EQ(pixelsOf(shown()),
              applyWeightedFilter(rotateClockwise(original), WeightedFilter::SharpenStrong));
    trigger("mnuUNDO");
    EXPECT_EQ(pixelsOf(shown()), rotateClockwise(original));
    EXPECT_EQ(action("mnuUNDO")->shortcut(), QKeySequence(QKeySequence::Undo));
    // The undo history is bounded and ends with the picture.
    openThroughDialog(makePicture("a.bmp", 40, 30));
    ui::PictureHistory& steps = source()->history();
    const qint64 picture = shown().sizeInBytes();
    steps.setBudgetBytes(picture * 3);  // room for two steps
    const PixelBuffer start = pixelsOf(shown());
    for (const char* item : {"mnuREVERSE", "mnuUPDOWN", "mnuREVERSE", "mnuLEFTRIGHT"})
        trigger(QString::fromLatin1(item));
    EXPECT_EQ(steps.stack().count(), 2);
    EXPECT_LE(steps.bytes(), picture * 3);
    trigger("mnuUNDO");
    trigger("mnuUNDO");
    EXPECT_FALSE(action("mnuUNDO")->isEnabled());
    // The two oldest steps are gone: back to the picture after them.
    EXPECT_EQ(pixelsOf(shown()), flipVertical(invertColours(start)));
    EXPECT_TRUE(action("mnuREDO")->isEnabled());
    openThroughDialog(makePicture("b.bmp", 20, 10));
    EXPECT_EQ(steps.stack().count(), 0);
    EXPECT_FALSE(action("mnuREDO")->isEnabled());
}

TEST_F(UiTest, OperationsWithoutAPictureDoNothingAlsoAfterTheWindowClosed) {
    start();
    const auto expectNothingDone = [&] {
        for (const char* item :
             {"mnuSHP1", "mnuMEDI", "mnuREVERSE", "mnuRIGHT90", "mnuUPDOWN", "mnuSIZE", "mnuORG"})
            trigger(QString::fromLatin1(item));
        EXPECT_EQ(source()->windowTitle(), QStringLiteral("元画像"));
        EXPECT_TRUE(shown().isNull());
        EXPECT_TRUE(find<QWidget>("picSIZE")->isHidden());
        EXPECT_TRUE(dialogs.messages.empty());
    };
    expectNothingDone();
    // Closing the source window forgets its picture; the next operation opens a new, empty
    // window and does nothing else.
    openThroughDialog(makePicture("a.bmp", 30, 20));
    sourceFrame()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(sharedState().currentFileName.isEmpty());
    EXPECT_FALSE(action("mnuGSAVE")->isEnabled());
    expectNothingDone();
    EXPECT_TRUE(sourceFrame()->isVisible());
}

TEST_F(UiTest, DroppedFilesOpenTheFirstAndALargePictureScrolls) {
    start();
    const QString first = makePicture("first.bmp", 30, 20);
    const QString second = makePicture("second.bmp", 50, 40);
    dropFiles(find<QWidget>("picDODAI"), {first, second});
    EXPECT_EQ(sharedState().currentFileName, first);
    EXPECT_EQ(source()->windowTitle(), caption("first.bmp", 30, 20));
    dropFiles(find<QWidget>("picPREVIEW"), {second});
    EXPECT_EQ(history(), (QStringList{first, second}));

    openThroughDialog(makePicture("big.bmp", 1600, 1200));
    auto* across = find<QScrollBar>("scrYOKO");
    auto* down = find<QScrollBar>("scrTATE");
    auto* base = find<QWidget>("picDODAI");
    auto* picture = find<QWidget>("picPREVIEW");
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
    QScrollBar across(Qt::Horizontal, &client), down(Qt::Vertical, &client);
    ui::arrangeScrollBars(&client, &base, &across, &down, QSize(100, 80), 1);
    EXPECT_TRUE(across.isHidden() && down.isHidden());
    EXPECT_EQ(base.size(), QSize(100, 80));
    ui::arrangeScrollBars(&client, &base, &across, &down, QSize(101, 60), 1);
    EXPECT_FALSE(across.isHidden());
    EXPECT_TRUE(down.isHidden());
    EXPECT_EQ(base.size(), QSize(100, 80 - across.sizeHint().height()));
    EXPECT_EQ(across.maximum(), 1);
    // Twice 50 fits the width exactly, but the vertical bar needed for twice 41 takes room
    // from it: both bars, and every column within reach.
    ui::arrangeScrollBars(&client, &base, &across, &down, QSize(50, 41), 2);
    EXPECT_FALSE(across.isHidden() || down.isHidden());
    EXPECT_EQ(across.maximum(), 100 - base.width());
    EXPECT_EQ(down.maximum(), 82 - base.height());
}

// Saving under a new name; an existing name asks: Cancel keeps the file, No adds the
// seconds since midnight, Yes overwrites.
TEST_F(UiTest, SaveAsWritesTheChosenNameAndAsksBeforeReplacingAFile) {
    start();
    const QString picture = makePicture("a.bmp", 30, 20);
    openThroughDialog(picture);
    trigger("mnuREVERSE");  // the shown picture now differs from the file
    const auto saveAs = [&](const QString& chosen) {
        dialogs.fileAnswers.push_back(chosen);
        trigger("mnuGSAVE");
    };
    const auto saved = [&](const char* name) { return savedText(pictureFolder + "/", name); };
    const auto files = [&] { return QDir(pictureFolder).entryList(QDir::Files); };
    trigger("mnuGSAVE");  // no answer queued: cancelled
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(files(), QStringList{"a.bmp"});

    const QString target = QDir(pictureFolder).filePath("new.bmp");
    saveAs(QDir(pictureFolder).filePath("new.jpg"));  // the extension becomes .bmp
    ASSERT_EQ(dialogs.fileDialogs.size(), 3u);
    EXPECT_TRUE(dialogs.fileDialogs[2].save);
    EXPECT_EQ(dialogs.fileDialogs[2].title, QStringLiteral("元ﾃﾞｰﾀを別名保存"));
    EXPECT_EQ(dialogs.fileDialogs[2].start, QDir(pictureFolder).filePath("a"));
    EXPECT_EQ(onlyMessage(), (ShownMessage{"Kirimo", saved("new.bmp"), ui::MessageIcon::None}));
    const PixelBuffer inverted = pixelsOf(shown());
    EXPECT_EQ(*loadPictureFile(target), inverted);
    EXPECT_EQ(sharedState().currentFileName, target);
    EXPECT_EQ(source()->windowTitle(), caption("new.bmp", 30, 20));
    trigger("mnuREVERSE");
    trigger("mnuORG");  // reads new.bmp, not a.bmp
    EXPECT_EQ(pixelsOf(shown()), inverted);

    const QByteArray before = readBytes(picture);
    dialogs.messages.clear();
    saveAs(picture);  // unanswered: Cancel
    EXPECT_EQ(onlyMessage(), overwriteQuestion("a"));
    // No saves under the base with the seconds since midnight, Yes over the file.
    for (const auto& [answer, name] : {std::pair{ui::MessageAnswer::No, "a36000.bmp"},
                                       std::pair{ui::MessageAnswer::Yes, "a.bmp"}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(readBytes(picture), before);
        dialogs.messages.clear();
        dialogs.answers = {answer};
        saveAs(picture);
        EXPECT_EQ(dialogs.messages,
                  (std::vector<ShownMessage>{overwriteQuestion("a"),
                                             {"Kirimo", saved(name), ui::MessageIcon::None}}));
        const QString written = QDir(pictureFolder).filePath(name);
        EXPECT_EQ(*loadPictureFile(written), inverted);
        EXPECT_EQ(sharedState().currentFileName, written);
    }
    // A text file of the same base name also asks.
    dialogs.messages.clear();
    ASSERT_TRUE(writeBytes(QDir(pictureFolder).filePath("chart.txt"), "counts"));
    saveAs(QDir(pictureFolder).filePath("chart.bmp"));
    EXPECT_EQ(onlyMessage(), overwriteQuestion("chart"));
    EXPECT_FALSE(QFile::exists(QDir(pictureFolder).filePath("chart.bmp")));
}

}  // namespace
}  // namespace kirimo::test
