#include "ui/frm_a4print.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "core/number_rules.h"
#include "core/shared_state.h"
#include "printing/chart_images.h"
#include "printing/page_renderer.h"
#include "reports/sheet_size_text.h"
#include "ui/busy_cursor.h"
#include "ui/dialogs.h"
#include "ui/frm_printinfo.h"
#include "ui/japanese_reasons.h"
#include "ui/print_dialogs.h"
#include "ui/twips.h"
#include "ui/widget_names.h"

namespace kirimo::ui {

namespace {

const QString kTitle = QStringLiteral("Kirimo");

constexpr int kCellMin = printing::kCellSideMin;
constexpr int kCellMax = printing::kCellSideMax;

// The program's Japanese Gothic: the font of chart images without a symbol font name.
QString japaneseGothic() {
    const QString installed = QStringLiteral("IPAexGothic");
    if (QFontDatabase::families().contains(installed))
        return installed;
    return QApplication::font().family();
}

// How a message names a printer: its output file when it prints to a file.
QString printerName(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return printer.outputFileName();
    return printer.printerName();
}

// PrintInfo.ini in the current folder; nothing when that folder is gone (a folder that
// was removed while it was current has no path, and the file must not land elsewhere).
std::optional<QString> printInfoPath() {
    const QString folder = QDir::currentPath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return std::nullopt;
    return QDir(folder).filePath(QLatin1String(kPrintInfoFileName));
}

// A vertical scroll bar used as a spin control: the upper arrow raises the value, and
// the highest value puts the handle at the top.
class SpinScrollBar : public QScrollBar {
  public:
    explicit SpinScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
        setInvertedAppearance(true);
        setInvertedControls(true);
        connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
            switch (action) {
                case SliderSingleStepSub:
                    setSliderPosition(value() + singleStep());
                    break;
                case SliderSingleStepAdd:
                    setSliderPosition(value() - singleStep());
                    break;
                case SliderPageStepSub:
                    setSliderPosition(value() + pageStep());
                    break;
                case SliderPageStepAdd:
                    setSliderPosition(value() - pageStep());
                    break;
                default:
                    break;
            }
        });
    }
};

// The value a cell-size text stands for: rounded half to even, when it is a number from
// 0 to 200.
std::optional<int> cellValue(const QString& text) {
    const auto value = parseInt32(text);
    if (!value || *value < kCellMin || *value > kCellMax)
        return std::nullopt;
    return *value;
}

}  // namespace

FrmA4Print::FrmA4Print(AppEnvironment environment, SheetSizeTexts sheetSize, QWidget* parent)
    : QDialog(parent),
      env_(std::move(environment)),
      printDialogs_(env_.printDialogs ? *env_.printDialogs : defaultPrintDialogs()),
      sheetTexts_(std::move(sheetSize)) {
    setObjectName(QStringLiteral("frmA4Print"));
    setWindowTitle(QStringLiteral("A4用紙に合わせて印刷"));
    setModal(true);
    buildControls();
    // The client area is the window's height less its caption bar.
    setFixedSize(twipsToPixels(8400), twipsToPixels(4850));

    // The cells are sized for the default printer: its printable area and the label band
    // measured on it.
    {
        QPrinter printer(QPrinter::HighResolution);
        defaultLabelHeight_ = printing::labelHeightMm(printing::deviceTextMeasure(printer));
        for (int i = 0; i < 2; ++i) {
            QPageLayout layout = printer.pageLayout();
            layout.setPageSize(QPageSize(QPageSize::A4));
            layout.setOrientation(i == 0 ? QPageLayout::Landscape : QPageLayout::Portrait);
            defaultPrintable_[static_cast<size_t>(i)] =
                layout.paintRect(QPageLayout::Millimeter).size();
        }
    }

    const auto optionsFile = printInfoPath();
    showPrintInfo(optionsFile ? readPrintInfoFile(*optionsFile) : PrintInfo{});
    word_->setCurrentIndex(0);
    showLargestCellSize();
    fillPageList();
}

FrmA4Print::~FrmA4Print() = default;

