#include "ui/frm_edit.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QUndoCommand>
#include <functional>

#include "core/colour_table.h"
#include "core/shared_state.h"
#include "imaging/magnify.h"
#include "ui/picture_surface.h"
#include "ui/widget_names.h"
#include "ui/window_layout.h"

namespace kirimo::ui {

namespace {

constexpr int kBaseTop = 56;

QColor colourOfPixel(Pixel pixel) {
    return QColor(pixelRed(pixel), pixelGreen(pixel), pixelBlue(pixel));
}

void setBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Button, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

}  // namespace

FrmEdit::FrmEdit(PixelBuffer magnified, int zoom, QWidget* parent)
    : QDialog(parent), picture_(std::move(magnified)), zoom_(zoom) {
    setObjectName(QStringLiteral("frmEDIT"));
    setWindowTitle(QStringLiteral("編集画面"));
    setModal(true);

    for (int k = 0; k < kColourCount; ++k) {
        auto* option = new QRadioButton(this);
        option->setObjectName(QStringLiteral("optCOL(%1)").arg(k));
        option->setToolTip(colourName(k));
        option->setGeometry(4 + (k % 9) * 26, 4 + (k / 9) * 24, 24, 22);
        connect(option, &QRadioButton::clicked, this, [this, k] {
            paintColour_ = colourValueToPixel(sharedState().pictureTable()[k].packed);
        });
        colours_[k] = option;
    }
    nowColour_ = named(new QLabel(this), "lblNOWCOL");
    nowColour_->setFrameShape(QFrame::Box);
    nowColour_->setAutoFillBackground(true);
    nowColour_->setGeometry(244, 6, 40, 40);
    auto* apply = named(new QPushButton(QStringLiteral("反映させる"), this), "cmdSET");
    apply->setGeometry(292, 4, 90, 24);
    connect(apply, &QPushButton::clicked, this, [this] {
        sharedState().editApplied = true;
        accept();
    });
    auto* cancel = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), "cmdESC");
    cancel->setGeometry(292, 29, 90, 24);
    connect(cancel, &QPushButton::clicked, this, &FrmEdit::reject);

    base_ = named(new QWidget(this), "picDODAI");
    base_->move(0, kBaseTop);
    surface_ = named(new PictureSurface(base_), "picPREVIEW");
    surface_->setToolTip(QStringLiteral("ボタンを押すと色が変更されます"));
    surface_->clearToSize(picture_.width(), picture_.height());
    surface_->writePixels(picture_);
    connect(surface_, &PictureSurface::pressed, this, &FrmEdit::onPressed);
    connect(surface_, &PictureSurface::released, this, &FrmEdit::onReleased);

    auto* undo = named(new QPushButton(QStringLiteral("元に戻す"), this), "cmdUNDO");
    undo->setGeometry(388, 4, 80, 24);
    undo->setShortcut(QKeySequence::Undo);
    undo->setEnabled(false);
    connect(undo, &QPushButton::clicked, &strokes_, &QUndoStack::undo);
    connect(&strokes_, &QUndoStack::canUndoChanged, undo, &QPushButton::setEnabled);
    auto* redo = named(new QPushButton(QStringLiteral("やり直し"), this), "cmdREDO");
    redo->setGeometry(388, 29, 80, 24);
    redo->setEnabled(false);
    connect(redo, &QPushButton::clicked, &strokes_, &QUndoStack::redo);
    connect(&strokes_, &QUndoStack::canRedoChanged, redo, &QPushButton::setEnabled);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, &strokes_, &QUndoStack::redo);
    }
    connect(surface_, &PictureSurface::moved, this, &FrmEdit::onMoved);

    const ScrollBars bars = makePictureScrollBars(this, surface_);
    across_ = bars.across;
    down_ = bars.down;

    resize(std::clamp(picture_.width() + 24, 480, 1000),
           std::clamp(kBaseTop + picture_.height() + 24, 200, 760));
}

FrmEdit::~FrmEdit() = default;

void FrmEdit::reject() {
    sharedState().editApplied = false;
    QDialog::reject();
}

void FrmEdit::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (isMinimized())
        return;
    arrangeScrollBars(this, base_, across_, down_, QSize(picture_.width(), picture_.height()), 1);
    const ColourTable& table = sharedState().pictureTable();
    for (int k = 0; k < kColourCount; ++k) {
        setBackground(colours_[k], QColor(table[k].red, table[k].green, table[k].blue));
        // A colour its colour set leaves unbound is not one of the picture's colours.
        colours_[k]->setEnabled(table.usable(k));
        if (const auto& bead = table.bead(k))
            colours_[k]->setToolTip(colourName(k) + u' ' + bead->code + u' ' + bead->name);
    }
    colours_[0]->setChecked(true);
    paintColour_ = colourValueToPixel(table[0].packed);
}

void FrmEdit::onPressed() {
    painting_ = true;
    strokeBefore_.clear();
}

namespace {

// One stroke of the editor: the blocks it painted, with their colours before and after.
class StrokeStep : public QUndoCommand {
  public:
    using Blocks = std::map<std::pair<int, int>, Pixel>;
    StrokeStep(Blocks before, Blocks after, std::function<void(const Blocks&)> paint)
        : before_(std::move(before)), after_(std::move(after)), paint_(std::move(paint)) {}
    void redo() override {
        if (applied_)
            paint_(after_);
        applied_ = true;  // the stroke was painted as it was drawn
    }
    void undo() override { paint_(before_); }

  private:
    Blocks before_;
    Blocks after_;
    std::function<void(const Blocks&)> paint_;
    bool applied_ = false;
};

}  // namespace

void FrmEdit::onReleased() {
    painting_ = false;
    std::map<std::pair<int, int>, Pixel> after;
    for (auto it = strokeBefore_.begin(); it != strokeBefore_.end();) {
        const Pixel now = picture_.at(it->first.first, it->first.second);
        if (now == it->second) {
            it = strokeBefore_.erase(it);  // painted over in its own colour: no change
        } else {
            after.emplace(it->first, now);
            ++it;
        }
    }
    if (after.empty())
        return;
    strokes_.push(
        new StrokeStep(std::move(strokeBefore_), std::move(after),
                       [this](const StrokeStep::Blocks& blocks) { paintBlocks(blocks); }));
    strokeBefore_.clear();
}

void FrmEdit::paintBlocks(const std::map<std::pair<int, int>, Pixel>& blocks) {
    for (const auto& [corner, colour] : blocks) {
        paintBlock(picture_, zoom_, corner.first, corner.second, colour);
        surface_->writeRect(picture_, QRect(corner.first, corner.second, zoom_, zoom_));
    }
}

void FrmEdit::onMoved(QPoint position) {
    const int x = position.x();
    const int y = position.y();
    if (x < 0 || y < 0 || x >= picture_.width() || y >= picture_.height())
        return;
    if (x % zoom_ == 0 && y % zoom_ == 0)
        setBackground(nowColour_, colourOfPixel(picture_.at(x, y)));
    if (!painting_)
        return;
    strokeBefore_.emplace(std::pair(x / zoom_ * zoom_, y / zoom_ * zoom_),
                          picture_.at(x / zoom_ * zoom_, y / zoom_ * zoom_));
    paintBlock(picture_, zoom_, x, y, paintColour_);
    surface_->writeRect(picture_, QRect(x / zoom_ * zoom_, y / zoom_ * zoom_, zoom_, zoom_));
}

}  // namespace kirimo::ui
