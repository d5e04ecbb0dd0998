#pragma once
// A main window started in sandboxed folders with scripted dialogs, and helpers that
// find controls by name and make small pictures.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

#include "core/picture_file.h"
#include "core/shared_state.h"
#include "scripted_dialogs.h"
#include "support/test_support.h"
#include "ui/app_environment.h"
#include "ui/frm_main.h"
#include "ui/frm_source.h"
#include "ui/picture_surface.h"

namespace kirimo::test {

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
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
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

    // A BMP picture of the given size in `folder` (pictureFolder by default), every pixel
    // distinct so that moved pixels show.
    QString makePicture(const QString& name, int width, int height, QString folder = {}) {
        if (folder.isEmpty())
            folder = pictureFolder;
        QDir().mkpath(folder);
        PixelBuffer pixels = *PixelBuffer::create(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                pixels.at(x, y) = makePixel((x * 7) % 256, (y * 11) % 256, (x + y) % 256);
        }
        const QString path = QDir(folder).filePath(name);
        EXPECT_TRUE(savePictureBmp(path, pixels).ok()) << path.toStdString();
        return path;
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
