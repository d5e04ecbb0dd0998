// Conversions into preview windows: caption, pixels and usage, refused settings,
// activation, double-click, and the choice of "色情報の保存".

#include <QMdiArea>

#include "conversion_fixture.h"
#include "core/colour_usage.h"
#include "core/conversion_texts.h"
#include "ui/frm_last.h"
#include "ui/frm_print.h"

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
    EXPECT_EQ(in<QLabel>(preview, "lblINFO")->text(), usageString(*expected, 9, 7));
    EXPECT_EQ(in<QComboBox>(preview, "cboBAI")->currentText(), QStringLiteral("2倍"));
    EXPECT_EQ(in<QPushButton>(preview, "cmdEDIT")->text(), QStringLiteral("色編集"));
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
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("大きさが０")));
    EXPECT_EQ(window->findChildren<ui::FrmPreview*>().size(), 1);
}

TEST_F(PreviewTest, ActivationReloadsItsSourceWithoutAHistoryEntry) {
    const QString a = makePicture("a.bmp", 12, 8);
    const QString b = makePicture("b.bmp", 6, 5);
    start();
    window->loadPictureFile(a, false);
    ui::FrmPreview* first = convert();
    ASSERT_NE(first, nullptr);
    window->loadPictureFile(b, false);
    ui::FrmPreview* second = convert();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(in<QLabel>(second, "lblFOCUS")->text(), QStringLiteral("1"));

    window->mdiArea()->setActiveSubWindow(frameOf(first));
    QApplication::processEvents();
    EXPECT_EQ(sharedState().currentFileName, a);
    EXPECT_EQ(source()->surface()->image().size(), QSize(12, 8));
    EXPECT_TRUE(window->historyWindow()->entries().isEmpty());
    EXPECT_EQ(sharedState().activePreviewCaption, first->windowTitle());
    EXPECT_EQ(in<QLabel>(first, "lblFOCUS")->text(), QStringLiteral("1"));
    EXPECT_EQ(in<QLabel>(second, "lblFOCUS")->text(), QStringLiteral("0"));

    // The usage of the activated preview shows again on the conversion window.
    const auto view = colourUsageView(first->usage());
    ASSERT_TRUE(view.has_value());
    for (int k = 0; k < kColourCount; ++k)
        EXPECT_EQ(use(k)->isChecked(), view->ticked[k]) << k;

    // A preview of the current file reloads nothing: the inverted picture stays.
    find<QPushButton>("cmdREVERSE")->click();
    const PixelBuffer inverted = picture(source()->surface());
    window->mdiArea()->setActiveSubWindow(frameOf(source()));
    window->mdiArea()->setActiveSubWindow(frameOf(first));
    QApplication::processEvents();
    EXPECT_EQ(picture(source()->surface()), inverted);
}

TEST_F(PreviewTest, DoubleClickTakesThePreviewsSize) {
    start();
    window->loadPictureFile(makePicture("a.bmp", 12, 8), false);
    ui::FrmPreview* preview = convert();
    ASSERT_NE(preview, nullptr);
    window->loadPictureFile(makePicture("b.bmp", 30, 20), false);
    frameOf(preview)->resize(300, 300);
    auto* surface = preview->surface();
    QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(1, 1),
                      QPointF(surface->mapToGlobal(QPoint(1, 1))), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(surface, &click);
    EXPECT_EQ(sharedState().pictureWidth, 12);
    EXPECT_EQ(sharedState().pictureHeight, 8);
    EXPECT_LT(frameOf(preview)->width(), 300);
}

TEST_F(PreviewTest, ColourInformationNeedsAnActivePreview) {
    start();
    trigger("mnuSAVE");
    const ShownMessage convertFirst{"Kirimo", "画像を１つ選んで変換して下さい。",
                                    MessageIcon::Exclamation};
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], convertFirst);

    window->loadPictureFile(makePicture("a.bmp", 12, 8), false);
    ui::FrmPreview* preview = convert();
    ASSERT_NE(preview, nullptr);
    window->loadPictureFile(makePicture("b.bmp", 30, 20), false);
    sharedState().workPixels = PixelBuffer{};
    dialogs.messages.clear();
    // The colour information window opens modally; close it at once.
    whileModal<ui::FrmPrint>(action("mnuSAVE"), [](ui::FrmPrint&) {});
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(sharedState().workPixels, picture(preview->surface()));
    EXPECT_EQ(sharedState().pictureWidth, 12);
    EXPECT_EQ(sharedState().pictureHeight, 8);
    const auto frames = window->mdiArea()->subWindowList(QMdiArea::CreationOrder);
    EXPECT_EQ(frames.value(sharedState().selectedPreviewIndex), frameOf(preview));

    // Closed, the preview cannot be found any more.
    frameOf(preview)->close();
    QApplication::processEvents();
    trigger("mnuSAVE");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], convertFirst);
}

}  // namespace
}  // namespace kirimo::test
