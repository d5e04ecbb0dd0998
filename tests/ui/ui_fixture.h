#pragma once
// A main window started in sandboxed folders with scripted dialogs, and helpers that
// find controls by name, read lists, make small pictures and drive modal windows.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
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

    QString historyFile() const { return QDir(settingsFolder).filePath("history.ini"); }

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
