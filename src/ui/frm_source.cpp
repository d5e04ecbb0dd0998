#include "ui/frm_source.h"

#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QUrl>

#include "core/file_names.h"
#include "core/file_system.h"
#include "core/number_rules.h"
#include "core/picture_file.h"
#include "core/shared_state.h"
#include "imaging/transforms.h"
#include "ui/busy_cursor.h"
#include "ui/dialogs.h"
#include "ui/dropped_files.h"
#include "ui/eyedropper.h"
#include "ui/japanese_reasons.h"
#include "ui/picture_history.h"
#include "ui/picture_surface.h"
#include "ui/twips.h"
#include "ui/widget_names.h"
#include "ui/window_layout.h"

namespace kirimo::ui {

namespace {

const QString kTitle = QStringLiteral("Kirimo");

// The side that keeps the picture's proportions: round(typed × numerator / denominator),
// or 0 when the typed text is not a whole number or the product does not fit.
QString linkedSide(const QString& typed, int numerator, int denominator) {
    const auto value = parseInt32(typed);
    if (!value || denominator <= 0)
        return QStringLiteral("0");
    const auto product = checkedMul(numerator, *value);
    if (!product)
        return QStringLiteral("0");
    const auto side = roundToInt32(static_cast<double>(*product) / denominator);
    return QString::number(side.value_or(0));
}

}  // namespace

FrmSource::FrmSource(Dialogs& dialogs, std::function<QSize()> mainOuterSize, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), mainOuterSize_(std::move(mainOuterSize)) {
    setObjectName(QStringLiteral("frmSOURCE"));
    setWindowTitle(QStringLiteral("元画像"));
    history_ =
        new PictureHistory([this](const QImage& picture) { showFromHistory(picture); }, this);

    base_ = named(new QWidget(this), "picDODAI");
    base_->setAcceptDrops(true);
    base_->installEventFilter(this);

    surface_ = named(new PictureSurface(base_), "picPREVIEW");
    surface_->setToolTip(QStringLiteral("ﾀﾞﾌﾞﾙｸﾘｯｸで実寸表示"));
    surface_->setAcceptDrops(true);
    surface_->installEventFilter(this);
    connect(surface_, &PictureSurface::doubleClicked, this, [this] {
        if (hasPicture())
            fitWindowToPicture();
    });
    connect(surface_, &PictureSurface::pressed, this, &FrmSource::onSurfacePressed);
    connect(surface_, &PictureSurface::moved, this, &FrmSource::onSurfaceMoved);

    const ScrollBars bars = makePictureScrollBars(this, surface_);
    across_ = bars.across;
    down_ = bars.down;

    // The resize panel.
    sizePanel_ = named(new QFrame(this), "picSIZE");
    sizePanel_->setFrameShape(QFrame::Panel);
    sizePanel_->setFrameShadow(QFrame::Raised);
    sizePanel_->setAutoFillBackground(true);
    auto* grid = new QGridLayout(sizePanel_);
    auto* title = named(new QLabel(QStringLiteral("ｻｲｽﾞ変更"), sizePanel_), "Label1");
    auto* widthLabel = named(new QLabel(QStringLiteral("横：（dot）"), sizePanel_), "lblYOKO");
    widthBox_ = named(new QLineEdit(sizePanel_), "txtMX");
    auto* heightLabel = named(new QLabel(QStringLiteral("縦：（dot）"), sizePanel_), "Label2");
    heightBox_ = named(new QLineEdit(sizePanel_), "txtMY");
    link_ = named(new QCheckBox(QStringLiteral("連動"), sizePanel_), "chkLINK");
    link_->setToolTip(QStringLiteral("連動"));
    link_->setChecked(true);
    auto* apply = named(new QPushButton(QStringLiteral("変更"), sizePanel_), "cmdSIZE");
    auto* cancel = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), sizePanel_), "cmdESC");
    grid->addWidget(title, 0, 0, 1, 3);
    grid->addWidget(widthLabel, 1, 0);
    grid->addWidget(widthBox_, 1, 1);
    grid->addWidget(link_, 1, 2, 2, 1);
    grid->addWidget(heightLabel, 2, 0);
    grid->addWidget(heightBox_, 2, 1);
    grid->addWidget(apply, 3, 1);
    grid->addWidget(cancel, 3, 2);
    sizePanel_->adjustSize();
    sizePanel_->hide();
    connect(widthBox_, &QLineEdit::textChanged, this, &FrmSource::onWidthEdited);
    connect(heightBox_, &QLineEdit::textChanged, this, &FrmSource::onHeightEdited);
    connect(apply, &QPushButton::clicked, this,
            [this] { runRecorded(QStringLiteral("resize"), [this] { applyNewSize(); }); });
    connect(cancel, &QPushButton::clicked, sizePanel_, &QWidget::hide);

    // The picture operations, reached through the main window's edit menu.
    addOperation("cmdSHARP", [this] { runWeightedFilter(WeightedFilter::SharpenWeak); });
    addOperation("cmdSHARP2", [this] { runWeightedFilter(WeightedFilter::SharpenMedium); });
    addOperation("cmdSHARP3", [this] { runWeightedFilter(WeightedFilter::SharpenStrong); });
    addOperation("cmdBOKASI", [this] { runWeightedFilter(WeightedFilter::Blur); });
    addOperation("cmdAVE", [this] { runWeightedFilter(WeightedFilter::Average); });
    addOperation("cmdMEDI", [this] { runMedianFilter(); });
    addOperation("cmdENBOS", [this] { runWeightedFilter(WeightedFilter::Emboss); });
    addOperation("cmdOUTLINE", [this] { runWeightedFilter(WeightedFilter::Outline); });
    addOperation("cmdREVERSE", [this] { runInversion(); });
    addOperation("cmdUPDOWN", [this] { runFlip(&flipVertical); });
    addOperation("cmdLEFTRIGHT", [this] { runFlip(&mirrorHorizontal); });
    addOperation("cmdRIGHT90", [this] { runRotation(&rotateClockwise); });
    addOperation("cmdLEFT90", [this] { runRotation(&rotateCounterClockwise); });
    addOperation("cmdORG", [this] { restore(); });

    resize(twipsToPixels(5000), twipsToPixels(5000));
}

