// Dot pictures saved and opened again as previews, and the preview's magnification.

#include <QMdiArea>
#include <QTest>
#include <QWheelEvent>

#include "conversion_fixture.h"
#include "core/conversion_texts.h"
#include "ui/frm_print.h"

namespace kirimo::test {
namespace {

class DotPictureTest : public ConversionTest {
  protected:
    // A photograph-like JPEG in its own folder, converted in the colour set `set`; the
    // folder ends with a separator.
    ui::FrmPreview* convertPhotograph(QString& folder,
                                      const QString& set = QStringLiteral("標準")) {
        folder = QDir(pictureFolder).filePath(QStringLiteral("絵")) + QDir::separator();
        QDir().mkpath(folder);
        const QString photo = folder + QStringLiteral("cat.jpg");
        EXPECT_TRUE(toImage(randomPicture(100, 70, 9)).save(photo, "JPG"));
        start();
        chooseSet(set);
        window->loadPictureFile(photo, false);
        return convert();
    }
    void chooseSet(const QString& name) {
        auto* sets = c<QComboBox>("cboCOLSET");
        ASSERT_GE(sets->findText(name), 0) << name.toStdString();
        pick(sets, sets->findText(name));
    }
    // The active preview's colour information in 30 x 30 sheets, saved under txtPath's base.
    void saveReports(const QString& txtPath) {
        whileModal<ui::FrmPrint>(action("mnuSAVE"), [&](ui::FrmPrint& shown) {
            child<QRadioButton>(&shown, "optSAVE(1)")->click();
            child<QComboBox>(&shown, "cboYOKO")->setEditText("30");
            child<QComboBox>(&shown, "cboTATE")->setEditText("30");
            dialogs.fileAnswers = {txtPath};
            child<QPushButton>(&shown, "cmdSAVE")->click();
        });
    }
    ui::FrmPreview* openDot(const QString& path) {
        dialogs.fileAnswers = {path};
        const auto before = window->findChildren<ui::FrmPreview*>();
        trigger("mnuOPENDOT");
        QApplication::processEvents();
        for (ui::FrmPreview* preview : window->findChildren<ui::FrmPreview*>()) {
            if (!before.contains(preview))
                return preview;
        }
        return nullptr;
    }
    QString text(ui::FrmPreview* preview) const { return in<QLabel>(preview, "lblINFO")->text(); }
};

TEST_F(DotPictureTest, ASavedAndReopenedDotPictureGivesTheSameReports) {
    QString folder;
    ui::FrmPreview* converted = convertPhotograph(folder);
    ASSERT_NE(converted, nullptr);
    const PixelBuffer dots = picture(converted->surface());
    saveReports(folder + "before.txt");

    // Saved as it stands, with the source's name proposed.
    dialogs.messages.clear();
    dialogs.fileAnswers = {folder + "dots"};
    trigger("mnuSAVEDOT");
    ASSERT_EQ(dialogs.fileDialogs.back().start, folder + "cat_dots.bmp");
    EXPECT_TRUE(dialogs.messages.empty());
    const auto saved = loadPictureFile(folder + "dots.bmp");
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(*saved, dots);

    // Opened again: the same dots, and the usage a conversion would have given them.
    ui::FrmPreview* reopened = openDot(folder + "dots.bmp");
    ASSERT_NE(reopened, nullptr);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(reopened->windowTitle(), QStringLiteral("[ﾄﾞｯﾄ絵]dots.bmp"));
    EXPECT_EQ(picture(reopened->surface()), dots);
    EXPECT_EQ(text(reopened), text(converted));
    EXPECT_EQ(sharedState().currentFileName, folder + "dots.bmp");

    saveReports(folder + "after.txt");
    for (const char* extension : {".txt", ".csv", ".bmp"}) {
        const QByteArray before = readBytes(folder + "before" + extension);
        EXPECT_FALSE(before.isEmpty()) << extension;
        EXPECT_EQ(readBytes(folder + "after" + extension), before) << extension;
    }

    // A second save over the same file asks first; "いいえ" keeps the file.
    ASSERT_TRUE(writeBytes(folder + "dots.bmp", "kept"));
    dialogs.messages.clear();
    dialogs.answers = {ui::MessageAnswer::No};
    dialogs.fileAnswers = {folder + "dots.bmp"};
    trigger("mnuSAVEDOT");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("上書き確認"));
    EXPECT_EQ(readBytes(folder + "dots.bmp"), "kept");
}

TEST_F(DotPictureTest, APictureWithForeignDotsIsRefusedWithTheirCount) {
    start();
    const Pixel black = colourValueToPixel(sharedState().colourTable[0].packed);
    const QString photo = makePictureOf("photo.bmp", 4, 3, [&](int x, int y) {
        return x == 1 && y > 0 ? makePixel(1, 2, 3) : black;
    });
    EXPECT_EQ(openDot(photo), nullptr);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(
        dialogs.messages[0].text.contains(QStringLiteral("12 ﾄﾞｯﾄのうち 2 ﾄﾞｯﾄが色の表にない色")))
        << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("「画像の選択」")));
    EXPECT_TRUE(window->findChildren<ui::FrmPreview*>().isEmpty());

    // Nothing chosen: nothing happens.
    dialogs.messages.clear();
    EXPECT_EQ(openDot(QString()), nullptr);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(DotPictureTest, ADotPictureOpensInTheColourSetInUse) {
    QString folder;
    ui::FrmPreview* converted = convertPhotograph(folder, QStringLiteral("Perler"));
    ASSERT_NE(converted, nullptr);
    dialogs.fileAnswers = {folder + "perler.bmp"};
    trigger("mnuSAVEDOT");

    // Bead colours are no colours of the standard table.
    chooseSet(QStringLiteral("標準"));
    EXPECT_EQ(openDot(folder + "perler.bmp"), nullptr);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("ﾄﾞｯﾄが色の表にない色")));

    // In the set they were made in, they open as the set's colours.
    chooseSet(QStringLiteral("Perler"));
    ui::FrmPreview* reopened = openDot(folder + "perler.bmp");
    ASSERT_NE(reopened, nullptr);
    ASSERT_TRUE(reopened->colourSetTable().has_value());
    EXPECT_EQ(reopened->colourSetTable()->colourSetId(), QStringLiteral("perler"));
    EXPECT_EQ(in<QLabel>(reopened, "lblCOLSET")->text(),
              in<QLabel>(converted, "lblCOLSET")->text());
    EXPECT_EQ(text(reopened), text(converted));
}