void FrmA4Print::buildControls() {
    auto* paper = named(new QGroupBox(QStringLiteral("用紙設定"), this), "Frame1");
    auto* paperGrid = new QGridLayout(paper);
    paperGrid->addWidget(named(new QLabel(QStringLiteral("用紙方向"), paper), "Label5"), 0, 0, 1,
                         2);
    auto* orientationGroup = new QButtonGroup(this);
    const QString orientationCaptions[] = {QStringLiteral("横"), QStringLiteral("縦")};
    for (int i = 0; i < 2; ++i) {
        orientation_[i] = new QRadioButton(orientationCaptions[i], paper);
        orientation_[i]->setObjectName(indexed("optA4", i));
        orientationGroup->addButton(orientation_[i], i);
        paperGrid->addWidget(orientation_[i], 1, i * 3, 1, 3);
    }
    orientation_[0]->setChecked(true);
    connect(orientationGroup, &QButtonGroup::idClicked, this,
            [this](int) { showLargestCellSize(); });

    paperGrid->addWidget(named(new QLabel(QStringLiteral("区切り（mm）"), paper), "Label6"), 2, 0,
                         1, 6);
    const char* axisLabels[] = {"Label7", "Label9"};
    const QString axisCaptions[] = {QStringLiteral("横"), QStringLiteral("縦")};
    const char* textNames[] = {"txtYOKOSEP", "txtTATESEP"};
    const char* spinNames[] = {"scrYK", "scrTT"};
    for (int axis = 0; axis < 2; ++axis) {
        paperGrid->addWidget(named(new QLabel(axisCaptions[axis], paper), axisLabels[axis]), 3,
                             axis * 3);
        cellText_[axis] = named(new QLineEdit(paper), textNames[axis]);
        cellText_[axis]->setAlignment(Qt::AlignRight);
        cellText_[axis]->setFixedWidth(44);
        paperGrid->addWidget(cellText_[axis], 3, axis * 3 + 1);
        auto* spin = named(new SpinScrollBar(paper), spinNames[axis]);
        spin->setRange(kCellMin, kCellMax);
        spin->setFixedSize(16, 26);
        cellSpin_[axis] = spin;
        paperGrid->addWidget(spin, 3, axis * 3 + 2);
        connect(cellText_[axis], &QLineEdit::textChanged, this, [this, axis] { onCellText(axis); });
        connect(spin, &QScrollBar::valueChanged, this, [this, axis] { onCellScroll(axis); });
    }
    paperGrid->setColumnStretch(6, 1);

    auto* options = named(new QGroupBox(QStringLiteral("ｵﾌﾟｼｮﾝ"), this), "Frame2");
    auto* optionRows = new QVBoxLayout;
    optionRows->setSpacing(2);

    auto* useModeGroup = new QButtonGroup(this);
    auto* useModeRow = new QHBoxLayout;
    const QString useCaptions[] = {QStringLiteral("文字使用"), QStringLiteral("画像使用")};
    for (int i = 0; i < 2; ++i) {
        useMode_[i] = new QRadioButton(useCaptions[i], options);
        useMode_[i]->setObjectName(indexed("optUSEMODE", i));
        useModeGroup->addButton(useMode_[i], i);
        useModeRow->addWidget(useMode_[i]);
    }
    useModeRow->addStretch();
    useMode_[0]->setChecked(true);
    optionRows->addLayout(useModeRow);

    auto* colourRow = new QHBoxLayout;
    colour_ = named(new QCheckBox(QStringLiteral("文字をｶﾗｰで印刷"), options), "chkCOLOR");
    word_ = named(new QComboBox(options), "cboWORD");
    word_->addItems({QStringLiteral("色名"), QStringLiteral("■"), QStringLiteral("●")});
    colourRow->addWidget(colour_);
    colourRow->addWidget(word_);
    colourRow->addStretch();
    optionRows->addLayout(colourRow);

    fillCell_ =
        named(new QCheckBox(QStringLiteral("ﾏｽ一杯に文字を印字する"), options), "chkFONTSIZE");
    optionRows->addWidget(fillCell_);

    gridLines_ = named(new QCheckBox(QStringLiteral("区切り線を引く"), options), "chkLINE");
    optionRows->addWidget(gridLines_);
    lineMode_ = named(new QWidget(options), "picLINEMODE");
    auto* lineRow = new QHBoxLayout(lineMode_);
    lineRow->setContentsMargins(20, 0, 0, 0);
    auto* lineGroup = new QButtonGroup(this);
    const QString lineCaptions[] = {QStringLiteral("実線"), QStringLiteral("点線")};
    for (int i = 0; i < 2; ++i) {
        lineStyle_[i] = new QRadioButton(lineCaptions[i], lineMode_);
        lineStyle_[i]->setObjectName(indexed("optLINE", i));
        lineGroup->addButton(lineStyle_[i], i);
        lineRow->addWidget(lineStyle_[i]);
    }
    lineRow->addStretch();
    lineStyle_[0]->setChecked(true);
    // Kept in its place while hidden, so that the rows below do not move.
    QSizePolicy keepPlace = lineMode_->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    lineMode_->setSizePolicy(keepPlace);
    optionRows->addWidget(lineMode_);

    noWhite_ =
        named(new QCheckBox(QStringLiteral("「白」の文字は印刷しない"), options), "chkWHITE");
    optionRows->addWidget(noWhite_);
    skipWhitePages_ =
        named(new QCheckBox(QStringLiteral("全て白のページは印刷しない"), options), "chkALLWHITE");
    optionRows->addWidget(skipWhitePages_);
    checkedOnly_ =
        named(new QCheckBox(QStringLiteral("ﾁｪｯｸのついた用紙だけ印刷"), options), "chkPR");
    optionRows->addWidget(checkedOnly_);
    cover_ = named(new QCheckBox(QStringLiteral("表紙を付ける"), options), "chkCOVER");
    optionRows->addWidget(cover_);
    legend_ = named(new QCheckBox(QStringLiteral("凡例を付ける"), options), "chkLEGEND");
    optionRows->addWidget(legend_);
    boldTens_ = named(new QCheckBox(QStringLiteral("10ﾏｽごとに太線"), options), "chkBOLD10");
    optionRows->addWidget(boldTens_);
    fillColour_ = named(new QCheckBox(QStringLiteral("ﾏｽを色で塗る"), options), "chkFILLCOL");
    optionRows->addWidget(fillColour_);
    optionRows->addStretch();

    pages_ = named(new QListWidget(options), "lstPRDATA");
    pages_->setFixedWidth(twipsToPixels(1500));

    auto* optionColumns = new QHBoxLayout(options);
    optionColumns->addLayout(optionRows, 1);
    optionColumns->addWidget(pages_);

    connect(colour_, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            word_->setCurrentIndex(0);
        word_->setEnabled(on);
    });
    connect(gridLines_, &QCheckBox::toggled, lineMode_, &QWidget::setVisible);
    connect(checkedOnly_, &QCheckBox::toggled, pages_, &QWidget::setEnabled);
    connect(useModeGroup, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            saveImages_->setEnabled(id == 0);
    });

    auto* startPrint = named(new QPushButton(QStringLiteral("印刷"), this), "cmdPRTSTART");
    auto* showPreview = named(new QPushButton(QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ"), this), "cmdPREVIEW");
    saveImages_ = named(new QPushButton(QStringLiteral("画像保存"), this), "cmdGSAVE");
    auto* symbols = named(new QPushButton(QStringLiteral("色記号ｾｯﾄ"), this), "cmdMJSET");
    auto* close = named(new QPushButton(QStringLiteral("閉じる"), this), "cmdCLOSE");
    for (QPushButton* button : {startPrint, showPreview, saveImages_, symbols, close})
        button->setAutoDefault(false);
    connect(startPrint, &QPushButton::clicked, this, &FrmA4Print::print);
    connect(showPreview, &QPushButton::clicked, this, &FrmA4Print::preview);
    connect(saveImages_, &QPushButton::clicked, this, &FrmA4Print::saveImages);
    connect(symbols, &QPushButton::clicked, this, &FrmA4Print::showColourSymbols);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QGridLayout;
    buttons->addWidget(startPrint, 0, 0);
    buttons->addWidget(showPreview, 0, 1);
    buttons->addWidget(saveImages_, 1, 0);
    buttons->addWidget(symbols, 1, 1);
    buttons->addWidget(close, 3, 1);
    buttons->setRowStretch(2, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(paper);
    left->addLayout(buttons, 1);
    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left);
    columns->addWidget(options, 1);
}

void FrmA4Print::showPrintInfo(const PrintInfo& info) {
    colour_->setChecked(info.colour);
    fillCell_->setChecked(info.fillCell);
    gridLines_->setChecked(info.gridLines);
    lineStyle_[info.lineStyle == ChartLineStyle::Solid ? 0 : 1]->setChecked(true);
    checkedOnly_->setChecked(info.checkedPagesOnly);
    noWhite_->setChecked(info.skipWhiteCharacters);
    skipWhitePages_->setChecked(info.skipWhitePages);
    cover_->setChecked(info.cover);
    legend_->setChecked(info.legend);
    boldTens_->setChecked(info.boldTens);
    fillColour_->setChecked(info.fillColour);
    // The dependent controls follow the boxes as a click on each would leave them.
    if (!info.colour)
        word_->setCurrentIndex(0);
    word_->setEnabled(info.colour);
    lineMode_->setVisible(info.gridLines);
    pages_->setEnabled(info.checkedPagesOnly);
}

PrintInfo FrmA4Print::printInfo() const {
    PrintInfo info;
    info.colour = colour_->isChecked();
    info.fillCell = fillCell_->isChecked();
    info.gridLines = gridLines_->isChecked();
    info.lineStyle = lineStyle_[0]->isChecked() ? ChartLineStyle::Solid : ChartLineStyle::Dotted;
    info.checkedPagesOnly = checkedOnly_->isChecked();
    info.skipWhiteCharacters = noWhite_->isChecked();
    info.skipWhitePages = skipWhitePages_->isChecked();
    info.cover = cover_->isChecked();
    info.legend = legend_->isChecked();
    info.boldTens = boldTens_->isChecked();
    info.fillColour = fillColour_->isChecked();
    return info;
}

int FrmA4Print::cellWidth() const {
    return cellSpin_[0]->value();
}

int FrmA4Print::cellHeight() const {
    return cellSpin_[1]->value();
}

bool FrmA4Print::portrait() const {
    return orientation_[1]->isChecked();
}

std::optional<SheetSize> FrmA4Print::sheetSize() const {
    if (!sheetTexts_.width || !sheetTexts_.height)
        return std::nullopt;
    return parseSheetSize(sheetTexts_.width(), sheetTexts_.height());
}

printing::PageOrientation FrmA4Print::orientation() const {
    return portrait() ? printing::PageOrientation::Portrait : printing::PageOrientation::Landscape;
}

printing::CellSize FrmA4Print::largestCellSize() const {
    const auto sheet = sheetSize();
    if (!sheet)
        return {};
    return printing::largestCellSize(*sheet, defaultPrintable_[portrait() ? 1 : 0],
                                     defaultLabelHeight_);
}

printing::CellSize FrmA4Print::largestCellSize(const QPrinter& printer) const {
    const auto sheet = sheetSize();
    if (!sheet)
        return {};
    return printing::largestCellSize(*sheet,
                                     printer.pageLayout().paintRect(QPageLayout::Millimeter).size(),
                                     printing::labelHeightMm(printing::deviceTextMeasure(printer)));
}

void FrmA4Print::showLargestCellSize() {
    // A cell is at most 200 mm (a one-dot sheet would allow more), so that the boxes
    // show the size in use.
    const printing::CellSize largest = largestCellSize();
    cellText_[0]->setText(QString::number(std::min(largest.width, kCellMax)));
    cellText_[1]->setText(QString::number(std::min(largest.height, kCellMax)));
}

void FrmA4Print::fillPageList() {
    BusyCursor busy;
    pages_->clear();
    const auto sheet = sheetSize();
    if (!sheet)
        return;
    const SharedState& state = sharedState();
    for (const QString& label :
         printing::pageListLabels(state.pictureWidth, state.pictureHeight, *sheet)) {
        auto* item = new QListWidgetItem(label, pages_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

std::vector<bool> FrmA4Print::checkedPages() const {
    std::vector<bool> checked(static_cast<size_t>(pages_->count()));
    for (int i = 0; i < pages_->count(); ++i)
        checked[static_cast<size_t>(i)] = pages_->item(i)->checkState() == Qt::Checked;
    return checked;
}

void FrmA4Print::onCellText(int axis) {
    if (const auto value = cellValue(cellText_[axis]->text()))
        cellSpin_[axis]->setValue(*value);
}

void FrmA4Print::onCellScroll(int axis) {
    // A text that already stands for the value (such as "12.4" for 12) is left as typed.
    const int value = cellSpin_[axis]->value();
    if (cellValue(cellText_[axis]->text()) != value)
        cellText_[axis]->setText(QString::number(value));
}

bool FrmA4Print::checkCellSize() {
    // A sheet size that is not a positive whole number leaves no room for any cell.
    return passes(sheetSize()
                      ? printing::checkChartSize({cellWidth(), cellHeight()}, largestCellSize())
                      : printing::ChartCheck::ZeroCell);
}

bool FrmA4Print::checkCellSizeOn(const QPrinter& printer) {
    // The printer chosen may hold less than the default one: refused rather than clipped.
    return passes(printing::checkChartSize({cellWidth(), cellHeight()}, largestCellSize(printer)));
}

bool FrmA4Print::passes(printing::ChartCheck check) {
    if (check == printing::ChartCheck::Ok)
        return true;
    const printing::ChartCheckMessage message = printing::chartCheckMessage(check);
    env_.dialogs->inform(this, message.title, message.text,
                         message.exclamation ? MessageIcon::Exclamation : MessageIcon::None);
    return false;
}

FrmA4Print::EveryPage FrmA4Print::askEveryPage() {
    const std::vector<bool> ticked = checkedPages();
    if (!checkedOnly_->isChecked() || ticked.empty() ||
        std::find(ticked.begin(), ticked.end(), true) != ticked.end())
        return EveryPage::NotAsked;
    const MessageAnswer answer = env_.dialogs->message(
        this, kTitle,
        QStringLiteral("印刷するページがありません。\n"
                       "「ﾁｪｯｸのついた用紙だけ印刷」がオンで、一覧の用紙にﾁｪｯｸがありません。\n"
                       "すべての用紙を印刷しますか。"),
        MessageIcon::Question, MessageButtons::YesNo);
    return answer == MessageAnswer::Yes ? EveryPage::Yes : EveryPage::No;
}

printing::ChartOptions FrmA4Print::chartOptions() const {
    const PrintInfo info = printInfo();
    printing::ChartOptions options;
    options.orientation = orientation();
    options.cell = {cellWidth(), cellHeight()};
    options.colour = info.colour;
    options.fillCell = info.fillCell;
    options.lines = info.gridLines;
    options.lineStyle = info.lineStyle == ChartLineStyle::Solid ? printing::LineStyle::Solid
                                                                : printing::LineStyle::Dotted;
    options.printOnlyChecked = info.checkedPagesOnly;
    options.checkedPages = checkedPages();
    options.noWhite = info.skipWhiteCharacters;
    options.skipWhitePages = info.skipWhitePages;
    options.cover = info.cover;
    options.legend = info.legend;
    options.boldEvery = info.boldTens ? 10 : 0;
    options.usage =
        useMode_[0]->isChecked() ? printing::UsageMode::Characters : printing::UsageMode::Pictures;
    return options;
}

Result<printing::ChartPages> FrmA4Print::pagesFor(const QPrinter& device, std::mt19937& random,
                                                  bool everyPage) {
    SharedState& state = sharedState();
    // A print run without a symbol font name takes the interface font's and keeps it.
    SymbolSettings& symbols = state.symbolSettings;
    const QString interfaceFont =
        findChild<QPushButton*>(QStringLiteral("cmdPRTSTART"))->font().family();
    if (symbols.fontName.isEmpty())
        symbols.fontName = interfaceFont;
    const auto sheet = sheetSize();
    if (!sheet)
        return makeError("the sheet size is not a positive whole number");
    printing::ChartContext context;
    context.colourTable = &state.pictureTable();
    context.symbols = &symbols;
    context.fallbackFontFamily = interfaceFont;
    context.measure = printing::deviceTextMeasure(device);
    context.random = printing::uniformRandom(random);
    context.loadPicture = printing::filePictureLoader();
    context.pictureName = QFileInfo(state.currentFileName).fileName();
    printing::ChartOptions options = chartOptions();
    options.printableMm = device.pageLayout().paintRect(QPageLayout::Millimeter).size();
    if (everyPage)
        options.printOnlyChecked = false;
    return printing::ChartPages::create(state.workPixels, *sheet, options, context);
}

bool FrmA4Print::checkPageCount() {
    const SharedState& state = sharedState();
    const auto sheet = sheetSize();
    if (!sheet)
        return true;  // refused with its own message when the pages are made
    auto grid = SheetGrid::create(state.workPixels.width(), state.workPixels.height(), *sheet);
    const printing::ChartOptions options = chartOptions();
    if (!grid || options.skipWhitePages)
        return true;  // white sheets are counted when the pages are made
    const int64_t pages = printing::chartSheetPages(*grid, options) + (options.cover ? 1 : 0);
    if (pages <= printing::kMaxDocumentPages)
        return true;
    env_.dialogs->inform(this, kTitle,
                         QStringLiteral("ﾍﾟｰｼﾞ数が多すぎます（%1ﾍﾟｰｼﾞ）。一度に印刷できるのは"
                                        "%2ﾍﾟｰｼﾞまでです。１枚分のdot数を大きくするか、印刷する"
                                        "用紙を選んで下さい。")
                             .arg(pages)
                             .arg(printing::kMaxDocumentPages),
                         MessageIcon::Exclamation);
    return false;
}

void FrmA4Print::setUpPrinter(QPrinter& printer) const {
    printing::PagePlan page;
    page.orientation = orientation();
    printing::applyPageSetup(printer, page, false);
    // Printed to a file, the chart is offered as the picture's name with "_chart.pdf" in the
    // picture's folder (the dialogs name the file after the document, in the current
    // folder).
    const QString picture = sharedState().currentFileName;
    printer.setDocName(picture.isEmpty()
                           ? windowTitle()
                           : QFileInfo(picture).completeBaseName() + QStringLiteral("_chart.pdf"));
}

bool FrmA4Print::choosePrinter(QPrinter& printer) {
    const QString picture = sharedState().currentFileName;
    const QString current = QDir::currentPath();
    if (!picture.isEmpty())
        QDir::setCurrent(QFileInfo(picture).absolutePath());
    const bool chosen = printDialogs_.choosePrinter(this, printer);
    QDir::setCurrent(current);
    return chosen;
}

void FrmA4Print::print() {
    if (!checkCellSize() || !checkPageCount())
        return;
    const EveryPage every = askEveryPage();
    if (every == EveryPage::No)
        return;
    const bool everyPage = every == EveryPage::Yes;
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    if (!choosePrinter(printer) || !checkCellSizeOn(printer))
        return;
    std::optional<BusyCursor> busy(std::in_place);
    auto pages = pagesFor(printer, sharedState().random, everyPage);
    if (!pages) {
        busy.reset();
        showFailure(QStringLiteral("印刷できません。"), japaneseReason(pages.error()));
        return;
    }
    if (pages->pageCount() == 0) {
        busy.reset();
        env_.dialogs->inform(this, kTitle, QStringLiteral("印刷するページがありません。"),
                             MessageIcon::Information);
        return;
    }
    // The page the chart was made for, whatever the printer dialog left. The pages are
    // made and printed one at a time.
    printing::applyPageSetup(printer, pages->paperSizeMm(), pages->orientation(), false);
    const Result<void> printed = printing::printPages(*pages, printer);
    busy.reset();
    if (!printed)
        showPrintFailure(printer, printed.error());
}

void FrmA4Print::showPrintFailure(const QPrinter& printer, const std::string& why) {
    QString text = QStringLiteral("プリンタを開けません。印刷できませんでした。") + u'\n' +
                   printerName(printer);
    // A PDF file that could not be written says why; the earlier file is still there.
    if (printer.outputFormat() == QPrinter::PdfFormat)
        text += u'\n' + japaneseReason(why);
    env_.dialogs->inform(this, kTitle, text, MessageIcon::Exclamation);
}

void FrmA4Print::preview() {
    if (!checkCellSize() || !checkPageCount())
        return;
    const EveryPage every = askEveryPage();
    if (every == EveryPage::No)
        return;
    const bool everyPage = every == EveryPage::Yes;
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    SharedState& state = sharedState();
    // Every repaint, and printing from the preview, makes the pages again from the same
    // start of the random numbers, so that what is printed is what was shown, random
    // choices included; afterwards the numbers go on from where one whole run left them.
    const std::mt19937 start = state.random;
    std::mt19937 probe = start;
    Result<printing::ChartPages> pages = [&] {
        BusyCursor busy;
        return pagesFor(printer, probe, everyPage);
    }();
    if (!pages) {
        showFailure(QStringLiteral("印刷できません。"), japaneseReason(pages.error()));
        return;
    }
    if (pages->pageCount() == 0) {
        env_.dialogs->inform(this, kTitle, QStringLiteral("印刷するページがありません。"),
                             MessageIcon::Information);
        return;
    }
    printing::applyPageSetup(printer, pages->paperSizeMm(), pages->orientation(), false);
    std::optional<std::mt19937> afterRun;
    printDialogs_.showPreview(this, printer, [&](QPrinter& target) {
        std::mt19937 random = start;
        auto again = pagesFor(printer, random, everyPage);
        const Result<void> printed =
            again ? printing::printPages(*again, target) : Result<void>(makeError(again.error()));
        if (!printed) {
            showPrintFailure(target, printed.error());
            return;
        }
        if (!afterRun)
            afterRun = random;
    });
    if (afterRun)
        state.random = *afterRun;
}

void FrmA4Print::saveImages() {
    SharedState& state = sharedState();
    const QString base = printing::chartImageBase(state.currentFileName,
                                                  QTime(0, 0).addSecs(env_.secondsSinceMidnight()));
    Result<QStringList> saved = makeError("the sheet size is not a positive whole number");
    {
        BusyCursor busy;
        if (const auto sheet = sheetSize()) {
            printing::ChartContext context;
            context.colourTable = &state.pictureTable();
            context.symbols = &state.symbolSettings;
            context.fallbackFontFamily = japaneseGothic();
            context.measure = printing::chartImageTextMeasure();
            context.random = printing::uniformRandom(state.random);
            context.loadPicture = printing::filePictureLoader();
            // Made, painted and saved one image at a time, once they are known to fit.
            auto images = printing::ChartImages::create(state.workPixels, *sheet, orientation(),
                                                        colour_->isChecked(), context);
            if (!images)
                saved = makeError(images.error());
            else if (auto fits = printing::checkChartImagesFit(*images, base); !fits)
                saved = makeError(fits.error());
            else
                saved = printing::saveChartImages(*images, base);
        }
    }
    if (!saved) {
        showFailure(QStringLiteral("保存できません。"), japaneseReason(saved.error()));
        return;
    }
    env_.dialogs->inform(this, kTitle, printing::chartImagesSavedMessage(base), MessageIcon::None);
}

void FrmA4Print::showColourSymbols() {
    showColourSymbolWindow(env_, this);
}

void FrmA4Print::showFailure(const QString& headline, const QString& detail) {
    env_.dialogs->inform(this, kTitle, headline + u'\n' + detail, MessageIcon::Exclamation);
}

void FrmA4Print::writePrintInfo() {
    const auto path = printInfoPath();
    if (!path || !writePrintInfoFile(*path, printInfo())) {
        env_.dialogs->inform(this, QStringLiteral("設定保存"),
                             QStringLiteral("印刷の設定を保存できません。") + u'\n' +
                                 path.value_or(QLatin1String(kPrintInfoFileName)),
                             MessageIcon::Exclamation);
    }
}

void FrmA4Print::done(int result) {
    writePrintInfo();
    QDialog::done(result);
}

}  // namespace kirimo::ui
