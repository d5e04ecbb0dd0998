#pragma once
// The source window: the picture being prepared, shown at one screen pixel per picture
// pixel, with its scroll bars, the resize panel, and one hidden button per picture
// operation that the main window's edit menu presses.

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "imaging/filters.h"
#include "imaging/pixel_buffer.h"

class QCheckBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace kirimo::ui {

class Dialogs;
class EyedropperTarget;
class PictureHistory;
class PictureSurface;

class FrmSource : public QWidget {
    Q_OBJECT
  public:
    // mainOuterSize gives the main window's outer size, which bounds the fitted size.
    FrmSource(Dialogs& dialogs, std::function<QSize()> mainOuterSize, QWidget* parent = nullptr);
    ~FrmSource() override;

    // Loads the file into the window and makes it the current picture: its folder becomes
    // current, the window takes the picture's size and caption. An empty path only
    // resets the caption and forgets the current file. A missing or unreadable file
    // shows a message naming it and changes nothing; false then.
    bool setSourceWindow(const QString& path);

    // Sizes the window so that the picture shows whole, where the main window allows.
    void fitWindowToPicture();
    void arrangeScrollBars();
    void rebuildCaption();

    // Shows the resize panel filled with the picture's size (only with a picture).
    void openResizePanel();

    bool hasPicture() const;
    PictureSurface* surface() const { return surface_; }

    // The undo history of the picture's operations (resize, turns, flips, filters and the
    // return to the file's picture); opening another picture starts a new one.
    PictureHistory& history() const { return *history_; }
    void setEyedropperTarget(EyedropperTarget* target) { eyedropper_ = target; }

  signals:
    // Local files dropped on the picture or its base, in the order given.
    void filesDropped(const QStringList& paths);
    // The current picture file's name changed (loaded, saved under a new name, cleared).
    void currentFileChanged();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* frameWindow();
    PictureHistory* history_ = nullptr;
    void addOperation(const char* name, std::function<void()> operation);
    // Runs an operation on the picture and records it as one step of the history.
    void runRecorded(const QString& name, const std::function<void()>& operation);
    void showFromHistory(const QImage& picture);
    void onWidthEdited();
    void onHeightEdited();
    void applyNewSize();
    void runWeightedFilter(WeightedFilter filter);
    void runMedianFilter();
    void runInversion();
    void runFlip(PixelBuffer (*flip)(const PixelBuffer&, int));
    void runRotation(PixelBuffer (*rotate)(const PixelBuffer&, int));
    void restore();
    void showPicture(const PixelBuffer& pixels);
    void recordPictureSize();
    void onSurfacePressed(QPoint position);
    void onSurfaceMoved(QPoint position);

    Dialogs& dialogs_;
    std::function<QSize()> mainOuterSize_;
    EyedropperTarget* eyedropper_ = nullptr;
    QWidget* base_ = nullptr;  // picDODAI
    PictureSurface* surface_ = nullptr;
    QScrollBar* across_ = nullptr;  // scrYOKO
    QScrollBar* down_ = nullptr;    // scrTATE
    QFrame* sizePanel_ = nullptr;   // picSIZE
    QLineEdit* widthBox_ = nullptr;
    QLineEdit* heightBox_ = nullptr;
    QCheckBox* link_ = nullptr;
};

}  // namespace kirimo::ui
