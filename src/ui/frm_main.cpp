#include "ui/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "core/colour_sets.h"
#include "core/conversion_texts.h"
#include "core/file_names.h"
#include "core/file_system.h"
#include "core/history_file.h"
#include "core/picture_file.h"
#include "core/shared_state.h"
#include "core/symbol_settings_file.h"
#include "core/text_file.h"
#include "kirimo/version.h"
#include "reports/dot_picture.h"
#include "reports/report_naming.h"
#include "ui/busy_cursor.h"
#include "ui/dialogs.h"
#include "ui/frm_a4print.h"
#include "ui/frm_about.h"
#include "ui/frm_convset.h"
#include "ui/frm_jiguzagu.h"
#include "ui/frm_last.h"
#include "ui/frm_preview.h"
#include "ui/frm_print.h"
#include "ui/frm_printinfo.h"
#include "ui/frm_source.h"
#include "ui/japanese_reasons.h"
#include "ui/picture_dialogs.h"
#include "ui/picture_history.h"
#include "ui/picture_surface.h"
#include "ui/program_icon.h"
#include "ui/twips.h"
#include "ui/window_layout.h"

namespace kirimo::ui {

namespace {

const QString kTitle = QStringLiteral("Kirimo");
// The history window is not made shorter than this to stay below the conversion window.
constexpr int kHistoryShortestHeight = 150;

// The history window only hides when its close box is used; it closes for real when the
// program ends.
class HistorySubWindow : public QMdiSubWindow {
  public:
    using QMdiSubWindow::QMdiSubWindow;
    void release() { releasing_ = true; }

  protected:
    void closeEvent(QCloseEvent* event) override {
        if (releasing_) {
            QMdiSubWindow::closeEvent(event);
            return;
        }
        event->ignore();
        hide();
    }

  private:
    bool releasing_ = false;
};

QString historyPath(const QString& settingsFolder) {
    return QDir(settingsFolder).filePath(QLatin1String(kHistoryFileName));
}

}  // namespace

FrmMain::FrmMain(AppEnvironment environment, QWidget* parent)
    : QMainWindow(parent), env_(std::move(environment)) {
    setObjectName(QStringLiteral("frmMAIN"));
    setWindowTitle(kTitle);
    // Child windows and dialogs take the main window's icon.
    setWindowIcon(programIcon());
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("MDIClient"));
    setCentralWidget(mdi_);
    buildMenus();
    resize(1024, 720);

    sharedState().random.seed(static_cast<uint32_t>(env_.secondsSinceMidnight()));

    // A settings file that is present but cannot be read is kept as it is: the user hears
    // so once, and the program's changes to it are not saved.
    setSettingsRefusalNotifier([this](const QString& path, const std::string& why) {
        env_.dialogs->inform(
            this, kTitle,
            QStringLiteral("設定ﾌｧｲﾙ（%1）を読み込めません。\n"
                           "このﾌｧｲﾙはそのまま残し、このﾌｧｲﾙへの変更は保存しません。\n%2")
                .arg(displayPath(path), japaneseReason(why)),
            MessageIcon::Exclamation);
    });

    // The history window, created hidden.
    history_ = new FrmLast;
    auto* historyFrame = new HistorySubWindow;
    // Made without a parent, the frame would keep Qt's icon.
    historyFrame->setWindowIcon(windowIcon());
    historyFrame->setWidget(history_);
    mdi_->addSubWindow(historyFrame);
    historyFrame_ = historyFrame;
    historyFrame_->hide();
    connect(history_, &FrmLast::entryChosen, this,
            [this](const QString& path) { loadPictureFile(path, false); });

    // The history of earlier runs, kept in the settings folder.
    const QString historyFile = historyPath(env_.settingsFolder);
    if (auto entries = readHistoryFile(historyFile)) {
        history_->setEntries(*entries);
    } else {
        env_.dialogs->inform(this, kTitle,
                             QStringLiteral("履歴ﾌｧｲﾙ（%1）を読み込めません。").arg(historyFile),
                             MessageIcon::Exclamation);
    }

    setWindowTitle(QStringLiteral("%1　Ver %2.%3.%4")
                       .arg(kTitle)
                       .arg(version::kMajor)
                       .arg(version::kMinor)
                       .arg(version::kRevision));
    sharedState().captionHeightTwips =
        pixelsToTwips(style()->pixelMetric(QStyle::PM_TitleBarHeight));