FrmSource::~FrmSource() = default;

void FrmSource::addOperation(const char* name, std::function<void()> operation) {
    auto* button = new QPushButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->hide();
    connect(button, &QPushButton::clicked, this, [this, name, operation = std::move(operation)] {
        runRecorded(QString::fromLatin1(name), operation);
    });
}

void FrmSource::runRecorded(const QString& name, const std::function<void()>& operation) {
    const QImage before = surface_->image();
    operation();
    // The surface's picture was replaced or written (which detaches it from `before`).
    if (hasPicture())
        history_->record(name, before, surface_->image());
}

void FrmSource::showFromHistory(const QImage& picture) {
    surface_->setImage(picture);
    recordPictureSize();
    fitWindowToPicture();
    arrangeScrollBars();
    rebuildCaption();
}

QWidget* FrmSource::frameWindow() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return this;
}

bool FrmSource::hasPicture() const {
    return !sharedState().currentFileName.isEmpty() && !surface_->image().isNull();
}

bool FrmSource::setSourceWindow(const QString& path) {
    SharedState& state = sharedState();
    if (path.isEmpty()) {
        setWindowTitle(QStringLiteral("元画像"));
        state.currentFileName.clear();
        emit currentFileChanged();
        return true;
    }
    if (!isRegularFile(path)) {
        dialogs_.inform(this, kTitle,
                        QStringLiteral("ﾌｧｲﾙ（%1）がありません。").arg(displayPath(path)),
                        MessageIcon::Exclamation);
        return false;
    }
    auto image = [&] {
        BusyCursor busy;
        return loadPictureImage(path);
    }();
    if (!image) {
        dialogs_.inform(this, kTitle,
                        QStringLiteral("画像ﾌｧｲﾙ（%1）を読み込めません。").arg(path) +
                            QStringLiteral("\n") + japaneseReason(image.error()),
                        MessageIcon::Exclamation);
        return false;
    }

    QDir::setCurrent(getFolderPath(path));
    if (path != state.currentFileName)
        history_->clear();  // another picture: a new history
    state.currentFileName = path;
    surface_->setImage(*image);
    recordPictureSize();

    QWidget* frame = frameWindow();
    const int frameWidth = width() >= state.pictureWidth
                               ? twipsToPixels(pixelsToTwips(state.pictureWidth) + 120)
                               : twipsToPixels(5000);
    const int frameHeight = height() >= state.pictureHeight
                                ? twipsToPixels(pixelsToTwips(state.pictureHeight) + 480)
                                : twipsToPixels(5000);
    frame->resize(frameWidth, frameHeight);
    rebuildCaption();
    emit currentFileChanged();
    return true;
}

void FrmSource::recordPictureSize() {
    SharedState& state = sharedState();
    state.pictureWidth = surface_->image().width();
    state.pictureHeight = surface_->image().height();
}

void FrmSource::rebuildCaption() {
    const SharedState& state = sharedState();
    if (state.currentFileName.isEmpty()) {
        setWindowTitle(QStringLiteral("元画像"));
        return;
    }
    setWindowTitle(QStringLiteral("元画像[%1]（%2×%3）  ")
                       .arg(getFileName(state.currentFileName, 0))
                       .arg(surface_->image().width())
                       .arg(surface_->image().height()));
}

void FrmSource::fitWindowToPicture() {
    const QSize picture = surface_->image().size();
    if (picture.isEmpty())
        return;  // nothing to fit to: the window keeps its size
    ui::fitWindowToPicture(frameWindow(), base_->y(), picture, mainOuterSize_(),
                           sharedState().captionHeightTwips);
    arrangeScrollBars();
}

void FrmSource::arrangeScrollBars() {
    ui::arrangeScrollBars(this, base_, across_, down_, surface_->image().size(), 1);
}

void FrmSource::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrangeScrollBars();
}

