// The colour information window: the divisor lists, the sheet map with its outlines and
// corner labels, the magnified sheet under the mouse, the picture name over two labels,
// and saving the three reports.

#include <QFontMetricsF>

#include "core/colour_table.h"
#include "ui/frm_print.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

const QString kSettingsLine = QStringLiteral("RGB[100]7)0)0)3)5)1)0)0)0)0)0)0)R100%G100%B100%");

QImage region(const QImage& image, int x, int y, int width, int height) {
    return image.copy(x, y, width, height).convertToFormat(QImage::Format_RGB32);
}

// Positions of the red lines of the map across (vertical lines) or down.
std::vector<int> redLines(const QImage& map, bool vertical) {
    std::vector<int> lines;
    const int count = vertical ? map.width() : map.height();
    const int length = vertical ? map.height() : map.width();
    for (int i = 0; i < count; ++i) {
        int red = 0;
        for (int j = 0; j < length; ++j)
            red += (vertical ? map.pixel(i, j) : map.pixel(j, i)) == qRgb(255, 0, 0) ? 1 : 0;
        if (red * 2 > length)
            lines.push_back(i);
    }
    return lines;
}

class ColourInfoTest : public ConversionTest {
  protected:
    void SetUp() override {
        ConversionTest::SetUp();
        sharedState().colourTable.init(settingsFolder);
    }
    void TearDown() override {
        info.reset();
        ConversionTest::TearDown();
    }
    // The window on a converted picture in table colours, as the main window opens it.
    ui::FrmPrint& open(int width, int height, QString caption = QStringLiteral("[RGB]cat.jpg")) {
        sharedState().workPixels =
            tableColours(width, height, [](int x, int y) { return (x / 3 + y) % kColourCount; });
        source = toImage(randomPicture(width, height, 5));
        info =
            std::make_unique<ui::FrmPrint>(dialogs, environment.secondsSinceMidnight,
                                           ui::ColourInfoSources{source, caption, kSettingsLine});
        info->show();
        QApplication::processEvents();
        return *info;
    }

    template <typename T>
    T* get(const QString& name) const {
        return child<T>(info.get(), name);
    }
    QString text(const char* label) const {
        return get<QLabel>(QString::fromLatin1(label))->text();
    }
    // The sheet counts as the labels show them: across, down and the total.
    QString counts() const { return text("lblYOKO") + text("lblTATE") + text("lblTOTAL"); }
    QComboBox* across() const { return get<QComboBox>("cboYOKO"); }
    QComboBox* down() const { return get<QComboBox>("cboTATE"); }
    ui::SheetMap* map() const { return get<ui::SheetMap>("picGAZOU(0)"); }
    ui::SheetView* view() const { return get<ui::SheetView>("imgGAZOU"); }
    void setSheet(const QString& width, const QString& height) {
        across()->setEditText(width);
        down()->setEditText(height);
    }
    // Moves the mouse over the map to the pixel of dot (x, y).
    void hover(int x, int y) {
        const int width = sharedState().workPixels.width();
        const int height = sharedState().workPixels.height();
        sendMouse(map(), QEvent::MouseMove,
                  QPoint((2 * x + 1) * map()->width() / (2 * width),
                         (2 * y + 1) * map()->height() / (2 * height)),
                  Qt::NoButton);
    }
    void save() { get<QPushButton>("cmdSAVE")->click(); }

    QImage source;
    std::unique_ptr<ui::FrmPrint> info;
};