    QDir().mkpath(env_.settingsFolder);
    QDir::setCurrent(env_.settingsFolder);

    sharedState().colourTable.init(env_.settingsFolder);
    loadColourSet();

    // The conversion settings window paints its colour cells and its colour editor from
    // the table as it is created, at the left edge; the history window goes below it.
    QWidget* conversionFrame = conversionWindow()->parentWidget();
    const int conversionBottom = conversionFrame->y() + conversionFrame->height();
    historyFrame_->setFixedWidth(twipsToPixels(3200));
    historyFrame_->resize(twipsToPixels(3200), twipsToPixels(3600));
    historyFrame_->move(0, conversionBottom + twipsToPixels(240));

    readSymbolSettings(env_.settingsFolder, sharedState().symbolSettings);

    sourceWindow();
    // Without a stored symbol font, the font of the conversion window's "色変換" button.
    if (sharedState().symbolSettings.fontName.isEmpty()) {
        if (auto* convert =
                conversionWindow()->findChild<QPushButton*>(QStringLiteral("cmdCOLOR2")))
            sharedState().symbolSettings.fontName = convert->font().family();
    }
    connect(mdi_, &QMdiArea::subWindowActivated, this, &FrmMain::onSubWindowActivated);
    updateCommands();
}

FrmMain::~FrmMain() {
    closingDown_ = true;
    setSettingsRefusalNotifier({});
    // The child windows go after this object's own members: they must not call back.
    if (source_)
        disconnect(source_, nullptr, this, nullptr);
    disconnect(history_, nullptr, this, nullptr);
    disconnect(mdi_, nullptr, this, nullptr);
    if (convset_)
        disconnect(convset_, nullptr, this, nullptr);
    for (FrmPreview* preview : findChildren<FrmPreview*>())
        disconnect(preview, nullptr, this, nullptr);
}

void FrmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    auto submenu = [this](QWidget* parent, const char* name, const QString& caption) {
        auto* menu = new QMenu(caption, parent);
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
        if (auto* parentMenu = qobject_cast<QMenu*>(parent))
            parentMenu->addMenu(menu);
        else
            menuBar()->addMenu(menu);
        return menu;
    };
    auto item = [this](QMenu* menu, const char* name, const QString& caption, auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto press = [this](QMenu* menu, const char* name, const QString& caption, const char* button) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        const QString buttonName = QString::fromLatin1(button);
        connect(action, &QAction::triggered, this,
                [this, buttonName] { pressSourceButton(buttonName); });
    };
    auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    QMenu* file = submenu(bar, "mnuFILE", QStringLiteral("ﾌｧｲﾙ"));
    item(file, "mnuLOAD", QStringLiteral("画像の選択"), [this] { openPicture(); });
    item(file, "mnuOPENDOT", QStringLiteral("ドット絵を開く"), [this] { openDotPicture(); });
    saveAs_ =
        item(file, "mnuGSAVE", QStringLiteral("元ﾃﾞｰﾀを別名保存"), [this] { saveSourceAs(); });
    item(file, "mnuSAVE", QStringLiteral("色情報の保存"), [this] { chooseColourInfoPreview(); });
    item(file, "mnuSAVEDOT", QStringLiteral("ドット絵を保存"), [this] { saveDotPicture(); });
    separator(file, "sep6");
    item(file, "mnuLAST", QStringLiteral("履歴"), [this] { showHistory(); });
    separator(file, "sep1");
    item(file, "mnuEND", QStringLiteral("終了"), [this] { close(); });

    QMenu* edit = submenu(bar, "mnuEDIT", QStringLiteral("編集"));
    item(edit, "mnuSIZE", QStringLiteral("ｻｲｽﾞ変更"), [this] { openResizePanel(); });
    QMenu* filter = submenu(edit, "mnuFILTER", QStringLiteral("ﾌｨﾙﾀ処理"));
    QMenu* sharpen = submenu(filter, "mnuSHARP", QStringLiteral("ｼｬｰﾌﾟ化"));
    press(sharpen, "mnuSHP1", QStringLiteral("弱"), "cmdSHARP");
    press(sharpen, "mnuSHP2", QStringLiteral("中"), "cmdSHARP2");
    press(sharpen, "mnuSHP3", QStringLiteral("強"), "cmdSHARP3");
    press(filter, "mnuBOKASI", QStringLiteral("ぼかし"), "cmdBOKASI");
    press(filter, "mnuMID", QStringLiteral("平均化"), "cmdAVE");
    press(filter, "mnuMEDI", QStringLiteral("ﾒﾃﾞｨｱﾝ"), "cmdMEDI");
    press(filter, "mnuENBOS", QStringLiteral("ｴﾝﾎﾞｽ加工"), "cmdENBOS");
    press(edit, "mnuOUTLINE", QStringLiteral("輪郭"), "cmdOUTLINE");
    press(edit, "mnuREVERSE", QStringLiteral("色反転"), "cmdREVERSE");
    QMenu* rotate = submenu(edit, "mnuROTA", QStringLiteral("回転"));
    press(rotate, "mnuUPDOWN", QStringLiteral("上下反転"), "cmdUPDOWN");
    press(rotate, "mnuLEFTRIGHT", QStringLiteral("左右反転"), "cmdLEFTRIGHT");
    press(rotate, "mnuRIGHT90", QStringLiteral("90度（時計周り）"), "cmdRIGHT90");
    press(rotate, "mnuLEFT90", QStringLiteral("90度（反時計周り）"), "cmdLEFT90");
    separator(edit, "sep05");
    press(edit, "mnuORG", QStringLiteral("元の画像に戻す"), "cmdORG");
    separator(edit, "mnuUNDOBAR");
    undo_ = item(edit, "mnuUNDO", QStringLiteral("元に戻す"), [this] {
        if (source_)
            source_->history().stack().undo();
    });
    undo_->setShortcut(QKeySequence::Undo);
    redo_ = item(edit, "mnuREDO", QStringLiteral("やり直し"), [this] {
        if (source_)
            source_->history().stack().redo();
    });
    redo_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    undo_->setEnabled(false);
    redo_->setEnabled(false);

    QMenu* options = submenu(bar, "mnuOPTION", QStringLiteral("ｵﾌﾟｼｮﾝ"));
    item(options, "mnuCOLSET", QStringLiteral("色識別記号設定"), [this] { showColourSymbols(); });
    item(options, "mnuJIGZAG", QStringLiteral("ｼﾞｸﾞｻﾞｸﾞ絵の作成"), [this] {
        // The zigzag window leaves the folder of its "dmy.bmp" when it hands a result over.
        FrmJiguzagu zigzag(*env_.dialogs, this);
        zigzag.exec();
        const QString folder = zigzag.handOffFolder();
        if (!folder.isEmpty())
            loadPictureFile(folder + QStringLiteral("dmy.bmp"), true);
    });

    QMenu* help = submenu(bar, "mnuHELP", QStringLiteral("ﾍﾙﾌﾟ"));
    item(help, "mnuDISPHELP", QStringLiteral("ﾍﾙﾌﾟ"), [this] { showHelp(); });
    separator(help, "sep2");
    item(help, "mnuABOUT", QStringLiteral("Kirimoについて"), [this] { showAbout(); });
}

FrmSource* FrmMain::sourceWindow() {
    if (source_)
        return source_;
    auto* source = new FrmSource(*env_.dialogs, [this] { return frameGeometry().size(); });
    QMdiSubWindow* frame = mdi_->addSubWindow(source);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->resize(twipsToPixels(5000), twipsToPixels(5000));
    frame->move(std::max(0, (width() - frame->width()) / 2), 0);
    connect(source, &FrmSource::filesDropped, this,
            [this](const QStringList& paths) { loadPictureFile(paths.first(), true); });
    connect(source, &FrmSource::currentFileChanged, this, &FrmMain::updateCommands);
    connect(source, &QObject::destroyed, this, [this] {
        if (closingDown_)
            return;
        // The picture has left the screen with its window: no operation may act on it.
        SharedState& state = sharedState();
        state.currentFileName.clear();
        state.pictureWidth = 0;
        state.pictureHeight = 0;
        updateCommands();
    });
    frame->show();
    source_ = source;
    QUndoStack& steps = source->history().stack();
    connect(&steps, &QUndoStack::canUndoChanged, undo_, &QAction::setEnabled);
    connect(&steps, &QUndoStack::canRedoChanged, redo_, &QAction::setEnabled);
    if (convset_)
        source->setEyedropperTarget(convset_);
    return source;
}

