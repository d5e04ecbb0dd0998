// Saving the source picture under a new name.

#include <QFile>

#include "ui_fixture.h"

namespace kirimo::test {
namespace {

using ui::MessageAnswer;

class SaveAsTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        start();
        picture = makePicture("a.bmp", 30, 20);
        openThroughDialog(picture);
        trigger("mnuREVERSE");  // the shown picture now differs from the file
    }

    void saveAs(const QString& chosen) {
        dialogs.fileAnswers.push_back(chosen);
        trigger("mnuGSAVE");
    }

    QString successText(const QString& fileName) const {
        return savedText(pictureFolder + "/", fileName);
    }
    PixelBuffer shownPixels() const { return pixelsOf(shown()); }

    QString picture;
};

TEST_F(SaveAsTest, SavesUnderTheChosenNameAndRestoreReadsThatFile) {
    const QString target = QDir(pictureFolder).filePath("new.bmp");
    saveAs(QDir(pictureFolder).filePath("new.jpg"));  // the extension becomes .bmp
    ASSERT_EQ(dialogs.fileDialogs.size(), 2u);
    EXPECT_TRUE(dialogs.fileDialogs[1].save);
    EXPECT_EQ(dialogs.fileDialogs[1].title, QStringLiteral("元ﾃﾞｰﾀを別名保存"));
    EXPECT_EQ(dialogs.fileDialogs[1].start, QDir(pictureFolder).filePath("a"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              (ShownMessage{"Kirimo", successText("new.bmp"), ui::MessageIcon::None}));
    const PixelBuffer saved = shownPixels();
    EXPECT_EQ(*loadPictureFile(target), saved);
    EXPECT_EQ(sharedState().currentFileName, target);
    EXPECT_EQ(source()->windowTitle(), QStringLiteral("元画像[new.bmp]（30×20）  "));

    trigger("mnuREVERSE");
    trigger("mnuORG");  // reads new.bmp, not a.bmp
    EXPECT_EQ(shownPixels(), saved);
}

TEST_F(SaveAsTest, CancellingTheDialogSavesNothing) {
    trigger("mnuGSAVE");  // no answer queued: cancelled
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(QDir(pictureFolder).entryList(QDir::Files), QStringList{"a.bmp"});
    EXPECT_EQ(sharedState().currentFileName, picture);
}

TEST_F(SaveAsTest, AnExistingNameAsksCancelKeepsNoAddsTheSecondsYesOverwrites) {
    const QByteArray before = readBytes(picture);
    saveAs(picture);  // unanswered: Cancel
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], overwriteQuestion("a"));
    EXPECT_EQ(readBytes(picture), before);
    EXPECT_EQ(QDir(pictureFolder).entryList(QDir::Files), QStringList{"a.bmp"});

    dialogs.answers = {MessageAnswer::No};
    saveAs(picture);
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[2].text, successText("a36000.bmp"));
    EXPECT_EQ(readBytes(picture), before);
    const QString renamed = QDir(pictureFolder).filePath("a36000.bmp");
    EXPECT_EQ(*loadPictureFile(renamed), shownPixels());
    EXPECT_EQ(sharedState().currentFileName, renamed);

    dialogs.answers = {MessageAnswer::Yes};
    saveAs(picture);
    ASSERT_EQ(dialogs.messages.size(), 5u);
    EXPECT_EQ(dialogs.messages[4].text, successText("a.bmp"));
    EXPECT_EQ(*loadPictureFile(picture), shownPixels());
}

TEST_F(SaveAsTest, ATextFileOfTheSameNameAlsoAsks) {
    ASSERT_TRUE(writeBytes(QDir(pictureFolder).filePath("chart.txt"), "counts"));
    saveAs(QDir(pictureFolder).filePath("chart.bmp"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], overwriteQuestion("chart"));
    EXPECT_FALSE(QFile::exists(QDir(pictureFolder).filePath("chart.bmp")));
}

}  // namespace
}  // namespace kirimo::test
