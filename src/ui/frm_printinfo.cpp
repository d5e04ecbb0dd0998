#include "ui/frm_printinfo.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/file_names.h"
#include "core/file_system.h"
#include "core/picture_file.h"
#include "core/shared_state.h"
#include "core/symbol_settings_file.h"
#include "imaging/dominant_colour.h"
#include "ui/app_environment.h"
#include "ui/busy_cursor.h"
#include "ui/dialogs.h"
#include "ui/frm_sealprint.h"
#include "ui/japanese_reasons.h"
#include "ui/picture_dialogs.h"
#include "ui/picture_surface.h"
#include "ui/print_dialogs.h"
#include "ui/twips.h"
#include "ui/widget_names.h"

namespace kirimo::ui {

namespace {

const QString kTitle = QStringLiteral("Kirimo");
constexpr int kSlotSide = 84;
constexpr int kColourButtonSide = 26;

// One red line across the picture slot it belongs to: from the top left to the bottom
// right, or from the bottom left to the top right.
class CrossLine : public QWidget {
  public:
    CrossLine(bool falling, QWidget* parent) : QWidget(parent), falling_(falling) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::red, 2));
        const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
        if (falling_)
            painter.drawLine(r.topLeft(), r.bottomRight());
        else
            painter.drawLine(r.bottomLeft(), r.topRight());
    }

  private:
    bool falling_;
};

QString controlName(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

}  // namespace

PictureSlotView::PictureSlotView(QWidget* parent) : QLabel(parent) {
    setAcceptDrops(true);
    setScaledContents(true);
    setFixedSize(kSlotSide, kSlotSide);
    setFrameShape(QFrame::Box);
    setAlignment(Qt::AlignCenter);
}

void PictureSlotView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit rightClicked(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void PictureSlotView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void PictureSlotView::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << QDir::toNativeSeparators(localFilePath(url));
    }
    event->acceptProposedAction();
    if (!paths.isEmpty())
        emit filesDropped(paths);
}

FrmPrintInfo::FrmPrintInfo(Dialogs& dialogs, QString settingsFolder, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), settingsFolder_(std::move(settingsFolder)) {
    setObjectName(QStringLiteral("frmPRINTINFO"));
    setWindowTitle(QStringLiteral("印刷用色識別記号"));
    presentMenu_ = [](QMenu& menu, QPoint position) { menu.exec(position); };
    buildControls();

    const SymbolSettings& settings = sharedState().symbolSettings;
    fontLabel_->setText(settings.fontName.isEmpty() ? fontButton_->font().family()
                                                    : settings.fontName);
    bold_->setChecked(settings.bold != 0);
    italic_->setChecked(settings.italic != 0);
    selectColour(0);
}

