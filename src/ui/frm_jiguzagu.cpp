#include "ui/frm_jiguzagu.h"

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "core/file_names.h"
#include "core/picture_file.h"
#include "core/zigzag_texts.h"
#include "imaging/zigzag.h"
#include "ui/busy_cursor.h"
#include "ui/dialogs.h"
#include "ui/dropped_files.h"
#include "ui/japanese_reasons.h"
#include "ui/picture_dialogs.h"
#include "ui/picture_surface.h"
#include "ui/widget_names.h"

namespace kirimo::ui {

// An image control that stretches its picture over its whole area, with an optional
// single-line border drawn over it.
class StretchedImage : public QFrame {
  public:
    using QFrame::QFrame;

    void setPicture(const QImage& picture) {
        shown_ = picture.isNull()
                     ? QImage()
                     : picture.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (!shown_.isNull())
            painter.drawImage(rect(), shown_);
        drawFrame(&painter);
    }

  private:
    QImage shown_;
};

namespace {

const QString kTitle = QStringLiteral("Kirimo");
const QString kResultFile = QStringLiteral("dmy.bmp");

constexpr int kThumbWidth = 117;
constexpr int kThumbHeight = 97;
constexpr int kResultWidth = 234;
constexpr int kFrameLine = 2;

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, QRect geometry) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

// A sunken picture box whose inner area is `inner`, at `topLeft`.
QFrame* makePictureBox(QWidget* parent, const QString& name, QPoint topLeft, QSize inner) {
    auto* box = new QFrame(parent);
    box->setObjectName(name);
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setLineWidth(kFrameLine);
    box->setGeometry(QRect(topLeft, inner + QSize(2 * kFrameLine, 2 * kFrameLine)));
    return box;
}

int orZero(const Result<int>& value) {
    return value ? *value : 0;
}

QString sizeText(const QImage& picture) {
    return QStringLiteral("ｻｲｽﾞ：%1×%2").arg(picture.width()).arg(picture.height());
}

}  // namespace

