#include "ui/frm_print.h"

#include <QComboBox>
#include <QDir>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTime>
#include <algorithm>
#include <cmath>

#include "core/file_names.h"
#include "core/picture_file.h"
#include "core/shared_state.h"
#include "reports/report_files.h"
#include "reports/report_naming.h"
#include "reports/sheet_size_text.h"
#include "ui/busy_cursor.h"
#include "ui/dialogs.h"
#include "ui/japanese_reasons.h"
#include "ui/twips.h"
#include "ui/widget_names.h"

namespace kirimo::ui {

namespace {

const QString kTitle = QStringLiteral("Kirimo");
const QString kSwitchHint = QStringLiteral("ｸﾘｯｸで元画像と変換画像を切り替えます");

// The window's client area, and the longer side of the map and of the magnified view.
constexpr int kWindowWidthTwips = 9855;
constexpr int kWindowHeightTwips = 4980;
constexpr double kPictureSideTwips = 3500;
// The name is measured against this width; its first label is a little wider, which
// leaves room for the one character more that it shows.
constexpr int kNameMeasureTwips = 2535;
constexpr int kNameLabelTwips = 2700;

// A box of the given proportions whose longer side is kPictureSideTwips, in pixels, at
// least one pixel each way.
QSize pictureBoxSize(int width, int height) {
    if (width <= 0 || height <= 0)
        return QSize(1, 1);
    double widthTwips = kPictureSideTwips;
    double heightTwips = kPictureSideTwips;
    if (width <= height)
        widthTwips = width * kPictureSideTwips / height;
    else
        heightTwips = height * kPictureSideTwips / width;
    return QSize(std::max(1, twipsToPixels(widthTwips)), std::max(1, twipsToPixels(heightTwips)));
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

QString sheetPositionText(int column, int row) {
    return QStringLiteral("(%1,%2)").arg(column).arg(row);
}

// The picture from `picture` on a white width x height surface, from its top-left corner.
QImage onSurface(const QImage& picture, int width, int height) {
    QImage surface(std::max(0, width), std::max(0, height), QImage::Format_RGB32);
    surface.fill(Qt::white);
    if (!picture.isNull() && !surface.isNull()) {
        QPainter painter(&surface);
        painter.drawImage(0, 0, picture);
    }
    return surface;
}

}  // namespace

// ---- SheetMap

SheetMap::SheetMap(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void SheetMap::setSurfaceSize(QSize pixels) {
    image_ = QImage(pixels, QImage::Format_RGB32);
    image_.fill(Qt::white);
    labels_.clear();
    setFixedSize(pixels);
    update();
}

void SheetMap::draw(const SheetGrid& grid) {
    image_.fill(Qt::white);
    labels_.clear();
    const int pictureWidth = grid.pictureWidth();
    const int pictureHeight = grid.pictureHeight();
    if (image_.isNull() || pictureWidth <= 0 || pictureHeight <= 0) {
        update();
        return;
    }
    const int mapWidth = image_.width();
    const int mapHeight = image_.height();
    // Dot coordinate to pixel; an edge on the picture's far side lands on the last pixel.
    auto toPixel = [](int64_t dot, int64_t dots, int pixels) {
        return static_cast<int>(std::min<int64_t>(dot * pixels / dots, pixels - 1));
    };
    const SheetSize sheet = grid.sheetSize();

    QPainter painter(&image_);
    // The outlines of all sheets: the left edge of every column and the top edge of every
    // row, and the picture's right and bottom edges, where the last sheets end or are cut.
    painter.setPen(QColor(255, 0, 0));
    for (int64_t column = 0; column <= grid.columns(); ++column) {
        const int64_t dot = std::min<int64_t>(column * sheet.width, pictureWidth);
        const int x = toPixel(dot, pictureWidth, mapWidth);
        painter.drawLine(x, 0, x, mapHeight - 1);
    }
    for (int64_t row = 0; row <= grid.rows(); ++row) {
        const int64_t dot = std::min<int64_t>(row * sheet.height, pictureHeight);
        const int y = toPixel(dot, pictureHeight, mapHeight);
        painter.drawLine(0, y, mapWidth - 1, y);
    }

    painter.setPen(Qt::black);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const QString first = sheetPositionText(1, 1);
    painter.drawText(0, metrics.ascent(), first);
    labels_.append(first);
    if (sheet.width < pictureWidth || sheet.height < pictureHeight) {
        const QString last = sheetPositionText(grid.columns(), grid.rows());
        painter.drawText(mapWidth - metrics.horizontalAdvance(last),
                         mapHeight - metrics.height() + metrics.ascent(), last);
        labels_.append(last);
    }
    update();
}

void SheetMap::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), image_, event->rect());
}

