#pragma once
// The dot editor: a magnified copy of a preview's picture in which every dot is a solid
// block; dragging with a mouse button held paints whole blocks in the chosen table
// colour. "反映させる" sets EditApplied; "ｷｬﾝｾﾙ" and the close box leave it false.

#include <QDialog>
#include <QUndoStack>
#include <array>
#include <map>
#include <utility>

#include "imaging/palette.h"
#include "imaging/pixel_buffer.h"

class QLabel;
class QRadioButton;
class QScrollBar;

namespace kirimo::ui {

class PictureSurface;

class FrmEdit : public QDialog {
    Q_OBJECT
  public:
    // magnified is the picture already enlarged zoom times.
    FrmEdit(PixelBuffer magnified, int zoom, QWidget* parent = nullptr);
    ~FrmEdit() override;

    // The magnified picture as painted so far.
    const PixelBuffer& picture() const { return picture_; }

    // Each stroke, from pressing a button to letting it go, is one step.
    QUndoStack& strokes() { return strokes_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void reject() override;

  private:
    void onPressed();
    void onMoved(QPoint position);
    void onReleased();
    // Paints each block (its top-left dot) in a colour and shows it.
    void paintBlocks(const std::map<std::pair<int, int>, Pixel>& blocks);

    PixelBuffer picture_;
    int zoom_;
    Pixel paintColour_ = 0;
    bool painting_ = false;
    // The stroke being painted: each block it touched with the colour it had before.
    std::map<std::pair<int, int>, Pixel> strokeBefore_;
    QUndoStack strokes_;
    QWidget* base_ = nullptr;  // picDODAI
    PictureSurface* surface_ = nullptr;
    QScrollBar* across_ = nullptr;  // scrYOKO
    QScrollBar* down_ = nullptr;    // scrTATE
    std::array<QRadioButton*, kColourCount> colours_{};
    QLabel* nowColour_ = nullptr;  // lblNOWCOL
};

}  // namespace kirimo::ui