FrmJiguzagu::FrmJiguzagu(Dialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmJIGUZAGU"));
    setWindowTitle(QStringLiteral("２画像のジグザグ合体"));
    setModal(true);
    setAcceptDrops(true);

    makeLabel(this, "Label1", QStringLiteral("画像ﾌｧｲﾙを２つ読み込んで下さい"),
              QRect(8, 6, 290, 18));
    makeLabel(this, "Label4", QStringLiteral("縦横のｻｲｽﾞが近いものを用意しておいて下さい。"),
              QRect(8, 24, 290, 18));
    auto* load = makeButton(this, QStringLiteral("cmdLOADPIC"), QStringLiteral("画像ﾌｧｲﾙ読み込み"),
                            QRect(8, 46, 150, 26));
    connect(load, &QPushButton::clicked, this, &FrmJiguzagu::chooseFiles);

    for (int k = 0; k < 2; ++k) {
        const int left = k == 0 ? 8 : 161;
        frames_[k] = makePictureBox(this, QStringLiteral("picPREVIEW(%1)").arg(k), QPoint(left, 80),
                                    QSize(kThumbWidth, kThumbHeight));
        auto* thumb = new StretchedImage(frames_[k]);
        thumb->setObjectName(QStringLiteral("imgPREVIEW(%1)").arg(k));
        thumb->setGeometry(kFrameLine, kFrameLine, kThumbWidth, kThumbHeight);
        thumb->setAcceptDrops(true);
        thumb->installEventFilter(this);
        previews_[k] = thumb;

        auto* crop = new QLabel(thumb);
        crop->setObjectName(QStringLiteral("lblRESIZE(%1)").arg(k));
        crop->setFrameStyle(QFrame::Box | QFrame::Plain);
        crop->setLineWidth(1);
        QPalette palette = crop->palette();
        palette.setColor(QPalette::WindowText, Qt::red);
        crop->setPalette(palette);
        crop->setCursor(Qt::SizeAllCursor);
        crop->setAcceptDrops(true);
        crop->installEventFilter(this);
        crop->hide();
        cropRects_[k] = crop;

        sizes_[k] = new QLabel(this);
        sizes_[k]->setObjectName(QStringLiteral("lblSIZE(%1)").arg(k));
        sizes_[k]->setGeometry(left, 183, kThumbWidth + 4, 18);
        readouts_[k] = new QLabel(QStringLiteral("(0,0)"), this);
        readouts_[k]->setObjectName(QStringLiteral("lblXYPOS(%1)").arg(k));
        readouts_[k]->setGeometry(left, 200, kThumbWidth + 4, 18);
        readouts_[k]->hide();

        originals_[k] = new PictureSurface(this);
        originals_[k]->setObjectName(k == 0 ? QStringLiteral("picMOTO1")
                                            : QStringLiteral("picMOTO2"));
        originals_[k]->hide();
    }

    auto* swap =
        makeButton(this, QStringLiteral("cmdREV"), QStringLiteral("◀▶"), QRect(130, 116, 30, 24));
    swap->setToolTip(QStringLiteral("逆転"));
    connect(swap, &QPushButton::clicked, this, [this] { refresh({slots_[1], slots_[0]}); });

    info_ = makeLabel(this, "lblINFO", QString(), QRect(8, 218, 280, 18));

    stripPanel_ = named(new QFrame(this), "picBUNKATU");
    stripPanel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    stripPanel_->setGeometry(8, 238, 276, 58);
    stripPanel_->setEnabled(false);
    makeLabel(stripPanel_, "Label2", QStringLiteral("分割幅"), QRect(6, 8, 44, 20));
    stripWidths_ = named(new QComboBox(stripPanel_), "cboHABA");
    stripWidths_->setEditable(true);
    stripWidths_->setInsertPolicy(QComboBox::NoInsert);
    stripWidths_->setGeometry(50, 5, 76, 24);
    makeLabel(stripPanel_, "Label5", QStringLiteral("(dot)"), QRect(130, 8, 36, 20));
    auto* run = makeButton(stripPanel_, QStringLiteral("cmdRUN"), QStringLiteral("合体実行"),
                           QRect(176, 4, 92, 26));
    connect(run, &QPushButton::clicked, this, &FrmJiguzagu::runCombination);
    stripCount_ = makeLabel(stripPanel_, "lblHABA", QString(), QRect(6, 34, 264, 18));

    resultFrame_ = makePictureBox(this, QStringLiteral("picGATTAI"), QPoint(8, 302),
                                  QSize(kResultWidth, kThumbHeight));
    auto* result = named(new StretchedImage(resultFrame_), "imgPREVIEW(2)");
    result->setGeometry(kFrameLine, kFrameLine, kResultWidth, kThumbHeight);
    result->setAcceptDrops(true);
    result->installEventFilter(this);
    previews_[2] = result;
    combined_ = named(new PictureSurface(this), "picKANSEI");
    combined_->hide();

    makeLabel(this, "Label3", QStringLiteral("保存ﾌｧｲﾙ名"), QRect(8, 414, 72, 20));
    fileName_ = named(new QLineEdit(this), "txtFILENAME");
    fileName_->setGeometry(82, 411, 126, 24);
    fullFolder_ = named(new QLineEdit(this), "txtFULLFILENAME");
    fullFolder_->hide();

    auto* save = makeButton(this, QStringLiteral("cmdSAVE"), QString(), QRect(212, 408, 34, 30));
    save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    save->setToolTip(QStringLiteral("保存"));
    connect(save, &QPushButton::clicked, this, &FrmJiguzagu::saveResult);
    send_ = makeButton(this, QStringLiteral("cmdSEND"), QString(), QRect(250, 408, 34, 30));
    send_->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    send_->setToolTip(QStringLiteral("Kirimoに送る"));
    send_->setEnabled(false);
    connect(send_, &QPushButton::clicked, this, &FrmJiguzagu::sendResult);
    auto* close =
        makeButton(this, QStringLiteral("cmdCLOSE"), QStringLiteral("Ok"), QRect(204, 446, 80, 28));
    close->setFont(QFont(QStringLiteral("Times New Roman"), close->font().pointSize() + 2));
    close->setToolTip(QStringLiteral("閉じる"));
    connect(close, &QPushButton::clicked, this, &FrmJiguzagu::reject);

    popup_ = named(new QMenu(this), "mnuA");
    QAction* menuLoad = popup_->addAction(QStringLiteral("読み込み"));
    menuLoad->setObjectName(QStringLiteral("mnuLOAD"));
    connect(menuLoad, &QAction::triggered, this, &FrmJiguzagu::chooseFileFromMenu);
    QAction* menuCancel = popup_->addAction(QStringLiteral("ｷｬﾝｾﾙ"));
    menuCancel->setObjectName(QStringLiteral("mnuESC"));

    for (int k = 0; k < 2; ++k)
        sizes_[k]->setText(sizeText(QImage()));
    // Wide enough for the instructions at the interface's font.
    setFixedSize(300, 482);
}