bool FrmSource::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!localFiles(drag->mimeData()).isEmpty()) {
                drag->acceptProposedAction();
                return true;
            }
            break;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList paths = localFiles(drop->mimeData());
            if (!paths.isEmpty()) {
                drop->acceptProposedAction();
                emit filesDropped(paths);
                return true;
            }
            break;
        }
        case QEvent::MouseButtonDblClick:
            // A double-click on the base (outside the picture) always fits the window.
            if (watched == base_) {
                fitWindowToPicture();
                return true;
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void FrmSource::openResizePanel() {
    if (!hasPicture())
        return;
    widthBox_->setText(QString::number(surface_->image().width()));
    heightBox_->setText(QString::number(surface_->image().height()));
    sizePanel_->adjustSize();
    sizePanel_->move(0, 0);
    sizePanel_->show();
    sizePanel_->raise();
}

void FrmSource::onWidthEdited() {
    if (!link_->isChecked())
        return;
    const QString height =
        linkedSide(widthBox_->text(), surface_->image().height(), surface_->image().width());
    if (heightBox_->text() != height)
        heightBox_->setText(height);
}

void FrmSource::onHeightEdited() {
    if (!link_->isChecked())
        return;
    const QString width =
        linkedSide(heightBox_->text(), surface_->image().width(), surface_->image().height());
    if (widthBox_->text() != width)
        widthBox_->setText(width);
}

void FrmSource::applyNewSize() {
    sizePanel_->hide();
    if (!hasPicture())
        return;
    BusyCursor busy;
    const auto newWidth = parseInt32(widthBox_->text());
    const auto newHeight = parseInt32(heightBox_->text());
    if (!newWidth || !newHeight || *newWidth < kMinimumResizeSide ||
        *newHeight < kMinimumResizeSide)
        return;  // ignored without a message
    PixelBuffer& work = sharedState().workPixels;
    if (surface_->readPixels(work) == 0)
        return;
    auto resized = resizePicture(work, *newWidth, *newHeight);
    if (!resized) {
        dialogs_.inform(this, kTitle,
                        QStringLiteral("画像が大きすぎるため、ｻｲｽﾞを変更できません。（%1×%2）")
                            .arg(*newWidth)
                            .arg(*newHeight),
                        MessageIcon::Exclamation);
        return;
    }
    showPicture(*resized);
}

// Puts a picture of a new size on the surface and lays the window out for it.
void FrmSource::showPicture(const PixelBuffer& pixels) {
    surface_->clearToSize(pixels.width(), pixels.height());
    surface_->writePixels(pixels);
    recordPictureSize();
    fitWindowToPicture();
    arrangeScrollBars();
    rebuildCaption();
}

void FrmSource::runWeightedFilter(WeightedFilter filter) {
    if (!hasPicture())
        return;
    BusyCursor busy;
    PixelBuffer& work = sharedState().workPixels;
    if (surface_->readPixels(work) == 0)
        return;
    surface_->writePixels(applyWeightedFilter(work, filter));
}

void FrmSource::runMedianFilter() {
    if (!hasPicture())
        return;
    BusyCursor busy;
    PixelBuffer& work = sharedState().workPixels;
    if (surface_->readPixels(work) == 0)
        return;
    surface_->writePixels(applyMedianFilter(work));
}

void FrmSource::runInversion() {
    if (!hasPicture())
        return;
    PixelBuffer pixels;
    if (surface_->readPixels(pixels) == 0)
        return;
    surface_->writePixels(invertColours(pixels));
}

void FrmSource::runFlip(PixelBuffer (*flip)(const PixelBuffer&, int)) {
    if (!hasPicture())
        return;
    PixelBuffer& work = sharedState().workPixels;
    if (surface_->readPixels(work) == 0)
        return;
    surface_->writePixels(flip(work, 0));
}

void FrmSource::runRotation(PixelBuffer (*rotate)(const PixelBuffer&, int)) {
    if (!hasPicture())
        return;
    PixelBuffer& work = sharedState().workPixels;
    if (surface_->readPixels(work) == 0)
        return;
    showPicture(rotate(work, 0));
}

void FrmSource::restore() {
    const QString path = sharedState().currentFileName;
    if (path.isEmpty()) {
        setSourceWindow(path);
        return;
    }
    setSourceWindow(path);
    fitWindowToPicture();
}

void FrmSource::onSurfacePressed(QPoint position) {
    if (eyedropper_ == nullptr || !eyedropper_->eyedropperActive() || !hasPicture())
        return;
    const QImage& image = surface_->image();
    if (!image.rect().contains(position))
        return;
    const int32_t colour = pixelToColourValue(image.pixel(position));
    eyedropper_->pickColour(colour % 256, (colour / 256) % 256, colour / 65536);
}

void FrmSource::onSurfaceMoved(QPoint) {
    const bool picking = eyedropper_ != nullptr && eyedropper_->eyedropperActive();
    surface_->setCursor(picking ? Qt::CrossCursor : Qt::ArrowCursor);
}

}  // namespace kirimo::ui