void SheetMap::mouseMoveEvent(QMouseEvent* event) {
    emit moved(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

void SheetMap::mousePressEvent(QMouseEvent* event) {
    emit pressed();
    event->accept();
}

void SheetMap::leaveEvent(QEvent* event) {
    emit left();
    QWidget::leaveEvent(event);
}

// ---- SheetView

SheetView::SheetView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SheetView::showSheet(QImage dots, SheetSize sheetSize) {
    dots_ = std::move(dots);
    sheetSize_ = sheetSize;
    update();
}

void SheetView::clear() {
    dots_ = QImage();
    update();
}

void SheetView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (dots_.isNull() || sheetSize_.width < 1 || sheetSize_.height < 1)
        return;
    // Every dot a block of equal size; without smoothing the blocks keep sharp edges.
    const double blockWidth = static_cast<double>(width()) / sheetSize_.width;
    const double blockHeight = static_cast<double>(height()) / sheetSize_.height;
    painter.drawImage(QRectF(0, 0, dots_.width() * blockWidth, dots_.height() * blockHeight),
                      dots_);
}

// ---- FrmPrint

FrmPrint::FrmPrint(Dialogs& dialogs, std::function<int()> secondsSinceMidnight,
                   ColourInfoSources sources, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      secondsSinceMidnight_(std::move(secondsSinceMidnight)),
      settingsLine_(std::move(sources.settingsLine)),
      converted_(sharedState().workPixels) {
    setObjectName(QStringLiteral("frmPRINT"));
    setWindowTitle(QStringLiteral("色情報保存"));
    setModal(true);
    buildControls();
    setFixedSize(twipsToPixels(kWindowWidthTwips), twipsToPixels(kWindowHeightTwips));

    const int width = converted_.width();
    const int height = converted_.height();
    showPictureName(sources.previewCaption);

    // The map in dot units, the magnified view first of the map's size, and the two
    // pictures the magnified view copies from.
    const QSize mapSize = pictureBoxSize(width, height);
    map_->setSurfaceSize(mapSize);
    view_->setFixedSize(mapSize);
    sourceImage_ = onSurface(sources.sourcePicture, width, height);
    convertedImage_ = toImage(converted_);
    size_->setText(QStringLiteral("%1×%2").arg(width).arg(height));

    // The sizes that divide the picture exactly; it opens as one sheet.
    for (auto [box, side] : {std::pair{across_, width}, std::pair{down_, height}}) {
        const QSignalBlocker blocker(box);
        for (int divisor : divisorList(side))
            box->addItem(QString::number(divisor));
    }
    across_->setEditText(QString::number(width));
    down_->setEditText(QString::number(height));
    setUpMagnifiedView();
}

FrmPrint::~FrmPrint() = default;

void FrmPrint::buildControls() {
    // Left: the picture, its name, the sheet size and the save settings.
    makeLabel(this, "Label1", QStringLiteral("絵の大きさ"), QRect(3, 6, 72, 18));
    size_ = makeLabel(this, "lblSIZE", QString(), QRect(78, 6, 105, 18));
    makeLabel(this, "Label6", QStringLiteral("ﾌｧｲﾙ名："), QRect(3, 28, 80, 18));
    for (int i = 0; i < 2; ++i) {
        names_[i] = makeLabel(this, i == 0 ? "lblFILENAME(0)" : "lblFILENAME(1)", QString(),
                              QRect(3, 46 + 18 * i, twipsToPixels(kNameLabelTwips), 18));
    }
    nameMeasure_ =
        makeLabel(this, "picTEXT", QString(), QRect(3, 46, twipsToPixels(kNameMeasureTwips), 18));
    nameMeasure_->hide();
    makeLabel(this, "Label2", QStringLiteral("１枚分の大きさ（dot数）"), QRect(3, 88, 180, 18));

    auto sizeRow = [this](const char* labelName, const QString& caption, const char* boxName,
                          const char* countName, int top, QLabel*& count) {
        makeLabel(this, labelName, caption, QRect(3, top + 1, 18, 22));
        auto* box = new QComboBox(this);
        box->setObjectName(QString::fromLatin1(boxName));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setGeometry(24, top, 84, 24);
        connect(box, &QComboBox::editTextChanged, this, &FrmPrint::onSheetSizeChanged);
        count = makeLabel(this, countName, QString(), QRect(112, top + 1, 71, 22));
        return box;
    };
    across_ = sizeRow("Label3", QStringLiteral("横"), "cboYOKO", "lblYOKO", 111, columns_);
    down_ = sizeRow("Label4", QStringLiteral("縦"), "cboTATE", "lblTATE", 139, rows_);
    total_ = makeLabel(this, "lblTOTAL", QString(), QRect(3, 168, 180, 18));

    auto* frame = named(new QGroupBox(QStringLiteral("設定"), this), "Frame1");
    frame->setGeometry(3, 190, 180, 66);
    const QString modes[2] = {QStringLiteral("自動保存"), QStringLiteral("ﾌｧｲﾙ名を指定")};
    for (int i = 0; i < 2; ++i) {
        saveModes_[i] = new QRadioButton(modes[i], frame);
        saveModes_[i]->setObjectName(QStringLiteral("optSAVE(%1)").arg(i));
        saveModes_[i]->setGeometry(10, 20 + 22 * i, 160, 20);
    }
    saveModes_[0]->setChecked(true);

    auto* save = named(new QPushButton(QStringLiteral("色情報保存"), this), "cmdSAVE");
    save->setGeometry(3, 262, 180, 30);
    connect(save, &QPushButton::clicked, this, &FrmPrint::saveColourInformation);
    auto* close = named(new QPushButton(QStringLiteral("閉じる"), this), "cmdPRTEND");
    close->setGeometry(3, 298, 180, 28);
    connect(close, &QPushButton::clicked, this, &FrmPrint::reject);

    // Middle: the sheet map and what lies under the mouse.
    const int pictureSide = twipsToPixels(kPictureSideTwips);
    const int mapLeft = 186;
    map_ = named(new SheetMap(this), "picGAZOU(0)");
    map_->setToolTip(kSwitchHint);
    map_->move(mapLeft, 6);
    connect(map_, &SheetMap::moved, this, &FrmPrint::showSheetUnder);
    connect(map_, &SheetMap::pressed, this, [this] { shownPicture_ = 1 - shownPicture_; });
    connect(map_, &SheetMap::left, this, [this] { hint_->hide(); });
    hint_ = makeLabel(this, "Label7", kSwitchHint, QRect(mapLeft, 244, pictureSide, 18));
    hint_->hide();
    position_ = makeLabel(this, "lblPOS", QString(), QRect(mapLeft, 264, pictureSide, 18));

    // Right: the magnified sheet and the A4 printing.
    const int viewLeft = mapLeft + pictureSide + 2;
    view_ = named(new SheetView(this), "imgGAZOU");
    view_->move(viewLeft, 6);
    a4_ = named(new QPushButton(QStringLiteral("Ａ４用紙に合わせて印刷"), this), "cmdA4");
    a4_->setGeometry(viewLeft, 244, pictureSide, 30);
    connect(a4_, &QPushButton::clicked, this, &FrmPrint::a4Requested);
    auto* a4Hint =
        makeLabel(this, "Label5", QStringLiteral("A4用紙に合わせて、色情報を印刷できます。"),
                  QRect(viewLeft, 278, pictureSide, 36));
    a4Hint->setWordWrap(true);
    a4Hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void FrmPrint::showPictureName(const QString& caption) {
    const QString name = getFileName(caption, 1);
    const QFontMetricsF metrics(nameMeasure_->font());
    const double limit = nameMeasure_->width();
    if (metrics.horizontalAdvance(name) <= limit) {
        names_[0]->setText(name);
        names_[1]->clear();
        return;
    }
    // The shortest start that reaches the limit, and one character more, on the first line.
    qsizetype reaching = 1;
    while (reaching < name.size() && metrics.horizontalAdvance(name.left(reaching)) < limit)
        ++reaching;
    names_[0]->setText(name.left(reaching + 1));
    names_[1]->setText(name.mid(reaching + 1));
}

QString FrmPrint::sheetWidthText() const {
    return across_->currentText();
}

QString FrmPrint::sheetHeightText() const {
    return down_->currentText();
}

std::optional<SheetSize> FrmPrint::sheetSize() const {
    return parseSheetSize(sheetWidthText(), sheetHeightText());
}

void FrmPrint::onSheetSizeChanged() {
    redrawSheetMap();
    setUpMagnifiedView();
}

void FrmPrint::redrawSheetMap() {
    const std::optional<SheetSize> size = sheetSize();
    if (!size)
        return;  // the map and its labels stay as they were
    auto grid = SheetGrid::create(converted_.width(), converted_.height(), *size);
    if (!grid)
        return;
    map_->draw(*grid);
    columns_->setText(QStringLiteral("（%1枚）").arg(grid->columns()));
    rows_->setText(QStringLiteral("（%1枚）").arg(grid->rows()));
    total_->setText(QStringLiteral("総計：%1枚").arg(int64_t{grid->columns()} * grid->rows()));
}

void FrmPrint::setUpMagnifiedView() {
    const std::optional<SheetSize> size = sheetSize();
    if (!size)
        return;
    view_->setFixedSize(pictureBoxSize(size->width, size->height));
    view_->clear();
    position_->clear();
}

void FrmPrint::showSheetUnder(QPoint mapPosition) {
    hint_->show();
    const std::optional<SheetSize> size = sheetSize();
    if (!size || map_->width() <= 0 || map_->height() <= 0)
        return;
    auto grid = SheetGrid::create(converted_.width(), converted_.height(), *size);
    if (!grid || grid->count() == 0)
        return;
    // The mouse's place in dots, and the sheet it lies in.
    const double x = mapPosition.x() * static_cast<double>(converted_.width()) / map_->width();
    const double y = mapPosition.y() * static_cast<double>(converted_.height()) / map_->height();
    const int column =
        std::clamp(static_cast<int>(std::floor(x / size->width)) + 1, 1, grid->columns());
    const int row = std::clamp(static_cast<int>(std::floor(y / size->height)) + 1, 1, grid->rows());
    position_->setText(sheetPositionText(column, row));
    const Sheet sheet = grid->sheetAt(column, row);
    const QImage& from = shownPicture_ == 0 ? sourceImage_ : convertedImage_;
    view_->showSheet(from.copy(sheet.x, sheet.y, sheet.width, sheet.height), *size);
}

QTime FrmPrint::timeOfDay() const {
    if (!secondsSinceMidnight_)
        return QTime::currentTime();
    const int seconds = secondsSinceMidnight_();
    if (seconds < 0 || seconds >= 24 * 60 * 60)
        return QTime();  // refused by the automatic name
    return QTime::fromMSecsSinceStartOfDay(seconds * 1000);
}

void FrmPrint::failToSave(const QString& reason) {
    QString text = QStringLiteral("保存できません。");
    if (!reason.isEmpty())
        text += QStringLiteral("\n") + reason;
    dialogs_.inform(this, kTitle, text, MessageIcon::Exclamation);
}

void FrmPrint::saveColourInformation() {
    const std::optional<SheetSize> size = sheetSize();
    if (!size) {
        failToSave(QStringLiteral("１枚分の大きさ（dot数）は、横も縦も1以上の整数で指定して"
                                  "下さい。（横：%1、縦：%2）")
                       .arg(sheetWidthText(), sheetHeightText()));
        return;
    }
    // Everything is counted and checked before anything is asked or written.
    Result<ReportContents> contents = [&] {
        BusyCursor busy;
        return prepareReportContents(converted_, sharedState().pictureTable(), settingsLine_,
                                     *size);
    }();
    if (!contents) {
        failToSave(japaneseReason(contents.error()));
        return;
    }

    const QString currentFile = sharedState().currentFileName;
    QString targetPath = currentFile;
    if (saveModes_[1]->isChecked()) {
        targetPath = QDir::toNativeSeparators(
            dialogs_.saveFile(this, QStringLiteral("色情報保存"),
                              getFolderPath(currentFile) + getFileName(currentFile, 1),
                              QStringLiteral("情報ﾌｧｲﾙ (*.txt)")));
        if (targetPath.isEmpty()) {
            failToSave(QString());  // a cancelled dialog saves nothing
            return;
        }
    }
    Result<ReportTarget> target = reportTarget(targetPath);
    if (!target) {
        failToSave(japaneseReason(target.error()));
        return;
    }
    if (reportFilesExist(target->basePath())) {
        const MessageAnswer answer = dialogs_.message(
            this, QStringLiteral("上書き確認"), overwriteQuestionText(target->base),
            MessageIcon::Exclamation, MessageButtons::YesNoCancel);
        if (answer == MessageAnswer::Cancel)
            return;
        if (answer == MessageAnswer::No) {
            Result<QString> base = automaticBase(*target, timeOfDay());
            if (!base) {
                failToSave(japaneseReason(base.error()));
                return;
            }
            target->base = *base;
        }
    }
    Result<void> written = [&] {
        BusyCursor busy;
        return writeReportContents(target->basePath(), *contents, converted_);
    }();
    if (!written) {
        failToSave(japaneseReason(written.error()));
        return;
    }
    dialogs_.inform(this, kTitle, savedMessageText(*target), MessageIcon::None);
}

}  // namespace kirimo::ui