FrmConvset* FrmMain::conversionWindow() {
    if (convset_)
        return convset_;
    auto* convset = new FrmConvset(*env_.dialogs, env_.settingsFolder);
    QMdiSubWindow* frame =
        mdi_->addSubWindow(convset, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowCloseButtonHint);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setFixedSize(frame->sizeHint());
    frame->move(0, 0);
    connect(convset, &FrmConvset::conversionRequested, this, [this] { runConversion(); });
    connect(convset, &QObject::destroyed, this, [this] {
        if (source_)
            source_->setEyedropperTarget(nullptr);
    });
    if (source_)
        source_->setEyedropperTarget(convset);
    frame->show();
    convset_ = convset;
    return convset;
}

FrmPreview* FrmMain::runConversion() {
    SharedState& state = sharedState();
    if (state.currentFileName.isEmpty() || !source_ || !convset_)
        return nullptr;
    const QImage& picture = source_->surface()->image();
    if (picture.width() <= 0 || picture.height() <= 0) {
        env_.dialogs->inform(this, kTitle,
                             QStringLiteral("画像の大きさが０なので変換できません。（%1 x %2）")
                                 .arg(picture.width())
                                 .arg(picture.height()),
                             MessageIcon::Exclamation);
        return nullptr;
    }
    auto settings = convset_->conversionSettings();
    if (!settings) {
        env_.dialogs->inform(this, kTitle, japaneseReason(settings.error()),
                             MessageIcon::Exclamation);
        return nullptr;
    }
    const QString caption = previewCaption(convset_->description(), state.currentFileName);
    const QString sourcePath = state.currentFileName;

    auto converted = [&]() -> Result<ConversionResult> {
        BusyCursor busy;
        PixelBuffer source;
        if (source_->surface()->readPixels(source) == 0)
            return makeError("the source picture is empty");
        return convertPicture(source, state.colourTable.palette(), *settings);
    }();
    if (!converted) {
        env_.dialogs->inform(this, kTitle,
                             QStringLiteral("変換できません。") + QStringLiteral("\n") +
                                 japaneseReason(converted.error()),
                             MessageIcon::Exclamation);
        return nullptr;
    }
    const int width = converted->pixels.width();
    const int height = converted->pixels.height();
    state.workPixels = std::move(converted->pixels);
    const QString usage = usageString(*converted, width, height);
    convset_->showUsedColours(converted->counts);

    return addPreview(caption, sourcePath, usage);
}

FrmPreview* FrmMain::addPreview(const QString& caption, const QString& sourcePath,
                                const QString& usage) {
    SharedState& state = sharedState();
    auto* preview = new FrmPreview(*env_.dialogs, [this] { return frameGeometry().size(); });
    preview->setSourcePath(sourcePath);
    preview->setUsage(usage);
    if (!state.colourTable.colourSetId().isEmpty())
        preview->setColourSetTable(state.colourTable);
    preview->setPicture(state.workPixels);
    preview->setWindowTitle(caption);
    QMdiSubWindow* frame = mdi_->addSubWindow(preview);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    connect(preview, &QObject::destroyed, this, [this] {
        if (!closingDown_)
            updateCommands();
    });
    frame->show();
    // A start size that shows the whole picture, or as much as the client area holds with
    // scroll bars; then the usual fit, all of it kept inside the client area.
    const QSize area = mdi_->viewport()->size();
    const QSize chrome = frame->size() - preview->size();
    frame->resize(preview->wholePictureSize() + chrome);
    frame->setGeometry(keepInside(frame->geometry(), area));
    preview->fitWindowToPicture();
    frame->setGeometry(keepInside(frame->geometry(), area));
    return preview;
}

