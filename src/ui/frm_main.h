#pragma once
// The main window: the frame whose client area holds the source window, the history
// window and later the conversion and preview windows; its menu bar carries every
// command, and closing it ends the program.

#include <QMainWindow>
#include <QPointer>

#include "ui/app_environment.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QTimer;

namespace kirimo::ui {

class FrmConvset;
class FrmLast;
class FrmPreview;
class FrmSource;

class FrmMain : public QMainWindow {
    Q_OBJECT
  public:
    // Runs the start-up: reads the history, sets the caption, makes the settings folder
    // current, fills the colour table, shows the conversion settings window, reads the
    // colour symbols and shows the empty source window.
    explicit FrmMain(AppEnvironment environment, QWidget* parent = nullptr);
    ~FrmMain() override;

    // The one road by which a picture file becomes the source picture: optionally adds it
    // to the history; unless it is already the current file, loads it into the source
    // window and lays that window out.
    void loadPictureFile(const QString& path, bool addToHistory);
    // Opens a picture named on the command line or handed over by a later start, through
    // loadPictureFile with the history, and brings the window to the front. While a
    // modal window is open or long work shows the busy pointer it waits, so that nothing
    // changes under them; a later path replaces one still waiting.
    void openWhenIdle(const QString& path);

    // The source window, created (empty) when it is not open.
    FrmSource* sourceWindow();
    // The conversion settings window, created (reading Dorvel.ini) when it is not open.
    FrmConvset* conversionWindow();
    FrmLast* historyWindow() const { return history_; }
    QMdiArea* mdiArea() const { return mdi_; }

    // Converts the source picture with the conversion window's settings into a new
    // preview window. Bad settings or an empty picture are refused with a message before
    // anything changes; the new preview, or nullptr.
    FrmPreview* runConversion();
    // "色情報の保存": reads the active preview's picture into the shared state and opens
    // the colour information window on it, modally.
    void chooseColourInfoPreview();
    // "ドット絵を開く": a saved dot picture into a new preview window, unconverted. Refused,
    // with the number of dots that are no colour of the colour table (or of the colour
    // set in use), when there are any.
    FrmPreview* openDotPicture();
    // "ドット絵を保存": the active preview's picture as a bitmap, without the reports.
    void saveDotPicture();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void openPicture();
    void saveSourceAs();
    void openResizePanel();
    void showHistory();
    void showHelp();
    void showAbout();
    void showColourSymbols();
    // Reads the shipped bead product lines and ColourSet.ini, and binds the colour table.
    void loadColourSet();
    void pressSourceButton(const QString& name);
    // The preview of the active caption (counted in the shared state), or nullptr after
    // telling the user to choose one.
    FrmPreview* chosenPreview();
    // A new preview window showing state.workPixels, sized to show it.
    FrmPreview* addPreview(const QString& caption, const QString& sourcePath, const QString& usage);
    void updateCommands();
    void writeHistory();
    void onSubWindowActivated(QMdiSubWindow* frame);
    void openWaitingPicture();

    AppEnvironment env_;
    QMdiArea* mdi_ = nullptr;
    QPointer<FrmSource> source_;
    QPointer<FrmConvset> convset_;
    QPointer<FrmPreview> activePreview_;
    QMdiSubWindow* historyFrame_ = nullptr;
    FrmLast* history_ = nullptr;
    QAction* saveAs_ = nullptr;
    QAction* undo_ = nullptr;  // mnuUNDO
    QAction* redo_ = nullptr;  // mnuREDO
    bool closingDown_ = false;
    QString waitingPath_;
    QTimer* waitingTimer_ = nullptr;
};

}  // namespace kirimo::ui
