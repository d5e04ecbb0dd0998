// The zigzag window: loading by dialog, pop-up menu and drops, the size question, the crop
// rectangles, the combination and its files, saving, and the hand-off to the main window.

#include "ui/frm_jiguzagu.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

// Pixels say which picture they come from (blue) and where (red = x, green = y).
Pixel tagged(int tag, int x, int y) {
    return makePixel(x, y, tag);
}

class ZigzagTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        zig = std::make_unique<ui::FrmJiguzagu>(dialogs);
    }
    void TearDown() override {
        zig.reset();
        UiTest::TearDown();
    }

    QString picture(const QString& name, int width, int height, int tag, QString folder = {}) {
        return makePictureOf(
            name, width, height, [tag](int x, int y) { return tagged(tag, x, y); }, folder);
    }
    template <typename T>
    T* in(const QString& name) const {
        return child<T>(zig.get(), name);
    }
    QString label(const QString& name) const { return in<QLabel>(name)->text(); }
    QString name() const { return in<QLineEdit>("txtFILENAME")->text(); }
    bool canSend() const { return in<QPushButton>("cmdSEND")->isEnabled(); }
    void choose(const QStringList& paths) {
        dialogs.filesAnswers.push_back(paths);
        click(zig.get(), "cmdLOADPIC");
    }
    void run(const QString& strip) {
        in<QComboBox>("cboHABA")->setEditText(strip);
        click(zig.get(), "cmdRUN");
    }
    QStringList strips() const { return itemTexts(in<QComboBox>("cboHABA")); }
    PixelBuffer written(const QString& path) const {
        auto pixels = loadPictureFile(path);
        EXPECT_TRUE(pixels.ok()) << path.toStdString();
        return pixels.ok() ? std::move(pixels).value() : PixelBuffer();
    }
    QString dmy(const QString& folder = {}) const {
        return QDir(folder.isEmpty() ? pictureFolder : folder).filePath("dmy.bmp");
    }
    static void mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button) {
        sendMouse(widget, type, at, type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                  button);
    }
    QFrame* thumb(int k) const { return in<QFrame>(QStringLiteral("imgPREVIEW(%1)").arg(k)); }

    std::unique_ptr<ui::FrmJiguzagu> zig;
};

TEST_F(ZigzagTest, TwoEqualPicturesCombineInStripsAndBadWidthsAreRefused) {
    EXPECT_FALSE(in<QWidget>("picBUNKATU")->isEnabled());
    choose({picture("a.bmp", 60, 40, 1)});
    EXPECT_TRUE(strips().isEmpty());  // B is missing: no common size yet
    click(zig.get(), "cmdRUN");
    EXPECT_EQ(dialogs.messages.size(), 1u);
    choose({picture("a.bmp", 60, 40, 1), picture("b.bmp", 60, 40, 2)});
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(strips(), QString("1,2,3,4,5,6,10,12,15,20,30,60").split(','));
    EXPECT_EQ(in<QComboBox>("cboHABA")->currentText(), "1");
    EXPECT_EQ(label("lblSIZE(0)"), QStringLiteral("ｻｲｽﾞ：60×40"));
    EXPECT_EQ(label("lblINFO"), "");
    EXPECT_TRUE(in<QLabel>("lblRESIZE(0)")->isHidden());
    EXPECT_TRUE(in<QWidget>("picBUNKATU")->isEnabled());
    EXPECT_FALSE(canSend());
    EXPECT_EQ(name(), "ab");

    for (const char* typed : {"0", "-3", "2.5", "abc", "", "61"}) {
        dialogs.messages.clear();
        run(QString::fromUtf8(typed));
        ASSERT_EQ(dialogs.messages.size(), 1u) << typed;
        EXPECT_EQ(dialogs.messages[0].title, "Kirimo");
        EXPECT_EQ(dialogs.messages[0].icon, ui::MessageIcon::Exclamation);
        EXPECT_FALSE(QFile::exists(dmy())) << typed;
        EXPECT_EQ(label("lblHABA"), "");
        EXPECT_FALSE(canSend());
    }
    run("10");
    EXPECT_EQ(label("lblHABA"), QStringLiteral("用紙は12列に分けられます"));
    EXPECT_TRUE(canSend());
    EXPECT_EQ(thumb(2)->size(), QSize(234, 97));
    // Strips of ten, A's first (the interleaving itself is the engine's).
    const PixelBuffer out = written(dmy());
    ASSERT_EQ(QSize(out.width(), out.height()), QSize(120, 40));
    for (const auto& [x, y, tag, from] : {std::array{9, 39, 1, 9}, {10, 5, 2, 0}, {119, 39, 2, 59}})
        EXPECT_EQ(out.at(x, y), tagged(tag, from, y)) << x << "," << y;
    EXPECT_EQ(in<ui::PictureSurface>("picKANSEI")->image().size(), QSize(120, 40));
    run("7");  // not a divisor: accepted, the last pair is narrower
    EXPECT_EQ(label("lblHABA"), QStringLiteral("用紙は17列に分けられます"));
    // A folder that cannot take the result hands nothing over.
    dialogs.messages.clear();
    QFile::remove(dmy());
    ASSERT_TRUE(QDir(pictureFolder).mkdir("dmy.bmp"));  // the name is taken by a folder
    run("5");
    EXPECT_TRUE(onlyMessage().text.startsWith(QStringLiteral("ﾌｧｲﾙ（%1）").arg(dmy())));
    EXPECT_FALSE(canSend());
    EXPECT_EQ(label("lblHABA"), "");
}

