#pragma once
// A main window started in sandboxed folders with scripted dialogs, and helpers that
// find controls by name, read lists, make small pictures and drive modal windows.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

#include "core/picture_file.h"
#include "core/shared_state.h"
#include "core/text_file.h"
#include "scripted_dialogs.h"
#include "support/test_support.h"
#include "ui/app_environment.h"
#include "ui/frm_last.h"
#include "ui/frm_main.h"
#include "ui/frm_source.h"
#include "ui/picture_surface.h"

namespace kirimo::test {

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

inline QStringList itemTexts(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}
inline QStringList itemTexts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
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
    else if (auto* button = qobject_cast<QAbstractButton*>(opener))
        button->click();
    else
        ADD_FAILURE() << "neither an action nor a button";
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

// A runtime folder only its owner may enter, as the platform makes it.
inline QString makeRuntimeFolder(const QString& path) {
    QDir().mkpath(path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// Starts the program as another copy with its own runtime, settings and home folders, in
// `folder` with `arguments`, and waits for it to end.
inline bool runOtherCopy(QProcess& copy, const QString& runtime, const QString& home,
                         const QString& folder, const QStringList& arguments = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("XDG_CONFIG_HOME", QDir(home).filePath("config"));
    env.insert("HOME", home);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    copy.setProcessEnvironment(env);
    copy.setWorkingDirectory(folder);
    copy.start(QStringLiteral(KIRIMO_APP_PATH), arguments);
    return copy.waitForFinished(60000);
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
    QMdiSubWindow* sourceFrame() const {
        return qobject_cast<QMdiSubWindow*>(source()->parentWidget());
    }
    const QImage& shown() const { return source()->surface()->image(); }
    QStringList history() const { return window->historyWindow()->entries(); }
    // The text of the last message shown, or nothing.
    QString lastMessage() const {
        return dialogs.messages.empty() ? QString() : dialogs.messages.back().text;
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

    QTemporaryDir root_;
    QString startFolder_;
    QString settingsFolder;
    QString pictureFolder;
    ScriptedDialogs dialogs;
    ui::AppEnvironment environment;
    std::vector<QUrl> openedDocuments;
    bool documentsOpen = true;
    std::unique_ptr<ui::FrmMain> window;
};

}  // namespace kirimo::test