// The divisors and the sheet counts are the engine's; here, that the window lists them,
// divides its map by them and ignores what is no sheet size.
TEST_F(ColourInfoTest, OpensAsOneSheetWithTheDivisorsOfEachSideAndSheetSizesDivideTheMap) {
    const auto lines = [this] {
        return std::pair(redLines(map()->image(), true), redLines(map()->image(), false));
    };
    open(120, 80);
    EXPECT_EQ(text("lblSIZE"), QStringLiteral("120×80"));
    EXPECT_EQ(info->sheetWidthText() + "x" + info->sheetHeightText(), "120x80");
    EXPECT_EQ(itemTexts(across()).join(u' '),
              QStringLiteral("2 3 4 5 6 8 10 12 15 20 24 30 40 60 120"));
    EXPECT_EQ(itemTexts(down()).join(u' '), QStringLiteral("2 4 5 8 10 16 20 40 80"));
    EXPECT_EQ(counts(), QStringLiteral("（1枚）（1枚）総計：1枚"));
    EXPECT_EQ(map()->labels(), QStringList{QStringLiteral("(1,1)")});
    // One outline round the map, 3500 twips on the longer side.
    EXPECT_EQ(map()->size(), QSize(233, 156));
    EXPECT_EQ(lines(), std::pair(std::vector<int>{0, 232}, std::vector<int>{0, 155}));
    EXPECT_TRUE(get<QRadioButton>("optSAVE(0)")->isChecked());
    EXPECT_TRUE(get<QPushButton>("cmdA4")->isEnabled());
    EXPECT_TRUE(get<QLabel>("Label7")->isHidden());
    open(7, 12);
    EXPECT_EQ(map()->size(), QSize(136, 233));
    // Sheet sizes divide the map.
    open(100, 70);
    const struct {
        const char *across, *down, *counts;
        QStringList labels;
        size_t verticalLines, horizontalLines;
    } cases[] = {
        {"30", "30", "（4枚）（3枚）総計：12枚", {"(1,1)", "(4,3)"}, 5, 4},
        {"500", "30", "（1枚）（3枚）総計：3枚", {"(1,1)", "(1,3)"}, 2, 4},
        {" 50 ", "100", "（2枚）（1枚）総計：2枚", {"(1,1)", "(2,1)"}, 3, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.across) + " x " + c.down);
        setSheet(QString::fromUtf8(c.across), QString::fromUtf8(c.down));
        EXPECT_EQ(counts(), QString::fromUtf8(c.counts));
        EXPECT_EQ(map()->labels(), c.labels);
        EXPECT_EQ(lines().first.size(), c.verticalLines);
        EXPECT_EQ(lines().second.size(), c.horizontalLines);
    }
    // Text that is not a whole number of at least 1 changes nothing.
    setSheet("30", "30");
    hover(45, 10);
    const QImage mapBefore = map()->image();
    const QImage viewBefore = view()->image();
    const QSize viewSize = view()->size();
    for (const char* bad : {"abc", "0"}) {
        for (QComboBox* box : {across(), down()}) {
            SCOPED_TRACE(bad + box->objectName().toStdString());
            box->setEditText(QString::fromUtf8(bad));
            EXPECT_EQ(counts(), QStringLiteral("（4枚）（3枚）総計：12枚"));
            EXPECT_EQ(map()->image(), mapBefore);
            EXPECT_EQ(map()->labels(), (QStringList{"(1,1)", "(4,3)"}));
            hover(5, 5);
            EXPECT_EQ(text("lblPOS"), QStringLiteral("(2,1)"));
            EXPECT_EQ(view()->image(), viewBefore);
            EXPECT_EQ(view()->size(), viewSize);
            box->setEditText(QStringLiteral("30"));
            hover(45, 10);
        }
    }
}

TEST_F(ColourInfoTest, TheMouseShowsItsSheetMagnifiedAndAClickSwitchesPictures) {
    open(100, 70);
    setSheet("30", "30");
    EXPECT_EQ(view()->size(), QSize(233, 233));
    EXPECT_TRUE(view()->image().isNull());
    auto* hint = get<QLabel>("Label7");

    hover(45, 10);
    EXPECT_FALSE(hint->isHidden());
    EXPECT_EQ(text("lblPOS"), QStringLiteral("(2,1)"));
    EXPECT_EQ(view()->image(), region(source, 30, 0, 30, 30));
    // A click switches to the converted picture, shown from the next movement on.
    sendMouse(map(), QEvent::MouseButtonPress, QPoint(100, 10), Qt::LeftButton);
    EXPECT_EQ(view()->image(), region(source, 30, 0, 30, 30));
    hover(45, 10);
    const QImage converted = toImage(sharedState().workPixels);
    EXPECT_EQ(view()->image(), region(converted, 30, 0, 30, 30));
    // The last sheet is partial: only its dots inside the picture.
    hover(99, 69);
    EXPECT_EQ(text("lblPOS"), QStringLiteral("(4,3)"));
    EXPECT_EQ(view()->image(), region(converted, 90, 60, 10, 10));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(map(), &leave);
    EXPECT_TRUE(hint->isHidden());
    // A new sheet size takes its proportions and starts empty.
    setSheet("60", "30");
    EXPECT_EQ(view()->size(), QSize(233, 117));
    EXPECT_TRUE(view()->image().isNull());
}

TEST_F(ColourInfoTest, ALongPictureNameGoesOverTwoLabels) {
    const QString stem =
        QStringLiteral("[RGB]100%(7)0)0)3)5)1)とても長い名前の写真ファイル_2026年12月6日_夕方の猫");
    open(20, 20, stem + QStringLiteral(".x.jpg"));
    const QString first = text("lblFILENAME(0)");
    const QString second = text("lblFILENAME(1)");
    EXPECT_EQ(first + second, stem);
    ASSERT_FALSE(second.isEmpty());
    // The first label holds the shortest start that reaches the measure, and one more.
    auto* measure = get<QLabel>("picTEXT");
    const QFontMetricsF metrics(measure->font());
    EXPECT_GE(metrics.horizontalAdvance(first.chopped(1)), measure->width());
    EXPECT_LT(metrics.horizontalAdvance(first.chopped(2)), measure->width());

    open(20, 20, QStringLiteral("[RGB]cat.face.jpg"));
    EXPECT_EQ(text("lblFILENAME(0)"), QStringLiteral("[RGB]cat"));
    EXPECT_EQ(text("lblFILENAME(1)"), QString());
}