// Different sizes ask; the crop rectangles read out floored and cut rounded; a later load
// answered No keeps everything.
TEST_F(ZigzagTest, DifferentSizesAskDraggedRectanglesCutAndNoKeepsEverything) {
    dialogs.answers.push_back(ui::MessageAnswer::Yes);
    choose({picture("a.bmp", 100, 80, 1), picture("b.bmp", 90, 85, 2)});
    EXPECT_EQ(
        onlyMessage(),
        (ShownMessage{"ｻｲｽﾞ違い",
                      "ｻｲｽﾞが違います。無視すると小さい方に合わせて処理します。\n続行しますか。",
                      ui::MessageIcon::Exclamation, ui::MessageButtons::YesNo}));
    EXPECT_EQ(label("lblINFO"), QStringLiteral("90×80のｻｲｽﾞで切り取ります。"));
    // 90 % of the 117-pixel thumbnail, and the whole of its height; B is cut in height.
    auto* cropA = in<QLabel>("lblRESIZE(0)");
    auto* cropB = in<QLabel>("lblRESIZE(1)");
    EXPECT_EQ(cropA->geometry(), QRect(0, 0, 105, 97));
    EXPECT_EQ(cropB->geometry(), QRect(0, 0, 117, 91));
    EXPECT_FALSE(cropA->isHidden());
    EXPECT_EQ(strips().size(), 12);

    auto* readout = in<QLabel>("lblXYPOS(0)");
    mouse(cropA, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
    EXPECT_FALSE(readout->isHidden());
    mouse(cropA, QEvent::MouseMove, {22, 17}, Qt::LeftButton);
    EXPECT_EQ(cropA->pos(), QPoint(12, 7));
    EXPECT_EQ(readout->text(), "10,5");  // 10.26, 5.77
    mouse(cropA, QEvent::MouseButtonRelease, {22, 17}, Qt::LeftButton);
    EXPECT_TRUE(readout->isHidden());
    EXPECT_EQ(zig->selectedSlot(), 0);
    // B dragged above its thumbnail: the readout goes below zero, the cut stops at 0.
    mouse(cropB, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    mouse(cropB, QEvent::MouseMove, {5, 2}, Qt::LeftButton);
    EXPECT_EQ(label("lblXYPOS(1)"), "0,-3");
    mouse(cropB, QEvent::MouseButtonRelease, {5, 2}, Qt::LeftButton);

    run("90");
    const PixelBuffer out = written(dmy());
    ASSERT_EQ(out.width(), 180);
    EXPECT_EQ(out.at(0, 0), tagged(1, 10, 6));
    EXPECT_EQ(out.at(89, 73), tagged(1, 99, 79));
    EXPECT_EQ(out.at(0, 74), 0u);  // beyond A's last row
    EXPECT_EQ(out.at(90, 0), tagged(2, 0, 0));
    EXPECT_EQ(out.at(179, 79), tagged(2, 89, 79));
    // No: pictures, names, sizes, strips and the result to send stay.
    choose({picture("c.bmp", 50, 50, 3)});
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(label("lblSIZE(0)"), QStringLiteral("ｻｲｽﾞ：100×80"));
    EXPECT_EQ(label("lblINFO"), QStringLiteral("90×80のｻｲｽﾞで切り取ります。"));
    EXPECT_EQ(name(), "ab");
    EXPECT_EQ(strips().size(), 12);
    EXPECT_EQ(label("lblHABA"), QStringLiteral("用紙は2列に分けられます"));
    EXPECT_TRUE(canSend());
    run("90");
    EXPECT_EQ(written(dmy()), out);
}

TEST_F(ZigzagTest, SwappingRenamesAndWritesBesideTheNewAAndSavingChecksTheName) {
    const QString other = QDir(pictureFolder).filePath("other");
    choose({picture("left.bmp", 20, 10, 1), picture("right.bmp", 20, 10, 2, other)});
    EXPECT_EQ(name(), "leftright");
    click(zig.get(), "cmdREV");
    EXPECT_EQ(name(), "rightleft");
    run("20");
    EXPECT_FALSE(QFile::exists(dmy()));
    const PixelBuffer out = written(dmy(other));
    EXPECT_EQ(out.at(0, 3), tagged(2, 0, 3));
    EXPECT_EQ(out.at(20, 3), tagged(1, 0, 3));
    EXPECT_EQ(zig->handOffFolder(), other + "/");
    // Dotted names propose their first parts; saving checks the name.
    const QString a = picture("a.b.bmp", 20, 10, 1);
    const QString c = QDir(pictureFolder).filePath("c.jpg");
    ASSERT_TRUE(toImage(*PixelBuffer::create(20, 10)).save(c, "JPG"));
    choose({a, c});
    EXPECT_EQ(name(), "ac");

    click(zig.get(), "cmdSAVE");  // nothing to save before a run
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(QFile::exists(QDir(pictureFolder).filePath("ac.bmp")));
    run("5");
    click(zig.get(), "cmdSAVE");
    EXPECT_EQ(written(QDir(pictureFolder).filePath("ac.bmp")), written(dmy()));
    // Refused: no name, a folder in the name, and the name of a picture being combined.
    for (const char* refused : {"", "sub/x", "a.b"}) {
        dialogs.messages.clear();
        in<QLineEdit>("txtFILENAME")->setText(QString::fromUtf8(refused));
        click(zig.get(), "cmdSAVE");
        EXPECT_EQ(dialogs.messages.size(), 1u) << refused;
    }
    EXPECT_EQ(written(a).at(3, 3), tagged(1, 3, 3));
}

TEST_F(ZigzagTest, ClicksMenuAndDropsChooseTheSlotAndAnUnreadablePictureIsNamed) {
    const QString a = picture("a.bmp", 30, 20, 1);
    const QString b = picture("b.bmp", 30, 20, 2);
    const QString c = picture("c.bmp", 30, 20, 3);

    mouse(thumb(1), QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    EXPECT_EQ(zig->selectedSlot(), 1);
    EXPECT_EQ(thumb(1)->frameShape(), QFrame::Box);
    EXPECT_EQ(thumb(0)->frameShape(), QFrame::NoFrame);
    choose({a});
    EXPECT_EQ(name(), "a");  // into B; A is still empty

    auto* menu = in<QMenu>("mnuA");
    mouse(thumb(0), QEvent::MouseButtonPress, {5, 5}, Qt::RightButton);
    EXPECT_EQ(zig->selectedSlot(), 0);
    EXPECT_TRUE(menu->isVisible());
    dialogs.fileAnswers.push_back(b);
    in<QAction>("mnuLOAD")->trigger();
    menu->hide();
    EXPECT_EQ(name(), "ba");

    mouse(thumb(2), QEvent::MouseButtonPress, {5, 5}, Qt::RightButton);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(zig->selectedSlot(), 0);

    dropFiles(thumb(1), {c});
    EXPECT_EQ(name(), "bc");
    dropFiles(zig.get(), {a, b});
    EXPECT_EQ(name(), "ab");
    dropFiles(thumb(2), {c});
    dropFiles(thumb(2), {c, a});
    dropFiles(zig.get(), {a, b, c});
    choose({c, b, a});
    EXPECT_EQ(name(), "ab");
    EXPECT_TRUE(dialogs.messages.empty());
    // An unreadable picture is named and its slot keeps what it had.
    const QString broken = makeBroken("broken.jpg", "not a picture");
    choose({c, broken});
    EXPECT_TRUE(onlyMessage().text.contains(broken));
    EXPECT_EQ(name(), "cb");
}

class ZigzagHandOff : public UiTest {
  protected:
    // Opens the window from the menu, combines a and b in strips of `strip`, and leaves the
    // window through `leave`.
    void combine(const char* strip, const std::function<void(ui::FrmJiguzagu&)>& leave) {
        whileModal<ui::FrmJiguzagu>(action("mnuJIGZAG"), [&](ui::FrmJiguzagu& zig) {
            dialogs.filesAnswers.push_back({a, b});
            click(&zig, "cmdLOADPIC");
            EXPECT_FALSE(child<QPushButton>(&zig, "cmdSEND")->isEnabled());
            child<QComboBox>(&zig, "cboHABA")->setEditText(QString::fromLatin1(strip));
            click(&zig, "cmdRUN");
            leave(zig);
        });
    }
    QString a;
    QString b;
};

TEST_F(ZigzagHandOff, OnlySendHandsDmyToTheMainWindow) {
    start();
    a = makePicture("a.bmp", 60, 40);
    b = makePicture("b.bmp", 60, 40);
    const QString dmy = QDir(pictureFolder).filePath("dmy.bmp");
    // OK and the close box hand nothing over.
    for (bool closeBox : {false, true}) {
        combine("10", [closeBox](ui::FrmJiguzagu& zig) {
            closeBox ? void(zig.close()) : click(&zig, "cmdCLOSE");
            EXPECT_EQ(zig.handOffFolder(), "");
        });
    }
    EXPECT_EQ(sharedState().currentFileName, "");
    EXPECT_TRUE(QFile::exists(dmy));

    combine("10", [](ui::FrmJiguzagu& zig) { click(&zig, "cmdSEND"); });
    EXPECT_EQ(sharedState().currentFileName, dmy);
    EXPECT_EQ(history(), QStringList{dmy});
    EXPECT_EQ(shown().size(), QSize(120, 40));
}

}  // namespace
}  // namespace kirimo::test
