#include "ui/frm_preview.h"

#include <QComboBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>
#include <algorithm>
#include <array>

#include "core/shared_state.h"
#include "imaging/magnify.h"
#include "ui/busy_cursor.h"
#include "ui/dialogs.h"
#include "ui/frm_edit.h"
#include "ui/japanese_reasons.h"
#include "ui/picture_surface.h"
#include "ui/widget_names.h"
#include "ui/window_layout.h"

namespace kirimo::ui {

namespace {

const QString kTitle = QStringLiteral("Kirimo");
constexpr int kBaseTop = 28;

// The magnifications Ctrl + wheel and Ctrl + "+" / "-" step through.
constexpr std::array kMagnificationSteps = {1, 2, 3, 4, 6, 8, 12, 16};

}  // namespace

FrmPreview::FrmPreview(Dialogs& dialogs, std::function<QSize()> mainOuterSize, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), mainOuterSize_(std::move(mainOuterSize)) {
    setObjectName(QStringLiteral("frmPREVIEW"));

    zoom_ = named(new QComboBox(this), "cboBAI");
    zoom_->addItems({QStringLiteral("2倍"), QStringLiteral("3倍"), QStringLiteral("4倍")});
    zoom_->setCurrentIndex(0);
    zoom_->setGeometry(2, 3, 56, 22);
    auto* edit = named(new QPushButton(QStringLiteral("色編集"), this), "cmdEDIT");
    edit->setGeometry(60, 2, 60, 24);
    connect(edit, &QPushButton::clicked, this, &FrmPreview::editDots);
    focus_ = named(new QLabel(QStringLiteral("0"), this), "lblFOCUS");
    focus_->setGeometry(124, 5, 10, 18);
    info_ = named(new QLabel(this), "lblINFO");
    info_->setGeometry(138, 5, 200, 18);
    // Both labels hold the window's state for the program, not text for the user.
    focus_->hide();
    info_->hide();

    colourSet_ = named(new QLabel(this), "lblCOLSET");
    colourSet_->setGeometry(124, 5, 220, 18);
    colourSet_->hide();

    base_ = named(new QWidget(this), "picDODAI");
    base_->move(0, kBaseTop);
    surface_ = named(new PictureSurface(base_), "picPREVIEW");
    surface_->setToolTip(QStringLiteral("ﾀﾞﾌﾞﾙｸﾘｯｸで実寸表示"));
    connect(surface_, &PictureSurface::doubleClicked, this, [this] {
        setMagnification(1);
        SharedState& state = sharedState();
        state.pictureWidth = surface_->image().width();
        state.pictureHeight = surface_->image().height();
        fitWindowToPicture();
    });

    const ScrollBars bars = makePictureScrollBars(this, surface_);
    across_ = bars.across;
    down_ = bars.down;

    const auto shortcut = [this](QKeySequence keys, auto action) {
        auto* made = new QShortcut(keys, this);
        made->setContext(Qt::WidgetWithChildrenShortcut);
        connect(made, &QShortcut::activated, this, action);
    };
    // "+" is Shift + "=" on US keyboards and Shift + ";" on Japanese ones; both keys work
    // with or without Shift.
    for (const QKeyCombination keys :
         {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal, Qt::CTRL | Qt::Key_Semicolon,
          Qt::CTRL | Qt::SHIFT | Qt::Key_Plus, Qt::CTRL | Qt::SHIFT | Qt::Key_Semicolon}) {
        shortcut(QKeySequence(keys), [this] { zoomIn(); });
    }
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { zoomOut(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { setMagnification(1); });
}

FrmPreview::~FrmPreview() = default;

void FrmPreview::setColourSetTable(std::optional<ColourTable> table) {
    colourSetTable_ = std::move(table);
    if (colourSetTable_) {
        colourSet_->setText(QStringLiteral("色セット：%1").arg(colourSetTable_->colourSetName()));
        colourSet_->show();
    } else {
        colourSet_->hide();
    }
}

QString FrmPreview::usage() const {
    return info_->text();
}

void FrmPreview::setUsage(const QString& usage) {
    info_->setText(usage);
    info_->setToolTip(usage);
}

void FrmPreview::setPicture(const PixelBuffer& pixels) {
    surface_->clearToSize(pixels.width(), pixels.height());
    surface_->writePixels(pixels);
    arrange();
}

QWidget* FrmPreview::frameWindow() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return this;
}

QSize FrmPreview::wholePictureSize() const {
    return surface_->image().size() + QSize(0, base_->y());
}

void FrmPreview::fitWindowToPicture() {
    ui::fitWindowToPicture(frameWindow(), base_->y(), surface_->image().size(), mainOuterSize_(),
                           sharedState().captionHeightTwips);
}

void FrmPreview::arrange() {
    arrangeScrollBars(this, base_, across_, down_, surface_->image().size(),
                      surface_->magnification());
}

int FrmPreview::magnification() const {
    return surface_->magnification();
}

void FrmPreview::setMagnification(int magnification, std::optional<QPoint> anchor) {
    const int before = surface_->magnification();
    surface_->setMagnification(magnification);
    const int after = surface_->magnification();
    if (after == before)
        return;
    // The picture point under the anchor, in picture pixels, before and after.
    const QPoint at = anchor.value_or(QPoint(base_->width() / 2, base_->height() / 2));
    const QPointF picturePoint = QPointF(at - surface_->pos()) / before;
    arrange();
    const QPointF shown = picturePoint * after - QPointF(at);
    across_->setValue(static_cast<int>(shown.x()));
    down_->setValue(static_cast<int>(shown.y()));
    // A bar that stays at its value does not move the picture; place it for both.
    surface_->move(-across_->value(), -down_->value());
}

void FrmPreview::stepMagnification(int direction, std::optional<QPoint> anchor) {
    const int now = magnification();
    if (direction > 0) {
        const auto next =
            std::upper_bound(kMagnificationSteps.begin(), kMagnificationSteps.end(), now);
        if (next != kMagnificationSteps.end())
            setMagnification(*next, anchor);
    } else if (direction < 0) {
        const auto below =
            std::lower_bound(kMagnificationSteps.begin(), kMagnificationSteps.end(), now);
        if (below != kMagnificationSteps.begin())
            setMagnification(*std::prev(below), anchor);
    }
}

void FrmPreview::zoomIn() {
    stepMagnification(1, std::nullopt);
}

void FrmPreview::zoomOut() {
    stepMagnification(-1, std::nullopt);
}

void FrmPreview::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QWidget::wheelEvent(event);
        return;
    }
    stepMagnification(event->angleDelta().y(), base_->mapFrom(this, event->position().toPoint()));
    event->accept();
}

void FrmPreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrange();
}

void FrmPreview::setActive(bool active) {
    if (active)
        sharedState().activePreviewCaption = windowTitle();
    focus_->setText(active ? QStringLiteral("1") : QStringLiteral("0"));
}

void FrmPreview::editDots() {
    const int zoom = zoom_->currentIndex() + 2;
    SharedState& state = sharedState();
    state.editZoom = zoom;
    PixelBuffer picture;
    if (surface_->readPixels(picture) == 0)
        return;
    auto magnified = [&] {
        BusyCursor busy;
        return magnify(picture, zoom);
    }();
    if (!magnified) {
        dialogs_.inform(this, kTitle,
                        QStringLiteral("画像が大きすぎて%1倍に拡大できません。").arg(zoom) +
                            QStringLiteral("\n") + japaneseReason(magnified.error()),
                        MessageIcon::Exclamation);
        return;
    }
    // An edit applied earlier must not count for this one; the editor offers the colours
    // of the picture's own set.
    state.editApplied = false;
    state.pictureSetTable = colourSetTable_;
    FrmEdit editor(std::move(*magnified), zoom, this);
    editor.exec();
    if (!state.editApplied)
        return;
    auto corners = takeBlockCorners(editor.picture(), zoom);
    if (!corners)
        return;  // the editor's picture always has the magnified size
    surface_->writePixels(*corners);
}

}  // namespace kirimo::ui