FrmJiguzagu::~FrmJiguzagu() = default;

QString FrmJiguzagu::handOffFolder() const {
    return folder();
}

// Picture A's folder, where the results are written.
QString FrmJiguzagu::folder() const {
    return fullFolder_->text();
}

void FrmJiguzagu::reject() {
    // Leaving by "Ok", the close box or Escape hands nothing over.
    fullFolder_->clear();
    QDialog::reject();
}

void FrmJiguzagu::sendResult() {
    if (!hasResult_)
        return;
    accept();
}

void FrmJiguzagu::refuse(const QString& text) {
    dialogs_.inform(this, kTitle, text, MessageIcon::Exclamation);
}

void FrmJiguzagu::chooseFiles() {
    const QStringList chosen = dialogs_.openFiles(this, QStringLiteral("画像ﾌｧｲﾙ読み込み"),
                                                  pictureDialogFolder(), pictureFileFilter());
    rememberPictureFolder(chosen);
    placeFiles(chosen);  // cancelled: no files, nothing changes
}

void FrmJiguzagu::chooseFileFromMenu() {
    const QString chosen = dialogs_.openFile(this, QStringLiteral("読み込み"),
                                             pictureDialogFolder(), pictureFileFilter());
    if (!chosen.isEmpty()) {
        rememberPictureFolder(chosen);
        placeFiles({chosen});
    }
}

// One file goes to the selected slot, two go to A and B in their order; any other count
// changes nothing. A file that cannot be read is named in a message and its slot keeps
// what it had.
void FrmJiguzagu::placeFiles(const QStringList& paths) {
    if (paths.size() != 1 && paths.size() != 2)
        return;
    std::array<Slot, 2> next = slots_;
    bool changed = false;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const int slot = paths.size() == 1 ? selected_ : static_cast<int>(i);
        const QString path = QDir::toNativeSeparators(paths[i]);
        auto picture = [&] {
            BusyCursor busy;
            return loadPictureImage(path);
        }();
        if (!picture) {
            refuse(QStringLiteral("画像ﾌｧｲﾙ（%1）を読み込めません。").arg(path) +
                   QStringLiteral("\n") + japaneseReason(picture.error()));
            continue;
        }
        next[slot] = Slot{path, *picture};
        changed = true;
    }
    if (changed)
        refresh(next);
}

// Takes the new pair of pictures and works out the common size, the crop rectangles and
// the strip widths. When the sizes differ and the user declines to cut them to the smaller
// one, nothing changes at all: the pictures, names and results shown stay as they were.
bool FrmJiguzagu::refresh(const std::array<Slot, 2>& next) {
    const QSize a = next[0].picture.size();
    const QSize b = next[1].picture.size();
    QSize common = common_;
    if (a == b) {
        common = a;
        for (QLabel* crop : cropRects_)
            crop->hide();
        info_->clear();
    } else if (!next[0].path.isEmpty() && !next[1].path.isEmpty()) {
        const MessageAnswer answer = dialogs_.message(
            this, QStringLiteral("ｻｲｽﾞ違い"),
            QStringLiteral("ｻｲｽﾞが違います。無視すると小さい方に合わせて処理します。\n"
                           "続行しますか。"),
            MessageIcon::Exclamation, MessageButtons::YesNo);
        if (answer != MessageAnswer::Yes)
            return false;
        common = QSize(std::min(a.width(), b.width()), std::min(a.height(), b.height()));
        info_->setText(
            QStringLiteral("%1×%2のｻｲｽﾞで切り取ります。").arg(common.width()).arg(common.height()));
        for (int k = 0; k < 2; ++k) {
            const QSize picture = next[k].picture.size();
            const int width =
                orZero(cropRectangleSide(kThumbWidth, common.width(), picture.width()));
            const int height =
                orZero(cropRectangleSide(kThumbHeight, common.height(), picture.height()));
            cropRects_[k]->setGeometry(0, 0, width, height);
            cropRects_[k]->show();
            cropRects_[k]->raise();
        }
    }

    slots_ = next;
    common_ = common;
    hasResult_ = false;
    send_->setEnabled(false);
    fullFolder_->setText(getFolderPath(slots_[0].path));
    fileName_->setText(zigzagSaveName(slots_[0].path, slots_[1].path));
    for (int k = 0; k < 2; ++k) {
        originals_[k]->setImage(slots_[k].picture);
        previews_[k]->setPicture(slots_[k].picture);
        sizes_[k]->setText(sizeText(slots_[k].picture));
    }

    stripWidths_->clear();
    for (int n : zigzagStripWidths(common_.width()))
        stripWidths_->addItem(QString::number(n));
    if (stripWidths_->count() > 0)
        stripWidths_->setCurrentIndex(0);

    combined_->setImage(QImage());
    previews_[2]->setPicture(QImage());
    previews_[2]->resize(kResultWidth, kThumbHeight);
    stripPanel_->setEnabled(true);
    return true;
}

