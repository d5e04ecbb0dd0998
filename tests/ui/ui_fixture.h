#pragma once
// A main window started in sandboxed folders, with stand-ins for its dialogs, and helpers
// that find controls by name, read lists, make small pictures and drive modal windows.
// The message and file dialogs record what was shown and answer with what the test
// queued: an unqueued question is answered with its last button (Cancel, or No), an
// unqueued file or font dialog is cancelled. A chosen printer prints into a PDF file of
// the test's choosing, and the preview paints into others.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <ostream>

#include "core/picture_file.h"
#include "core/shared_state.h"
#include "core/text_file.h"
#include "support/cli_runner.h"
#include "support/test_support.h"
#include "ui/app_environment.h"
#include "ui/dialogs.h"
#include "ui/frm_convset.h"
#include "ui/frm_last.h"
#include "ui/frm_main.h"
#include "ui/frm_preview.h"
#include "ui/frm_source.h"
#include "ui/picture_surface.h"
#include "ui/print_dialogs.h"

namespace kirimo::test {

struct ShownMessage {
    QString title;
    QString text;
    ui::MessageIcon icon = ui::MessageIcon::None;
    ui::MessageButtons buttons = ui::MessageButtons::Ok;
    bool operator==(const ShownMessage&) const = default;
};
inline void PrintTo(const ShownMessage& m, std::ostream* out) {
    *out << '{' << m.title.toStdString() << ", " << m.text.toStdString() << ", icon "
         << static_cast<int>(m.icon) << ", buttons " << static_cast<int>(m.buttons) << '}';
}
struct ShownFileDialog {
    bool save;
    QString title;
    QString start;  // starting folder, or the proposed path of a save dialog
    QString filter;
};

template <typename T>
std::optional<T> takeFirst(std::deque<T>& queue) {
    if (queue.empty())
        return std::nullopt;
    T first = queue.front();
    queue.pop_front();
    return first;
}

class ScriptedDialogs : public ui::Dialogs {
  public:
    std::vector<ShownMessage> messages;
    std::vector<ShownFileDialog> fileDialogs;
    std::deque<ui::MessageAnswer> answers;
    std::deque<QString> fileAnswers;
    std::deque<QStringList> filesAnswers;  // of multiple-selection open dialogs
    std::deque<QFont> fontAnswers;
    int fontDialogs = 0;

    ui::MessageAnswer message(QWidget*, const QString& title, const QString& text,
                              ui::MessageIcon icon, ui::MessageButtons buttons) override {
        messages.push_back({title, text, icon, buttons});
        if (const auto answer = takeFirst(answers))
            return *answer;
        if (buttons == ui::MessageButtons::Ok)
            return ui::MessageAnswer::Ok;
        return buttons == ui::MessageButtons::YesNo ? ui::MessageAnswer::No
                                                    : ui::MessageAnswer::Cancel;
    }
    QString openFile(QWidget*, const QString& title, const QString& folder,
                     const QString& filter) override {
        fileDialogs.push_back({false, title, folder, filter});
        return takeFirst(fileAnswers).value_or(QString());
    }
    QStringList openFiles(QWidget*, const QString& title, const QString& folder,
                          const QString& filter) override {
        fileDialogs.push_back({false, title, folder, filter});
        return takeFirst(filesAnswers).value_or(QStringList());
    }
    std::optional<QFont> chooseFont(QWidget*, const QString&, const QFont&) override {
        ++fontDialogs;
        return takeFirst(fontAnswers);
    }
    QString saveFile(QWidget*, const QString& title, const QString& proposed,
                     const QString& filter) override {
        fileDialogs.push_back({true, title, proposed, filter});
        return takeFirst(fileAnswers).value_or(QString());
    }
};

class ScriptedPrintDialogs : public ui::PrintDialogs {
  public:
    // The PDF files the next printer dialogs choose, in order; an unqueued one is cancelled.
    std::deque<QString> printerFiles;
    // The PDF files the next previews paint into; each preview paints every file queued
    // when it opens, one after another, as repaints of one preview would.
    std::deque<QString> previewFiles;
    int printerDialogs = 0;
    int previews = 0;
    // The page set up when the dialog opened, the folder current then, and what a test
    // wants to see of the printer.
    QPageLayout lastLayout;
    QString currentFolder;
    std::function<void(QPrinter&)> onChoose;