FrmPreview* FrmMain::openDotPicture() {
    const QString path = env_.dialogs->openFile(this, QStringLiteral("ドット絵を開く"),
                                                pictureDialogFolder(), pictureFileFilter());
    if (path.isEmpty())
        return nullptr;  // cancelled
    const QString nativePath = QDir::toNativeSeparators(path);
    Result<PixelBuffer> pixels = [&] {
        BusyCursor busy;
        return kirimo::loadPictureFile(nativePath);
    }();
    if (!pixels) {
        env_.dialogs->inform(
            this, kTitle,
            QStringLiteral("ﾌｧｲﾙ（%1）を開けません。").arg(displayPath(nativePath)) +
                QStringLiteral("\n") + japaneseReason(pixels.error()),
            MessageIcon::Exclamation);
        return nullptr;
    }
    SharedState& state = sharedState();
    const DotPictureColours colours = [&] {
        BusyCursor busy;
        return countDotPictureColours(*pixels, state.colourTable);
    }();
    if (colours.foreign > 0) {
        const QString table =
            state.colourTable.colourSetId().isEmpty()
                ? QStringLiteral("色の表")
                : QStringLiteral("色ｾｯﾄ（%1）").arg(state.colourTable.colourSetName());
        env_.dialogs->inform(
            this, kTitle,
            QStringLiteral("ﾌｧｲﾙ（%1）は、%2 ﾄﾞｯﾄのうち %3 ﾄﾞｯﾄが%4にない色なので、"
                           "ﾄﾞｯﾄ絵としては開けません。\n"
                           "「画像の選択」で開いて、変換して下さい。")
                .arg(displayPath(nativePath))
                .arg(int64_t{pixels->width()} * pixels->height())
                .arg(colours.foreign)
                .arg(table),
            MessageIcon::Exclamation);
        return nullptr;
    }
    ConversionResult counted;
    counted.counts = colours.counts;
    counted.lastColour = colours.lastColour;
    const int width = pixels->width();
    const int height = pixels->height();
    state.workPixels = std::move(*pixels);
    rememberPictureFolder(nativePath);
    return addPreview(QStringLiteral("[ﾄﾞｯﾄ絵]") + getFileName(nativePath, 0), nativePath,
                      usageString(counted, width, height));
}