void FrmJiguzagu::selectSlot(int k) {
    selected_ = k;
    previews_[k]->setFrameStyle(QFrame::Box | QFrame::Plain);
    previews_[1 - k]->setFrameStyle(QFrame::NoFrame);
}

void FrmJiguzagu::showPopup(int k, QPoint globalPosition) {
    selectSlot(k);
    popup_->popup(globalPosition);
}

void FrmJiguzagu::startDrag(int k, QPoint position) {
    selectSlot(k);
    dragging_ = true;
    dragStart_ = position;
    readouts_[k]->show();
}

void FrmJiguzagu::moveDrag(int k, QPoint position) {
    if (!dragging_)
        return;
    QLabel* crop = cropRects_[k];
    crop->move(crop->pos() + (position - dragStart_));
    const QSize picture = slots_[k].picture.size();
    const auto x = cropReadoutAlong(crop->x(), kThumbWidth, picture.width());
    const auto y = cropReadoutAlong(crop->y(), kThumbHeight, picture.height());
    if (x && y)
        readouts_[k]->setText(QStringLiteral("%1,%2").arg(*x).arg(*y));
}

void FrmJiguzagu::endDrag(int k) {
    dragging_ = false;
    readouts_[k]->hide();
}

void FrmJiguzagu::runCombination() {
    if (common_.width() < 1 || common_.height() < 1 || stripWidths_->count() == 0 ||
        slots_[0].picture.isNull() || slots_[1].picture.isNull()) {
        refuse(QStringLiteral("分割幅がありません。先に画像ﾌｧｲﾙを２つ読み込んで下さい。"));
        return;
    }
    const QString typed = stripWidths_->currentText();
    const auto strip = parseStripWidth(typed);
    if (!strip) {
        refuse(QStringLiteral("分割幅（%1）は１以上の整数で指定して下さい。").arg(typed));
        return;
    }
    if (*strip > common_.width()) {
        refuse(QStringLiteral("分割幅（%1）が切り取る幅（%2）より大きいので合体できません。")
                   .arg(*strip)
                   .arg(common_.width()));
        return;
    }

    for (int k = 0; k < 2; ++k)
        previews_[k]->setFrameStyle(QFrame::NoFrame);
    hasResult_ = false;
    send_->setEnabled(false);
    stripCount_->clear();
    combined_->setImage(QImage());
    previews_[2]->setPicture(QImage());

    ZigzagRequest request;
    request.commonWidth = common_.width();
    request.commonHeight = common_.height();
    request.stripWidth = *strip;
    std::array<CropOffset*, 2> offsets = {&request.offsetA, &request.offsetB};
    for (int k = 0; k < 2; ++k) {
        if (cropRects_[k]->isHidden())
            continue;
        const QSize picture = slots_[k].picture.size();
        offsets[k]->x = orZero(cropOffsetAlong(cropRects_[k]->x(), kThumbWidth, picture.width()));
        offsets[k]->y = orZero(cropOffsetAlong(cropRects_[k]->y(), kThumbHeight, picture.height()));
    }
    const int strips = orZero(zigzagStripCount(common_.width(), *strip));

    const QString target = folder() + kResultFile;
    Result<void> saved = [&]() -> Result<void> {
        BusyCursor busy;
        PixelBuffer a;
        PixelBuffer b;
        originals_[0]->readPixels(a);
        originals_[1]->readPixels(b);
        auto result = interleaveStrips(a, b, request);
        if (!result)
            return makeError(result.error());
        combined_->setImage(toImage(*result));
        QDir::setCurrent(folder());
        return savePictureBmp(target, *result);
    }();
    if (!saved) {
        const QString failure = combined_->image().isNull()
                                    ? QStringLiteral("合体できません。")
                                    : QStringLiteral("ﾌｧｲﾙ（%1）を保存できません。").arg(target);
        combined_->setImage(QImage());
        refuse(failure + QStringLiteral("\n") + japaneseReason(saved.error()));
        return;
    }

    stripCount_->setText(QStringLiteral("用紙は%1列に分けられます").arg(strips));
    previews_[2]->resize(kResultWidth, resultFrame_->contentsRect().height());
    previews_[2]->setPicture(combined_->image());
    hasResult_ = true;
    send_->setEnabled(true);
}