    bool choosePrinter(QWidget*, QPrinter& printer) override {
        ++printerDialogs;
        lastLayout = printer.pageLayout();
        currentFolder = QDir::currentPath();
        if (onChoose)
            onChoose(printer);
        const auto file = takeFirst(printerFiles);
        if (file) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(*file);
        }
        return file.has_value();
    }
    void showPreview(QWidget*, QPrinter& printer,
                     const std::function<void(QPrinter&)>& paint) override {
        ++previews;
        lastLayout = printer.pageLayout();
        while (const auto file = takeFirst(previewFiles)) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(*file);
            paint(printer);
        }
    }
};

// The child of `owner` of type T named `name`; a failure when there is none.
template <typename T>
T* child(const QObject* owner, const QString& name) {
    T* found = owner->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}
inline void click(const QObject* owner, const QString& button) {
    child<QAbstractButton>(owner, button)->click();
}
template <typename List>
QStringList itemTexts(const List* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        if constexpr (std::is_same_v<List, QComboBox>)
            texts.append(list->itemText(i));
        else
            texts.append(list->item(i)->text());
    }
    return texts;
}
// Chooses item `index` of the box as a user would.
inline void pick(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}
inline PixelBuffer pixelsOf(const QImage& image) {
    PixelBuffer pixels;
    readPixels(image, pixels);
    return pixels;
}
inline PixelBuffer picture(const ui::PictureSurface* surface) {
    PixelBuffer pixels;
    surface->readPixels(pixels);
    return pixels;
}
inline QMdiSubWindow* frameOf(QWidget* widget) {
    return qobject_cast<QMdiSubWindow*>(widget->parentWidget());
}

// Sends a mouse event as the platform would: a press or release of `button`, or a move
// with `held` held.
inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint position, Qt::MouseButtons held,
                      Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent event(type, QPointF(position), QPointF(widget->mapToGlobal(position)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}
inline void doubleClick(QWidget* widget) {
    sendMouse(widget, QEvent::MouseButtonDblClick, QPoint(1, 1), Qt::LeftButton);
}

// Triggers the action or clicks the button `opener`, which shows a modal window of type T
// until it is closed, and runs `work` on that window while it is shown; closes it if `work`
// left it open. The window must have been shown and be gone afterwards.
template <typename T>
void whileModal(QObject* opener, const std::function<void(T&)>& work) {
    bool ran = false;
    QPointer<T> shown;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        shown = qobject_cast<T*>(modal);
        if (shown.isNull()) {
            ADD_FAILURE() << "no modal " << T::staticMetaObject.className();
            if (modal != nullptr)
                modal->close();
            return;
        }
        ran = true;
        work(*shown);
        if (shown && shown->isVisible())
            shown->close();
    });
    if (auto* action = qobject_cast<QAction*>(opener))
        action->trigger();
    else
        qobject_cast<QAbstractButton*>(opener)->click();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(shown.isNull()) << "still there after closing";
}

// The question asked before a save would replace files of the same base name.
inline ShownMessage overwriteQuestion(const QString& base) {
    return {QStringLiteral("上書き確認"),
            QStringLiteral("同名ファイルがあります。（%1）。上書きしますか。\n"
                           "「いいえ」なら自動的にﾌｧｲﾙ名を決めます。")
                .arg(base),
            ui::MessageIcon::Exclamation, ui::MessageButtons::YesNoCancel};
}
// The text that tells where files were saved; `folder` ends in a separator.
inline QString savedText(const QString& folder, const QString& name) {
    return QStringLiteral("保存しました。\n(ﾌｫﾙﾀﾞ：%1)\n（ﾌｧｲﾙ名：%2）").arg(folder, name);
}
// The source window's caption for a picture.
inline QString caption(const QString& name, int width, int height) {
    return QStringLiteral("元画像[%1]（%2×%3）  ").arg(name).arg(width).arg(height);
}