void FrmMain::saveDotPicture() {
    FrmPreview* chosen = chosenPreview();
    if (chosen == nullptr)
        return;
    const QString source = chosen->sourcePath();
    const QString proposed =
        getFolderPath(source) + getFileName(source, 1) + QStringLiteral("_dots.bmp");
    QString path = QDir::toNativeSeparators(env_.dialogs->saveFile(
        this, QStringLiteral("ドット絵を保存"), proposed, QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ (*.bmp)")));
    if (path.isEmpty())
        return;  // cancelled: nothing is saved
    if (!path.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive))
        path += QStringLiteral(".bmp");
    if (pathExists(path)) {
        const MessageAnswer answer = env_.dialogs->message(
            this, QStringLiteral("上書き確認"),
            QStringLiteral("%1 は既にあります。上書きしますか？").arg(displayPath(path)),
            MessageIcon::Exclamation, MessageButtons::YesNo);
        if (answer != MessageAnswer::Yes)
            return;
    }
    Result<void> saved = [&] {
        BusyCursor busy;
        return savePictureBmp(path, chosen->surface()->image());
    }();
    if (!saved) {
        env_.dialogs->inform(this, kTitle,
                             QStringLiteral("ﾌｧｲﾙ（%1）を保存できません。").arg(displayPath(path)) +
                                 QStringLiteral("\n") + japaneseReason(saved.error()),
                             MessageIcon::Exclamation);
        return;
    }
    rememberPictureFolder(path);
}

void FrmMain::onSubWindowActivated(QMdiSubWindow* frame) {
    // Nothing active means the program itself lost the focus (a dialog, another
    // program): the child windows keep their state until another one is chosen.
    if (closingDown_ || frame == nullptr)
        return;
    auto* preview = qobject_cast<FrmPreview*>(frame->widget());
    if (preview == activePreview_)
        return;
    if (activePreview_)
        activePreview_->setActive(false);
    activePreview_ = preview;
    if (preview == nullptr)
        return;
    preview->setActive(true);
    const QString usage = preview->usage();
    if (usage.isEmpty())
        return;
    loadPictureFile(preview->sourcePath(), false);
    conversionWindow()->showColorUsage(usage);
}

FrmPreview* FrmMain::chosenPreview() {
    SharedState& state = sharedState();
    const QList<QMdiSubWindow*> frames = mdi_->subWindowList(QMdiArea::CreationOrder);
    if (!state.activePreviewCaption.isEmpty()) {
        for (qsizetype i = 0; i < frames.size(); ++i) {
            auto* preview = qobject_cast<FrmPreview*>(frames[i]->widget());
            if (preview != nullptr && preview->windowTitle() == state.activePreviewCaption) {
                state.selectedPreviewIndex = static_cast<int>(i);
                return preview;
            }
        }
    }
    env_.dialogs->inform(this, kTitle, QStringLiteral("画像を１つ選んで変換して下さい。"),
                         MessageIcon::Exclamation);
    return nullptr;
}

void FrmMain::chooseColourInfoPreview() {
    SharedState& state = sharedState();
    FrmPreview* chosen = chosenPreview();
    if (chosen == nullptr)
        return;
    chosen->surface()->readPixels(state.workPixels);
    state.pictureSetTable = chosen->colourSetTable();
    state.pictureWidth = chosen->surface()->image().width();
    state.pictureHeight = chosen->surface()->image().height();

    ColourInfoSources sources;
    if (source_)
        sources.sourcePicture = source_->surface()->image();
    sources.previewCaption = chosen->windowTitle();
    sources.settingsLine = reportSettingsLine(conversionWindow()->description());
    FrmPrint colourInfo(*env_.dialogs, env_.secondsSinceMidnight, std::move(sources), this);
    connect(&colourInfo, &FrmPrint::a4Requested, &colourInfo, [this, &colourInfo] {
        FrmA4Print a4(env_,
                      {[&colourInfo] { return colourInfo.sheetWidthText(); },
                       [&colourInfo] { return colourInfo.sheetHeightText(); }},
                      &colourInfo);
        a4.exec();
    });
    colourInfo.exec();
}

void FrmMain::updateCommands() {
    if (saveAs_ != nullptr)
        saveAs_->setEnabled(!sharedState().currentFileName.isEmpty());
}

void FrmMain::loadPictureFile(const QString& path, bool addToHistory) {
    if (path.isEmpty())
        return;
    if (path == sharedState().currentFileName) {
        // Already shown: the picture is not read again, so its edits stay.
        if (addToHistory)
            history_->add(path);
        return;
    }
    FrmSource* source = sourceWindow();
    if (!source->setSourceWindow(path))
        return;  // the picture, its name, the window and the history stay as they were
    if (addToHistory)
        history_->add(path);
    rememberPictureFolder(path);
    source->arrangeScrollBars();
    source->fitWindowToPicture();
}

void FrmMain::openWhenIdle(const QString& path) {
    if (path.isEmpty())
        return;
    waitingPath_ = path;
    if (waitingTimer_ == nullptr) {
        waitingTimer_ = new QTimer(this);
        waitingTimer_->setSingleShot(true);
        connect(waitingTimer_, &QTimer::timeout, this, &FrmMain::openWaitingPicture);
    }
    // From the event loop, never from inside the handler that received the path.
    waitingTimer_->start(0);
}

void FrmMain::openWaitingPicture() {
    if (waitingPath_.isEmpty() || closingDown_)
        return;
    if (QApplication::activeModalWidget() != nullptr || QApplication::overrideCursor() != nullptr) {
        waitingTimer_->start(200);
        return;
    }
    const QString path = std::exchange(waitingPath_, QString());
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    loadPictureFile(path, true);
}

void FrmMain::openPicture() {
    const QString path = env_.dialogs->openFile(this, QStringLiteral("画像の選択"),
                                                pictureDialogFolder(), pictureFileFilter());
    if (path.isEmpty())
        return;  // cancelled
    loadPictureFile(QDir::toNativeSeparators(path), true);
}

void FrmMain::saveSourceAs() {
    SharedState& state = sharedState();
    if (state.currentFileName.isEmpty() || !source_ || !source_->hasPicture())
        return;
    const QString proposed =
        getFolderPath(state.currentFileName) + getFileName(state.currentFileName, 1);
    const QString chosen = QDir::toNativeSeparators(
        env_.dialogs->saveFile(this, QStringLiteral("元ﾃﾞｰﾀを別名保存"), proposed,
                               QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ (*.bmp)")));
    if (chosen.isEmpty())
        return;  // cancelled: nothing is saved
    const QString folder = getFolderPath(chosen);
    QString base = getFileName(chosen, 1);
    if (base.isEmpty()) {
        env_.dialogs->inform(this, kTitle, QStringLiteral("ﾌｧｲﾙ名を指定して下さい。"),
                             MessageIcon::Exclamation);
        return;
    }
    QDir::setCurrent(folder);
    const QDir dir(folder);
    if (dir.exists(base + QStringLiteral(".txt")) || dir.exists(base + QStringLiteral(".bmp"))) {
        const MessageAnswer answer =
            env_.dialogs->message(this, QStringLiteral("上書き確認"), overwriteQuestionText(base),
                                  MessageIcon::Exclamation, MessageButtons::YesNoCancel);
        if (answer == MessageAnswer::Cancel)
            return;
        if (answer == MessageAnswer::No)
            base += QString::number(env_.secondsSinceMidnight());
    }
    const QString path = folder + base + QStringLiteral(".bmp");
    Result<void> saved = [&] {
        BusyCursor busy;
        return savePictureBmp(path, source_->surface()->image());
    }();
    if (!saved) {
        env_.dialogs->inform(this, kTitle,
                             QStringLiteral("ﾌｧｲﾙ（%1）を保存できません。").arg(path) +
                                 QStringLiteral("\n") + japaneseReason(saved.error()),
                             MessageIcon::Exclamation);
        return;
    }
    state.currentFileName = path;
    rememberPictureFolder(path);
    source_->rebuildCaption();
    updateCommands();
    env_.dialogs->inform(
        this, kTitle,
        QStringLiteral("保存しました。\n(ﾌｫﾙﾀﾞ：%1)\n（ﾌｧｲﾙ名：%2.bmp）").arg(folder, base),
        MessageIcon::None);
}

void FrmMain::openResizePanel() {
    if (sharedState().currentFileName.isEmpty())
        return;
    sourceWindow()->openResizePanel();
}

void FrmMain::pressSourceButton(const QString& name) {
    if (auto* button = sourceWindow()->findChild<QPushButton*>(name))
        button->click();
}

void FrmMain::showHistory() {
    // Below the conversion window as far as the client area reaches; where too little of
    // it is left there, moved up into the area.
    const QSize area = mdi_->viewport()->size();
    QRect frame = historyFrame_->geometry();
    const int below = area.height() - frame.y();
    if (below >= kHistoryShortestHeight)
        frame.setHeight(std::min(frame.height(), below));
    historyFrame_->setGeometry(keepInside(frame, area));
    historyFrame_->show();
    historyFrame_->raise();
    mdi_->setActiveSubWindow(historyFrame_);
}

void FrmMain::showHelp() {
    const QString path = QDir::toNativeSeparators(env_.manualPath);
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        env_.dialogs->inform(this, kTitle, QStringLiteral("ヘルプﾌｧｲﾙ（%1）がありません").arg(path),
                             MessageIcon::Stop);
        return;
    }
    if (!env_.openDocument || !env_.openDocument(QUrl::fromLocalFile(env_.manualPath))) {
        // The manual's place, so that the user can open it some other way.
        env_.dialogs->inform(this, kTitle,
                             QStringLiteral("HTML Helpﾌｧｲﾙが関連付けされていません。\n"
                                            "ﾏﾆｭｱﾙ：%1")
                                 .arg(path),
                             MessageIcon::Stop);
    }
}

void FrmMain::loadColourSet() {
    SharedState& state = sharedState();
    state.productLines = loadProductLines(beadColourFolder(QCoreApplication::applicationDirPath()));
    // A missing or unreadable file, or one that names no shipped line, is the standard set;
    // the file itself is left as it is until the user chooses a set.
    auto lines = readSettingsLines(QDir(env_.settingsFolder).filePath(kColourSetFileName));
    state.colourSet = lines ? parseColourSetLines(*lines, state.productLines) : ColourSetChoice{};
    applyColourSetChoice(state.colourTable, state.colourSet, state.productLines);
}

void FrmMain::showColourSymbols() {
    showColourSymbolWindow(env_, this);
}

void FrmMain::showAbout() {
    FrmAbout about(this);
    about.exec();
}

void FrmMain::writeHistory() {
    QDir::setCurrent(env_.settingsFolder);
    const QString path = historyPath(env_.settingsFolder);
    if (auto written = writeHistoryFile(path, history_->entries()); !written) {
        env_.dialogs->inform(this, kTitle,
                             QStringLiteral("履歴ﾌｧｲﾙ（%1）を保存できません。").arg(path) +
                                 QStringLiteral("\n") + japaneseReason(written.error()),
                             MessageIcon::Exclamation);
    }
}

void FrmMain::closeEvent(QCloseEvent* event) {
    if (closingDown_) {
        event->accept();
        return;
    }
    const MessageAnswer answer = env_.dialogs->message(
        this, QStringLiteral("終了確認"), QStringLiteral("「Kirimo」を終了しますか。"),
        MessageIcon::Exclamation, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) {
        event->ignore();
        return;
    }
    writeHistory();
    closingDown_ = true;
    static_cast<HistorySubWindow*>(historyFrame_)->release();
    mdi_->closeAllSubWindows();
    event->accept();
}

}  // namespace kirimo::ui