void FrmPrintInfo::buildControls() {
    // The frame's caption bar comes on top of this client height.
    setFixedHeight(twipsToPixels(7500));

    auto* explanation =
        new QLabel(QStringLiteral("A4用紙に色情報を印刷するときの文字・画像を決めます"), this);
    explanation->setObjectName(QStringLiteral("lblEXPLAIN"));

    // The colours, each a button filled with its colour.
    auto* colours = new QGridLayout;
    colours->setSpacing(2);
    colourGroup_ = new QButtonGroup(this);
    colourGroup_->setExclusive(true);
    const ColourTable& table = sharedState().colourTable;
    for (int k = 0; k < kColourCount; ++k) {
        auto* button = new QPushButton(this);
        button->setObjectName(controlName("optCOL", k));
        button->setCheckable(true);
        button->setFixedSize(kColourButtonSide, kColourButtonSide);
        button->setToolTip(colourName(k));
        const QColor colour(table[k].red, table[k].green, table[k].blue);
        button->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px "
                                             "solid gray; } QPushButton:checked { border: 3px "
                                             "solid #202020; }")
                                  .arg(colour.name()));
        colourGroup_->addButton(button, k);
        colours->addWidget(button, k / 9, k % 9);
    }
    connect(colourGroup_, &QButtonGroup::idClicked, this, &FrmPrintInfo::selectColour);

    // The ten picture slots with their crosses.
    auto* frame1 = named(new QGroupBox(QStringLiteral("色画像"), this), "Frame1");
    auto* slotGrid = new QGridLayout(frame1);
    for (int i = 0; i < kPictureSlotCount; ++i) {
        auto* view = new PictureSlotView(frame1);
        view->setObjectName(controlName("imgPRINT", i));
        slotGrid->addWidget(view, i / 5, i % 5);
        for (int half = 0; half < 2; ++half) {
            auto* line = new CrossLine(half == 0, view);
            const int index = i + half * kPictureSlotCount;
            line->setObjectName(controlName("linBATU", index));
            line->setGeometry(0, 0, kSlotSide, kSlotSide);
            line->hide();
            crosses_[static_cast<size_t>(index)] = line;
        }
        connect(view, &PictureSlotView::rightClicked, this,
                [this, i](QPoint position) { onSlotRightClicked(i, position); });
        connect(view, &PictureSlotView::filesDropped, this, &FrmPrintInfo::dropFiles);
        slots_[static_cast<size_t>(i)] = view;
    }

    // The character list.
    auto* frame2 = named(new QGroupBox(QStringLiteral("ﾘｽﾄ作成"), this), "Frame2");
    words_ = new QLineEdit(frame2);
    words_->setObjectName(controlName("txtUSEWORD", 0));
    auto* add = named(new QPushButton(QStringLiteral("上の文字列をﾘｽﾄに設定"), frame2), "cmdADD");
    addWords_ = new QLineEdit(frame2);
    addWords_->setObjectName(controlName("txtUSEWORD", 1));
    auto* label4 = named(new QLabel(QStringLiteral("を"), frame2), "Label4");
    auto* newAdd = named(new QPushButton(QStringLiteral("全ての色に追加"), frame2), "cmdNEWADD");
    auto* frame2Layout = new QGridLayout(frame2);
    frame2Layout->addWidget(words_, 0, 0, 1, 3);
    frame2Layout->addWidget(add, 1, 0, 1, 3);
    frame2Layout->addWidget(addWords_, 2, 0);
    frame2Layout->addWidget(label4, 2, 1);
    frame2Layout->addWidget(newAdd, 2, 2);

    auto* label1 = named(new QLabel(QStringLiteral("使用文字"), this), "Label1");
    auto* label3 = named(new QLabel(QStringLiteral("使用する文字にﾁｪｯｸ"), this), "Label3");
    list_ = named(new QListWidget(this), "lstWORD");
    auto* all = named(new QPushButton(QStringLiteral("←すべての色に適用"), this), "cmdALL");

    // The font.
    auto* frame3 = named(new QGroupBox(QStringLiteral("ﾌｫﾝﾄ設定"), this), "Frame3");
    fontButton_ = named(new QPushButton(QStringLiteral("ﾌｫﾝﾄ"), frame3), "cmdFONT");
    fontLabel_ = named(new QLabel(frame3), "lblFONT");
    bold_ = named(new QCheckBox(QStringLiteral("B"), frame3), "chkBOLD");
    italic_ = named(new QCheckBox(QStringLiteral("I"), frame3), "chkITALIC");
    auto* frame3Layout = new QGridLayout(frame3);
    frame3Layout->addWidget(fontButton_, 0, 0);
    frame3Layout->addWidget(fontLabel_, 0, 1, 1, 3);
    frame3Layout->addWidget(bold_, 1, 1);
    frame3Layout->addWidget(italic_, 1, 2);

    auto* folderSet = named(new QPushButton(QStringLiteral("画像自動分類"), this), "cmdFOLDERSET");
    folderSet->setToolTip(QStringLiteral("画像ﾌｧｲﾙの自動分類"));
    sealPrint_ = named(new QPushButton(QStringLiteral("ｼｰﾙ印刷"), this), "cmdSEALPRINT");
    auto* set = named(new QPushButton(QStringLiteral("設定"), this), "cmdSET");
    auto* escape = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), "cmdESC");

    // The work area of the automatic sorting, never shown.
    workArea_ = named(new PictureSurface(this), "picBMP");
    workArea_->hide();

    menu_ = named(new QMenu(this), "mnuSUB");
    auto menuItem = [this](const char* name, const QString& caption, auto handler) {
        QAction* action = menu_->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    menuLoad_ = menuItem("mnuLOAD", QStringLiteral("読み込み"), [this] { loadIntoSlot(); });
    menuCut_ = menuItem("mnuCUT", QStringLiteral("切り取り"), [this] { cutSlot(); });
    menuPaste_ = menuItem("mnuPASTE", QStringLiteral("貼り付け"), [this] { pasteIntoSlot(); });
    menu_->addSeparator();
    menuUse_ = menuItem("mnuCAN", QStringLiteral("使用"), [this] { markSlot(true); });
    menuNotUse_ = menuItem("mnuCANT", QStringLiteral("不使用"), [this] { markSlot(false); });

    // Layout: colours and pictures on the left, the list and its tools on the right.
    auto* left = new QVBoxLayout;
    left->addWidget(explanation);
    left->addLayout(colours);
    left->addWidget(frame1);
    left->addWidget(frame2);
    auto* leftButtons = new QHBoxLayout;
    leftButtons->addWidget(folderSet);
    leftButtons->addWidget(sealPrint_);
    leftButtons->addStretch();
    left->addLayout(leftButtons);
    left->addStretch();

    auto* listHeader = new QHBoxLayout;
    listHeader->addWidget(label1);
    listHeader->addStretch();
    listHeader->addWidget(label3);
    auto* right = new QVBoxLayout;
    right->addLayout(listHeader);
    right->addWidget(list_, 1);
    right->addWidget(all);
    right->addWidget(frame3);
    auto* closeButtons = new QHBoxLayout;
    closeButtons->addStretch();
    closeButtons->addWidget(set);
    closeButtons->addWidget(escape);
    right->addLayout(closeButtons);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);

    connect(add, &QPushButton::clicked, this, [this] {
        ColourSymbols* symbols = currentSymbols();
        if (symbols == nullptr)
            return;
        rebuildList(words_->text());
        symbols->characters = words_->text();
    });
    connect(newAdd, &QPushButton::clicked, this, [this] {
        const QString text = addWords_->text();
        if (text.isEmpty())
            return;
        {
            const QSignalBlocker blocker(list_);
            for (const QString& character : candidateCharacters(text)) {
                auto* item = new QListWidgetItem(character, list_);
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Unchecked);
            }
        }
        for (ColourSymbols& colour : sharedState().symbolSettings.colours)
            colour.characters += text;
        if (current_)
            words_->setText(currentSymbols()->characters);
    });
    connect(list_, &QListWidget::itemChanged, this, [this] {
        if (ColourSymbols* symbols = currentSymbols())
            symbols->flags = flagListFromChecks(checks(), false);
    });
    connect(all, &QPushButton::clicked, this, [this] {
        if (!current_)
            return;
        const QString flags = flagListFromChecks(checks(), true);
        for (ColourSymbols& colour : sharedState().symbolSettings.colours)
            colour.flags = flags;
    });
    connect(fontButton_, &QPushButton::clicked, this, &FrmPrintInfo::chooseFont);
    connect(folderSet, &QPushButton::clicked, this, &FrmPrintInfo::sortPictures);
    connect(sealPrint_, &QPushButton::clicked, this, &FrmPrintInfo::printStickers);
    connect(set, &QPushButton::clicked, this, &FrmPrintInfo::store);
    connect(escape, &QPushButton::clicked, this, &QDialog::reject);
}

