#include "ui/frm_sealprint.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/picture_file.h"
#include "printing/page_renderer.h"
#include "ui/busy_cursor.h"
#include "ui/dialogs.h"
#include "ui/japanese_reasons.h"
#include "ui/print_dialogs.h"
#include "ui/widget_names.h"

namespace kirimo::ui {

namespace {

const QString kTitle = QStringLiteral("Kirimo");

// A sheet count as typed: any integer (below 1 prints nothing), or nothing.
std::optional<int> parseSheetCount(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

FrmSealPrint::FrmSealPrint(Dialogs& dialogs, PrintDialogs& printDialogs, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      printDialogs_(printDialogs),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setObjectName(QStringLiteral("frmSEALPRINT"));
    setWindowTitle(QStringLiteral("シール印刷"));
    printer_->setDocName(windowTitle());
    buildControls();
    updateCounts();
}

FrmSealPrint::~FrmSealPrint() = default;

void FrmSealPrint::buildControls() {
    auto* listCaption = new QLabel(QStringLiteral("画像ﾌｧｲﾙ"), this);
    names_ = named(new QListWidget(this), "lstFILE(0)");
    names_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    names_->setAcceptDrops(false);
    paths_ = named(new QListWidget(this), "lstFILE(1)");
    paths_->hide();

    picture_ = named(new QLabel(this), "imgGAZOU");
    picture_->setFixedSize(160, 160);
    picture_->setFrameShape(QFrame::Box);
    picture_->setAlignment(Qt::AlignCenter);

    auto* sizeCaption = new QLabel(QStringLiteral("1枚の大きさ(mm)"), this);
    width_ = named(new QLineEdit(QStringLiteral("10"), this), "txtX");
    height_ = named(new QLineEdit(QStringLiteral("10"), this), "txtY");
    for (QLineEdit* box : {width_, height_})
        box->setMaximumWidth(60);
    auto* times = new QLabel(QStringLiteral("×"), this);
    auto* sheetsCaption = new QLabel(QStringLiteral("枚数"), this);
    sheets_ = named(new QLineEdit(QStringLiteral("1"), this), "txtMAI");
    sheets_->setMaximumWidth(60);
    landscape_ = named(new QCheckBox(QStringLiteral("用紙横"), this), "Check1");
    cutLines_ = named(new QCheckBox(QStringLiteral("区切り線を引く"), this), "chkLINE");
    grid_ = named(new QLabel(this), "Label4");
    total_ = named(new QLabel(this), "Label5");
    auto* print = named(new QPushButton(QStringLiteral("印刷"), this), "cmdPRINT");
    auto* close = named(new QPushButton(QStringLiteral("閉じる"), this), "cmdCLOSE");

    auto* left = new QVBoxLayout;
    left->addWidget(listCaption);
    left->addWidget(names_);
    auto* size = new QHBoxLayout;
    size->addWidget(width_);
    size->addWidget(times);
    size->addWidget(height_);
    size->addStretch();
    auto* count = new QHBoxLayout;
    count->addWidget(sheetsCaption);
    count->addWidget(sheets_);
    count->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print);
    buttons->addWidget(close);
    auto* right = new QVBoxLayout;
    right->addWidget(picture_);
    right->addWidget(sizeCaption);
    right->addLayout(size);
    right->addLayout(count);
    right->addWidget(landscape_);
    right->addWidget(cutLines_);
    right->addWidget(grid_);
    right->addWidget(total_);
    right->addStretch();
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);

