#pragma once
// A preview window: one converted picture, shown magnified 1 to 16 times (one screen
// pixel per picture pixel at first), the usage string of its conversion, and the dot
// editor reached through "色編集".

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "core/colour_table.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace kirimo {
class PixelBuffer;
}

namespace kirimo::ui {

class Dialogs;
class PictureSurface;

class FrmPreview : public QWidget {
    Q_OBJECT
  public:
    // mainOuterSize gives the main window's outer size, which bounds the fitted size.
    FrmPreview(Dialogs& dialogs, std::function<QSize()> mainOuterSize, QWidget* parent = nullptr);
    ~FrmPreview() override;

    // The full path of the picture file this preview was converted from.
    const QString& sourcePath() const { return sourcePath_; }
    void setSourcePath(const QString& path) { sourcePath_ = path; }

    QString usage() const;
    void setUsage(const QString& usage);

    // The colour table of the colour set the picture was converted in (nothing for the
    // standard set); the window names the set.
    const std::optional<ColourTable>& colourSetTable() const { return colourSetTable_; }
    void setColourSetTable(std::optional<ColourTable> table);

    // Shows the picture at 1:1 and lays the window out for it.
    void setPicture(const PixelBuffer& pixels);
    PictureSurface* surface() const { return surface_; }

    // The client size that shows the whole picture below the buttons.
    QSize wholePictureSize() const;

    // Sizes the window so that the picture shows whole, where the main window allows.
    void fitWindowToPicture();

    // The view's magnification, 1 to 16: Ctrl + wheel, Ctrl + "+" / "-" step through the
    // magnifications, Ctrl + 0 and a double-click go back to actual size. The point of the
    // picture at `anchor` (in the window's picture area; its centre when not given) stays
    // where it is.
    int magnification() const;
    void setMagnification(int magnification, std::optional<QPoint> anchor = std::nullopt);
    void zoomIn();
    void zoomOut();

    // The window became (or stopped being) the active child window.
    void setActive(bool active);

    // Opens the dot editor on a magnified copy and takes the result back when it is
    // applied.
    void editDots();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    QWidget* frameWindow();
    // One step up (direction > 0) or down (< 0) the magnifications.
    void stepMagnification(int direction, std::optional<QPoint> anchor);
    void arrange();

    Dialogs& dialogs_;
    std::function<QSize()> mainOuterSize_;
    std::optional<ColourTable> colourSetTable_;
    QLabel* colourSet_ = nullptr;
    QString sourcePath_;       // the tag
    QWidget* base_ = nullptr;  // picDODAI
    PictureSurface* surface_ = nullptr;
    QScrollBar* across_ = nullptr;  // scrYOKO
    QScrollBar* down_ = nullptr;    // scrTATE
    QComboBox* zoom_ = nullptr;     // cboBAI
    QLabel* info_ = nullptr;        // lblINFO
    QLabel* focus_ = nullptr;       // lblFOCUS
};

}  // namespace kirimo::ui