void FrmJiguzagu::saveResult() {
    if (!hasResult_) {
        refuse(QStringLiteral("保存する画像がありません。先に「合体実行」を押して下さい。"));
        return;
    }
    const QString name = fileName_->text();
    if (name.isEmpty()) {
        refuse(QStringLiteral("保存ﾌｧｲﾙ名を入力して下さい。"));
        return;
    }
    if (name.contains(QDir::separator()) || name.contains(u'/')) {
        refuse(QStringLiteral("保存ﾌｧｲﾙ名（%1）にﾌｫﾙﾀﾞの区切りは使えません。").arg(name));
        return;
    }
    const QString target = folder() + name + QStringLiteral(".bmp");
    const QString absolute = QFileInfo(target).absoluteFilePath();
    for (const Slot& slot : slots_) {
        if (QFileInfo(slot.path).absoluteFilePath() == absolute) {
            refuse(
                QStringLiteral("ﾌｧｲﾙ（%1）は合体する元の画像なので上書きできません。").arg(target));
            return;
        }
    }
    Result<void> saved = [&] {
        BusyCursor busy;
        QDir::setCurrent(folder());
        return savePictureBmp(target, combined_->image());
    }();
    if (!saved) {
        refuse(QStringLiteral("ﾌｧｲﾙ（%1）を保存できません。").arg(target) + QStringLiteral("\n") +
               japaneseReason(saved.error()));
    }
}

bool FrmJiguzagu::eventFilter(QObject* watched, QEvent* event) {
    int thumb = -1;
    int crop = -1;
    for (int k = 0; k < 3; ++k) {
        if (watched == previews_[k])
            thumb = k;
    }
    for (int k = 0; k < 2; ++k) {
        if (watched == cropRects_[k])
            crop = k;
    }
    if (thumb < 0 && crop < 0)
        return QDialog::eventFilter(watched, event);
    const int k = thumb >= 0 ? thumb : crop;

    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            // Accepted everywhere, the result preview included, so that a drop there does
            // not fall through to the window.
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (localFiles(drag->mimeData()).isEmpty())
                return false;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            drop->acceptProposedAction();
            if (k == 2)
                return true;  // the result preview holds no picture to replace
            selectSlot(k);
            placeFiles(localFiles(drop->mimeData()));
            return true;
        }
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (k == 2)
                return true;
            if (mouse->button() == Qt::RightButton) {
                showPopup(k, mouse->globalPosition().toPoint());
            } else if (mouse->button() == Qt::LeftButton) {
                if (crop >= 0)
                    startDrag(k, mouse->position().toPoint());
                else
                    selectSlot(k);
            }
            return true;
        }
        case QEvent::MouseMove:
            if (crop >= 0)
                moveDrag(k, static_cast<QMouseEvent*>(event)->position().toPoint());
            return crop >= 0;
        case QEvent::MouseButtonRelease:
            if (crop >= 0 && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                dragging_)
                endDrag(k);
            return crop >= 0;
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

void FrmJiguzagu::dragEnterEvent(QDragEnterEvent* event) {
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void FrmJiguzagu::dropEvent(QDropEvent* event) {
    // Dropped on the window itself: the selected slot stays.
    event->acceptProposedAction();
    placeFiles(localFiles(event->mimeData()));
}

}  // namespace kirimo::ui