// ---- Saving

class ColourInfoSaveTest : public ColourInfoTest {
  protected:
    void SetUp() override {
        ColourInfoTest::SetUp();
        folder = QDir(pictureFolder).filePath(QStringLiteral("絵")) + QDir::separator();
        QDir().mkpath(folder);
        sharedState().currentFileName = folder + "cat.face.jpg";
        open(100, 70);
        setSheet("30", "30");
    }
    int fileCount() const { return static_cast<int>(QDir(folder).entryList(QDir::Files).size()); }
    void expectRefused(const char* what) {
        SCOPED_TRACE(what);
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("保存できません。")))
            << lastMessage().toStdString();
        EXPECT_EQ(dialogs.messages.back().icon, ui::MessageIcon::Exclamation);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        dialogs.messages.clear();
    }

    QString folder;
};

TEST_F(ColourInfoSaveTest, OverwriteQuestionCancelNoAndYes) {
    save();
    EXPECT_EQ(onlyMessage(),
              (ShownMessage{"Kirimo", savedText(folder, "cat"), ui::MessageIcon::None}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    const QByteArray report = readBytes(folder + "cat.txt");
    EXPECT_TRUE(report.startsWith(kSettingsLine.toUtf8() + "\r\n"));
    // Cancel: nothing is written.
    ASSERT_TRUE(writeBytes(folder + "cat.txt", "old"));
    dialogs.messages.clear();
    dialogs.answers = {ui::MessageAnswer::Cancel};
    save();
    EXPECT_EQ(onlyMessage(), overwriteQuestion("cat"));
    EXPECT_EQ(readBytes(folder + "cat.txt"), "old");
    EXPECT_EQ(fileCount(), 3);
    // No: the seconds since midnight follow the base.
    dialogs.answers = {ui::MessageAnswer::No};
    save();
    EXPECT_EQ(readBytes(folder + "cat.txt"), "old");
    for (const char* extension : {".txt", ".csv", ".bmp"})
        EXPECT_TRUE(QFileInfo::exists(folder + "cat36000" + extension)) << extension;
    EXPECT_EQ(readBytes(folder + "cat36000.txt"), report);
    EXPECT_TRUE(lastMessage().endsWith(QStringLiteral("（ﾌｧｲﾙ名：cat36000）")));
    // Yes: the earlier files are replaced.
    dialogs.answers = {ui::MessageAnswer::Yes};
    save();
    EXPECT_EQ(readBytes(folder + "cat.txt"), report);
    EXPECT_EQ(fileCount(), 6);
    // Saving leaves the window open; "閉じる" closes it and writes nothing.
    EXPECT_TRUE(info->isVisible());
    get<QPushButton>("cmdPRTEND")->click();
    EXPECT_FALSE(info->isVisible());
    EXPECT_EQ(fileCount(), 6);
}

TEST_F(ColourInfoSaveTest, AChosenNameAndEveryFailure) {
    get<QRadioButton>("optSAVE(1)")->click();
    dialogs.fileAnswers = {folder + "named.report.txt"};
    save();
    ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
    EXPECT_TRUE(dialogs.fileDialogs[0].save);
    EXPECT_EQ(dialogs.fileDialogs[0].start, folder + "cat");
    EXPECT_EQ(dialogs.fileDialogs[0].filter, QStringLiteral("情報ﾌｧｲﾙ (*.txt)"));
    EXPECT_TRUE(lastMessage().endsWith(QStringLiteral("（ﾌｧｲﾙ名：named）")));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).join(u' '),
              QStringLiteral("named.bmp named.csv named.txt"));

    save();  // the dialog cancelled
    expectRefused("cancelled dialog");
    EXPECT_EQ(fileCount(), 3);

    get<QRadioButton>("optSAVE(0)")->click();
    sharedState().currentFileName = folder + "missing/cat.jpg";
    save();
    expectRefused("missing folder");
    // A sheet size that is not a whole number: nothing is asked or written.
    sharedState().currentFileName = folder + "dog.jpg";
    setSheet("abc", "30");
    save();
    expectRefused("bad sheet size");
    EXPECT_EQ(dialogs.fileDialogs.size(), 2u);
    EXPECT_FALSE(QFileInfo::exists(folder + "dog.txt"));
    // The CSV cannot be written: the chart stays, the picture is not written.
    setSheet("30", "30");
    QDir().mkpath(folder + "dog.csv");
    dialogs.answers = {ui::MessageAnswer::Yes};
    save();
    expectRefused("unwritable CSV");
    EXPECT_TRUE(QFileInfo(folder + "dog.txt").isFile());
    EXPECT_FALSE(QFileInfo::exists(folder + "dog.bmp"));
}

}  // namespace
}  // namespace kirimo::test