    connect(width_, &QLineEdit::textChanged, this, &FrmSealPrint::updateCounts);
    connect(height_, &QLineEdit::textChanged, this, &FrmSealPrint::updateCounts);
    connect(landscape_, &QCheckBox::toggled, this, &FrmSealPrint::updateCounts);
    connect(names_, &QListWidget::itemClicked, this, &FrmSealPrint::showEntry);
    connect(print, &QPushButton::clicked, this, &FrmSealPrint::print);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void FrmSealPrint::setPictures(const std::vector<SlotPicture>& pictures) {
    names_->clear();
    paths_->clear();
    for (const SlotPicture& picture : pictures) {
        names_->addItem(picture.fileName);
        paths_->addItem(picture.path);
    }
    picture_->clear();
    if (!pictures.empty())
        showPicture(0);
}

printing::PageOrientation FrmSealPrint::orientation() const {
    return landscape_->isChecked() ? printing::PageOrientation::Landscape
                                   : printing::PageOrientation::Portrait;
}

QSizeF FrmSealPrint::printableArea() {
    printer_->setPageOrientation(landscape_->isChecked() ? QPageLayout::Landscape
                                                         : QPageLayout::Portrait);
    return printer_->pageLayout().paintRect(QPageLayout::Millimeter).size();
}

void FrmSealPrint::updateCounts() {
    const auto w = printing::parseStickerSide(width_->text());
    const auto h = printing::parseStickerSide(height_->text());
    if (!w || !h)
        return;
    const auto counts = printing::stickerCounts(printableArea(), *w, *h);
    grid_->setText(printing::stickerGridLabel(*counts));
    total_->setText(printing::stickerTotalLabel(*counts));
}

void FrmSealPrint::showEntry() {
    const int row = names_->currentRow();
    if (row >= 0 && names_->currentItem()->isSelected())
        showPicture(row);
}

bool FrmSealPrint::showPicture(int index) {
    auto image = loadPictureImage(paths_->item(index)->text());
    if (!image) {
        picture_->clear();
        dialogs_.inform(
            this, kTitle,
            QStringLiteral("次の画像ﾌｧｲﾙを読み込めません。\n%1").arg(paths_->item(index)->text()),
            MessageIcon::Exclamation);
        return false;
    }
    picture_->setPixmap(QPixmap::fromImage(
        image->scaled(picture_->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    return true;
}

void FrmSealPrint::print() {
    printing::StickerOptions options;
    const auto w = printing::parseStickerSide(width_->text());
    const auto h = printing::parseStickerSide(height_->text());
    if (!w || !h) {
        dialogs_.inform(this, kTitle,
                        QStringLiteral("1枚の大きさは1以上の整数(mm)で入力して下さい。"),
                        MessageIcon::Exclamation);
        return;
    }
    if (!printing::stickerHasRoom(*w, *h)) {
        dialogs_.inform(this, kTitle,
                        QStringLiteral("1枚の大きさが小さすぎます。右と下の1mmはｼｰﾙの間の余白に"
                                       "なるため、縦横とも2mm以上で入力して下さい。"),
                        MessageIcon::Exclamation);
        return;
    }
    const auto sheets = parseSheetCount(sheets_->text());
    if (!sheets) {
        dialogs_.inform(this, kTitle, QStringLiteral("枚数は整数で入力して下さい。"),
                        MessageIcon::Exclamation);
        return;
    }
    options.widthMm = *w;
    options.heightMm = *h;
    options.sheets = *sheets;
    options.orientation = orientation();
    options.cutLines = cutLines_->isChecked();

    // A job of too many pages is refused before any picture is read.
    int selected = 0;
    for (int i = 0; i < names_->count(); ++i)
        selected += names_->item(i)->isSelected() ? 1 : 0;
    if (const int64_t pages =
            printing::stickerPageCount(static_cast<size_t>(selected), options.sheets);
        pages > printing::kMaxDocumentPages) {
        dialogs_.inform(this, kTitle,
                        QStringLiteral("印刷するﾍﾟｰｼﾞが多すぎます（%1ﾍﾟｰｼﾞ）。一度に印刷できるのは"
                                       "%2ﾍﾟｰｼﾞまでです。枚数か画像の数を減らして下さい。")
                            .arg(pages)
                            .arg(printing::kMaxDocumentPages),
                        MessageIcon::Exclamation);
        return;
    }

    // Every selected picture, read before the printer is asked for: one that cannot be
    // read is named instead of printing another in its place.
    std::vector<QImage> pictures;
    QStringList unreadable;
    QString firstPath;
    {
        BusyCursor busy;
        for (int i = 0; i < names_->count(); ++i) {
            if (!names_->item(i)->isSelected())
                continue;
            if (firstPath.isEmpty())
                firstPath = paths_->item(i)->text();
            auto image = loadPictureImage(paths_->item(i)->text());
            if (image) {
                pictures.push_back(std::move(*image));
                picture_->setPixmap(QPixmap::fromImage(pictures.back().scaled(
                    picture_->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
            } else {
                unreadable.append(paths_->item(i)->text());
            }
        }
    }
    if (!unreadable.isEmpty()) {
        dialogs_.inform(this, kTitle,
                        QStringLiteral("次の画像ﾌｧｲﾙを読み込めません。\n%1")
                            .arg(unreadable.join(QLatin1Char('\n'))),
                        MessageIcon::Exclamation);
        return;
    }
    if (pictures.empty() || options.sheets < 1)
        return;  // an empty job: nothing to print

    printableArea();
    // Printed to a file, the sheets are offered as the first picture's name with
    // "_stickers.pdf" in its folder (the dialogs name the file after the document, in the
    // current folder).
    printer_->setDocName(QFileInfo(firstPath).completeBaseName() + QStringLiteral("_stickers.pdf"));
    const QString current = QDir::currentPath();
    QDir::setCurrent(QFileInfo(firstPath).absolutePath());
    const bool chosen = printDialogs_.choosePrinter(this, *printer_);
    QDir::setCurrent(current);
    if (!chosen)
        return;
    // The direction is the window's, whatever the dialog left; the area is the chosen
    // printer's.
    const QSizeF area = printableArea();
    if (options.widthMm > area.width() || options.heightMm > area.height()) {
        dialogs_.inform(this, kTitle, QStringLiteral("1枚の大きさが用紙の印刷範囲を超えています。"),
                        MessageIcon::Exclamation);
        return;
    }
    printing::StickerPages pages(pictures, area, options);
    BusyCursor busy;
    if (auto printed = printing::printPages(pages, *printer_); !printed) {
        dialogs_.inform(
            this, kTitle,
            QStringLiteral("印刷できませんでした。\n%1").arg(japaneseReason(printed.error())),
            MessageIcon::Exclamation);
    }
}

void showStickerWindow(Dialogs& dialogs, PrintDialogs& printDialogs,
                       const std::vector<SlotPicture>& pictures, QWidget* parent) {
    FrmSealPrint window(dialogs, printDialogs, parent);
    window.setPictures(pictures);
    window.exec();
}

}  // namespace kirimo::ui