// Drags the files over the widget and drops them there, as the platform delivers it.
inline void dropFiles(QWidget* target, const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

class UiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        sharedState() = SharedState{};
        forgetRefusedSettingsFiles();
        startFolder_ = QDir::currentPath();
        settingsFolder = root_.filePath(QStringLiteral("settings"));
        pictureFolder = root_.filePath(QStringLiteral("pictures"));
        QDir().mkpath(pictureFolder);
        environment.settingsFolder = settingsFolder;
        environment.dialogs = &dialogs;
        environment.manualPath = root_.filePath(QStringLiteral("manual/index.html"));
        environment.openDocument = [this](const QUrl& url) {
            openedDocuments.push_back(url);
            return documentsOpen;
        };
        environment.secondsSinceMidnight = [] { return 36000; };
    }
    void TearDown() override {
        window.reset();
        QDir::setCurrent(startFolder_);
        sharedState() = SharedState{};
    }

    ui::FrmMain& start() {
        window = std::make_unique<ui::FrmMain>(environment);
        window->show();
        QApplication::processEvents();
        return *window;
    }
    // Answers the exit question with Yes and closes the main window.
    void exitProgram() {
        dialogs.answers.push_back(ui::MessageAnswer::Yes);
        window->close();
    }
    template <typename T>
    T* find(const QString& name) const {
        return child<T>(window.get(), name);
    }
    QAction* action(const QString& name) const { return find<QAction>(name); }
    void trigger(const QString& name) const { action(name)->trigger(); }
    ui::FrmSource* source() const { return window->sourceWindow(); }
    QMdiSubWindow* sourceFrame() const { return frameOf(source()); }
    const QImage& shown() const { return source()->surface()->image(); }
    QStringList history() const { return window->historyWindow()->entries(); }
    QSize pictureSize() const { return {sharedState().pictureWidth, sharedState().pictureHeight}; }
    // The text of the last message shown, or nothing.
    QString lastMessage() const {
        return dialogs.messages.empty() ? QString() : dialogs.messages.back().text;
    }
    // The last message shown, which must be the only one.
    ShownMessage onlyMessage() const {
        EXPECT_EQ(dialogs.messages.size(), 1u);
        return dialogs.messages.empty() ? ShownMessage{} : dialogs.messages.back();
    }
    // Opens path through the open command, as if chosen in its dialog.
    void openThroughDialog(const QString& path) {
        dialogs.fileAnswers.push_back(path);
        trigger(QStringLiteral("mnuLOAD"));
    }

    // A BMP picture in `folder` (pictureFolder by default) whose pixels come from `pixelAt`.
    template <typename F>
    QString makePictureOf(const QString& name, int width, int height, F pixelAt,
                          QString folder = {}) {
        if (folder.isEmpty())
            folder = pictureFolder;
        QDir().mkpath(folder);
        PixelBuffer pixels = *PixelBuffer::create(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                pixels.at(x, y) = pixelAt(x, y);
        }
        const QString path = QDir(folder).filePath(name);
        EXPECT_TRUE(savePictureBmp(path, pixels).ok()) << path.toStdString();
        return path;
    }
    // Every pixel distinct so that moved pixels show.
    QString makePicture(const QString& name, int width, int height, QString folder = {}) {
        return makePictureOf(
            name, width, height,
            [](int x, int y) { return makePixel((x * 7) % 256, (y * 11) % 256, (x + y) % 256); },
            folder);
    }
    // A file in pictureFolder holding `bytes`: no picture at all.
    QString makeBroken(const QString& name, const QByteArray& bytes = "BM?") {
        const QString path = QDir(pictureFolder).filePath(name);
        EXPECT_TRUE(writeBytes(path, bytes));
        return path;
    }
    QString settingsFile(const QString& name) const {
        QDir().mkpath(settingsFolder);
        return QDir(settingsFolder).filePath(name);
    }
    QString historyFile() const { return settingsFile("history.ini"); }

    // The conversion settings window and its controls.
    ui::FrmConvset* conv() const { return window->conversionWindow(); }
    QMdiSubWindow* convFrame() const { return frameOf(conv()); }
    template <typename T>
    T* c(const QString& name) const {
        return child<T>(conv(), name);
    }
    QCheckBox* use(int k) const { return c<QCheckBox>(QStringLiteral("chkUSECOL(%1)").arg(k)); }
    QLabel* mark(int k) const { return c<QLabel>(QStringLiteral("lblPER(%1)").arg(k)); }
    QLineEdit* weight(int k) const { return c<QLineEdit>(QStringLiteral("txtBUN(%1)").arg(k)); }
    QRadioButton* mode(int i) const {
        return c<QRadioButton>(QStringLiteral("optMODE(%1)").arg(i));
    }
    QScrollBar* rate() const { return c<QScrollBar>(QStringLiteral("scrBUNSAN")); }
    QComboBox* presets() const { return c<QComboBox>(QStringLiteral("cboMODESET")); }
    void chooseSet(const QString& name) {
        auto* sets = c<QComboBox>("cboCOLSET");
        ASSERT_GE(sets->findText(name), 0) << name.toStdString();
        pick(sets, sets->findText(name));
    }
    std::vector<int> ticked() const {
        std::vector<int> numbers;
        for (int k = 0; k < kColourCount; ++k) {
            if (use(k)->isChecked())
                numbers.push_back(k);
        }
        return numbers;
    }
    QString weightTexts() const {
        QStringList texts;
        for (int k = 1; k <= kWeightCount; ++k)
            texts.append(weight(k)->text());
        return texts.join(u',');
    }
    // The user colour's editor: its bars, then the hexadecimal labels beside them.
    QString editorShown() const {
        QStringList parts;
        for (const char* bar : {"scrR", "scrG", "scrB"})
            parts << QString::number(c<QScrollBar>(bar)->value());
        for (const char* label : {"lblR", "lblG", "lblB"})
            parts << c<QLabel>(label)->text();
        return parts.join(u',');
    }
    // The preview window that `act` opened, or nullptr.
    ui::FrmPreview* newPreview(const std::function<void()>& act) {
        const QList<ui::FrmPreview*> before = window->findChildren<ui::FrmPreview*>();
        act();
        QApplication::processEvents();
        for (ui::FrmPreview* preview : window->findChildren<ui::FrmPreview*>()) {
            if (!before.contains(preview))
                return preview;
        }
        return nullptr;
    }
    // Presses "色変換" and returns the preview window it opened, or nullptr.
    ui::FrmPreview* convert() {
        return newPreview([this] { c<QPushButton>(QStringLiteral("cmdCOLOR2"))->click(); });
    }
    QStringList dorvelLines() const {
        return QString::fromUtf8(readBytes(settingsFile("Dorvel.ini")))
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    QTemporaryDir root_;
    QString startFolder_;
    QString settingsFolder;
    QString pictureFolder;
    ScriptedDialogs dialogs;
    ScriptedPrintDialogs printDialogs;  // used when a test sets environment.printDialogs
    ui::AppEnvironment environment;
    std::vector<QUrl> openedDocuments;
    bool documentsOpen = true;
    std::unique_ptr<ui::FrmMain> window;
};
using ConversionTest = UiTest;

}  // namespace kirimo::test