ColourSymbols* FrmPrintInfo::currentSymbols() {
    if (!current_)
        return nullptr;
    return &sharedState().symbolSettings.colours[static_cast<size_t>(*current_)];
}

void FrmPrintInfo::selectColour(int colour) {
    if (colour < 0 || colour >= kColourCount)
        return;
    current_ = colour;
    if (QAbstractButton* button = colourGroup_->button(colour))
        button->setChecked(true);
    const ColourSymbols& symbols = *currentSymbols();
    words_->setText(symbols.characters);
    rebuildList(symbols.characters);
    {
        const QSignalBlocker blocker(list_);
        for (int i = 0; i < list_->count(); ++i) {
            list_->item(i)->setCheckState(flagIsUsed(symbols.flags, i) ? Qt::Checked
                                                                       : Qt::Unchecked);
        }
    }
    showSlots();
}

void FrmPrintInfo::rebuildList(const QString& characters) {
    const QSignalBlocker blocker(list_);
    list_->clear();
    for (const QString& character : candidateCharacters(characters)) {
        auto* item = new QListWidgetItem(character, list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

std::vector<bool> FrmPrintInfo::checks() const {
    std::vector<bool> states;
    states.reserve(static_cast<size_t>(list_->count()));
    for (int i = 0; i < list_->count(); ++i)
        states.push_back(list_->item(i)->checkState() == Qt::Checked);
    return states;
}

QImage FrmPrintInfo::slotImage(const QString& path, QSize size) {
    if (auto found = shownImages_.constFind(path); found != shownImages_.constEnd())
        return *found;
    // A small copy is enough for the slot; JPEG pictures decode straight at that size.
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (reader.size().isValid())
        reader.setScaledSize(size);
    QImage image = reader.read();
    shownImages_.insert(path, image);
    return image;
}

void FrmPrintInfo::showSlots() {
    const ColourSymbols* symbols = currentSymbols();
    for (int i = 0; i < kPictureSlotCount; ++i) {
        PictureSlotView* view = slots_[static_cast<size_t>(i)];
        const PictureSlot* slot = symbols ? &symbols->pictures[static_cast<size_t>(i)] : nullptr;
        if (slot == nullptr || slot->isFree()) {
            view->clear();
        } else {
            // A picture that cannot be read leaves the slot empty; its path stays.
            const QImage image = slotImage(slot->path, view->size());
            if (image.isNull())
                view->clear();
            else
                view->setPixmap(QPixmap::fromImage(image));
        }
        const bool crossed = slot != nullptr && !slot->used;
        crosses_[static_cast<size_t>(i)]->setVisible(crossed);
        crosses_[static_cast<size_t>(i + kPictureSlotCount)]->setVisible(crossed);
    }
    const bool hasPictures = symbols != nullptr && !slotPictures(*symbols).empty();
    sealPrint_->setEnabled(!hasPictures || static_cast<bool>(printStickers_));
}

void FrmPrintInfo::setStickerPrinter(std::function<void(const std::vector<SlotPicture>&)> printer) {
    printStickers_ = std::move(printer);
    showSlots();
}

void FrmPrintInfo::onSlotRightClicked(int slot, QPoint globalPosition) {
    const ColourSymbols* symbols = currentSymbols();
    if (symbols == nullptr)
        return;
    menuSlot_ = slot;
    const bool hasPath = !symbols->pictures[static_cast<size_t>(slot)].isFree();
    menuCut_->setEnabled(hasPath);
    menuPaste_->setEnabled(!clipboard_.isEmpty());
    menuUse_->setEnabled(hasPath);
    menuNotUse_->setEnabled(hasPath);
    presentMenu_(*menu_, globalPosition);
}

void FrmPrintInfo::loadIntoSlot() {
    ColourSymbols* symbols = currentSymbols();
    if (symbols == nullptr)
        return;
    const QStringList paths = dialogs_.openFiles(this, QStringLiteral("読み込み"),
                                                 pictureDialogFolder(), pictureFileFilter());
    if (paths.isEmpty())
        return;  // cancelled
    rememberPictureFolder(paths);
    QStringList native;
    for (const QString& path : paths)
        native << QDir::toNativeSeparators(path);
    placePictures(*symbols, menuSlot_, native);
    showSlots();
}

void FrmPrintInfo::cutSlot() {
    ColourSymbols* symbols = currentSymbols();
    if (symbols == nullptr)
        return;
    PictureSlot& slot = symbols->pictures[static_cast<size_t>(menuSlot_)];
    if (slot.isFree())
        return;
    clipboard_ = slot.path;
    slot.path.clear();  // its use flag stays as it was
    showSlots();
}

void FrmPrintInfo::pasteIntoSlot() {
    ColourSymbols* symbols = currentSymbols();
    if (symbols == nullptr || clipboard_.isEmpty())
        return;
    PictureSlot& slot = symbols->pictures[static_cast<size_t>(menuSlot_)];
    if (!slot.isFree()) {
        const MessageAnswer answer = dialogs_.message(
            this, QStringLiteral("画像ｾｯﾄ"), QStringLiteral("現在の設定と置き換えますか？"),
            MessageIcon::Exclamation, MessageButtons::YesNo);
        if (answer != MessageAnswer::Yes)
            return;
    }
    slot = PictureSlot{clipboard_, true};
    clipboard_.clear();
    showSlots();
}

void FrmPrintInfo::markSlot(bool used) {
    ColourSymbols* symbols = currentSymbols();
    if (symbols == nullptr)
        return;
    PictureSlot& slot = symbols->pictures[static_cast<size_t>(menuSlot_)];
    if (slot.isFree())
        return;
    slot.used = used;
    showSlots();
}

void FrmPrintInfo::dropFiles(const QStringList& paths) {
    ColourSymbols* symbols = currentSymbols();
    if (symbols == nullptr)
        return;
    // Only pictures are taken: a folder or a file the picture reader does not know would
    // leave an empty slot that prints nothing.
    QStringList pictures;
    for (const QString& path : paths) {
        if (QFileInfo(path).isFile() && QImageReader(path).canRead())
            pictures << path;
    }
    placePictures(*symbols, firstFreeSlot(*symbols), pictures);
    showSlots();
}

void FrmPrintInfo::chooseFont() {
    SymbolSettings& settings = sharedState().symbolSettings;
    QFont initial = fontButton_->font();
    if (!settings.fontName.isEmpty())
        initial.setFamily(settings.fontName);
    initial.setBold(bold_->isChecked());
    initial.setItalic(italic_->isChecked());
    const auto chosen = dialogs_.chooseFont(this, QStringLiteral("ﾌｫﾝﾄ"), initial);
    if (!chosen)
        return;  // cancelled: the font stays
    settings.fontName = chosen->family();
    fontLabel_->setText(settings.fontName);
}

void FrmPrintInfo::sortPictures() {
    SharedState& state = sharedState();
    // In the folder of the picture last opened, the current picture's name proposed.
    QString start = pictureDialogFolder();
    if (!state.currentFileName.isEmpty())
        start = QDir(start).filePath(getFileName(state.currentFileName, 0));
    const QStringList paths =
        dialogs_.openFiles(this, QStringLiteral("画像ﾌｧｲﾙの自動分類"), start, pictureFileFilter());
    if (paths.isEmpty())
        return;  // cancelled
    rememberPictureFolder(paths);
    QStringList unreadable;
    {
        BusyCursor busy;
        DominantColourFinder finder(state.colourTable.palette());
        PixelBuffer pixels;
        for (const QString& chosen : paths) {
            const QString path = QDir::toNativeSeparators(chosen);
            auto image = loadPictureImage(path);
            if (!image) {
                unreadable << path;
                continue;
            }
            workArea_->setImage(*image);
            workArea_->readPixels(pixels);
            const int colour = finder.dominantColour(pixels);
            ColourSymbols& symbols = state.symbolSettings.colours[static_cast<size_t>(colour)];
            // With all ten slots of the colour taken the picture is not placed.
            placePictures(symbols, firstFreeSlot(symbols), {path});
        }
        workArea_->clearToSize(1, 1);
    }
    showSlots();
    if (!unreadable.isEmpty()) {
        dialogs_.inform(this, kTitle,
                        QStringLiteral("次の画像ﾌｧｲﾙを読み込めません。\n%1")
                            .arg(unreadable.join(QLatin1Char('\n'))),
                        MessageIcon::Exclamation);
    }
}

void FrmPrintInfo::printStickers() {
    const ColourSymbols* symbols = currentSymbols();
    if (symbols == nullptr)
        return;
    const std::vector<SlotPicture> pictures = slotPictures(*symbols);
    if (pictures.empty()) {
        dialogs_.inform(this, kTitle, QStringLiteral("画像ﾌｧｲﾙを設定して下さい。"),
                        MessageIcon::Exclamation);
        return;
    }
    if (printStickers_)
        printStickers_(pictures);
}

void FrmPrintInfo::store() {
    SymbolSettings& settings = sharedState().symbolSettings;
    settings.bold = bold_->isChecked() ? 1 : 0;
    settings.italic = italic_->isChecked() ? 1 : 0;
    QDir::setCurrent(settingsFolder_);
    putColourNamesFirst(settings);
    if (auto written = writeSymbolSettings(settingsFolder_, settings); !written) {
        dialogs_.inform(
            this, kTitle,
            QStringLiteral("設定ﾌｧｲﾙ（%1）を保存できません。")
                    .arg(QDir(settingsFolder_).filePath(QLatin1String(kCodeUsePrintFileName))) +
                QStringLiteral("\n") + japaneseReason(written.error()),
            MessageIcon::Exclamation);
        return;  // the window stays open: nothing is lost
    }
    accept();
}

void showColourSymbolWindow(const AppEnvironment& env, QWidget* parent) {
    FrmPrintInfo symbols(*env.dialogs, env.settingsFolder, parent);
    PrintDialogs& printDialogs = env.printDialogs ? *env.printDialogs : defaultPrintDialogs();
    symbols.setStickerPrinter([&](const std::vector<SlotPicture>& pictures) {
        showStickerWindow(*env.dialogs, printDialogs, pictures, &symbols);
    });
    symbols.exec();
}

}  // namespace kirimo::ui