TEST_F(DotPictureTest, MagnificationChangesOnlyTheView) {
    QString folder;
    ui::FrmPreview* preview = convertPhotograph(folder);
    ASSERT_NE(preview, nullptr);
    const PixelBuffer dots = picture(preview->surface());
    const QString usage = text(preview);
    frameOf(preview)->resize(300, 250);
    auto* surface = preview->surface();
    auto* across = in<QScrollBar>(preview, "scrYOKO");

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
    for (const auto& [x, y] : {std::pair{1, 1}, {7, 7}, {9, 1}, {17, 9}}) {
        EXPECT_EQ(view.pixel(x, y) & 0xFFFFFFu, dots.at(x / 8, y / 8)) << x << "," << y;
    }
    for (const auto& [x, y] : {std::pair{8, 3}, {3, 8}, {16, 12}})
        EXPECT_NE(view.pixel(x, y) & 0xFFFFFFu, dots.at(x / 8, y / 8)) << x << "," << y;

    // The pixels, the usage and what the colour information takes are as before.
    EXPECT_EQ(picture(surface), dots);
    EXPECT_EQ(surface->image().size(), QSize(100, 70));
    EXPECT_EQ(text(preview), usage);
    whileModal<ui::FrmPrint>(
        action("mnuSAVE"), [&](ui::FrmPrint& shown) { EXPECT_EQ(shown.convertedPicture(), dots); });

    // A double-click shows the picture at actual size.
    QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(1, 1),
                      QPointF(surface->mapToGlobal(QPoint(1, 1))), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(surface, &click);
    EXPECT_EQ(preview->magnification(), 1);
    EXPECT_EQ(surface->size(), QSize(100, 70));
}

}  // namespace
}  // namespace kirimo::test
