#pragma once
// The colour symbol window: per colour the candidate characters with their use marks and
// ten picture slots, one symbol font for all colours, and the automatic sorting of picture
// files into colours by their dominant colour. Every change acts on the shared symbol
// settings at once; only "設定" writes CodeUsePrint.ini.

#include <QDialog>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "core/symbol_slots.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace kirimo::ui {

struct AppEnvironment;
class Dialogs;
class PictureSurface;

// One picture slot: shows its picture stretched, takes dropped files, reports the right
// mouse button. Its cross lines are children drawn over it.
class PictureSlotView : public QLabel {
    Q_OBJECT
  public:
    explicit PictureSlotView(QWidget* parent = nullptr);

  signals:
    void rightClicked(QPoint globalPosition);
    void filesDropped(const QStringList& paths);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

class FrmPrintInfo : public QDialog {
    Q_OBJECT
  public:
    FrmPrintInfo(Dialogs& dialogs, QString settingsFolder, QWidget* parent = nullptr);

    // The colour whose symbols are shown, or nothing before the first is chosen.
    std::optional<int> currentColour() const { return current_; }
    void selectColour(int colour);

    // How the pop-up menu of a picture slot is shown; by default it runs at the position.
    // Tests put one in that picks an item.
    void setMenuPresenter(std::function<void(QMenu& menu, QPoint globalPosition)> presenter) {
        presentMenu_ = std::move(presenter);
    }

    // What "ｼｰﾙ印刷" does with the current colour's pictures. Until one is given, the
    // button is disabled while the colour holds a picture.
    void setStickerPrinter(std::function<void(const std::vector<SlotPicture>&)> printer);

    // The files dropped on a slot, as a drop hands them over.
    void dropFiles(const QStringList& paths);

  private:
    void buildControls();
    void showSlots();
    void rebuildList(const QString& characters);
    std::vector<bool> checks() const;
    void onSlotRightClicked(int slot, QPoint globalPosition);
    void loadIntoSlot();
    void cutSlot();
    void pasteIntoSlot();
    void markSlot(bool used);
    void chooseFont();
    void sortPictures();
    void printStickers();
    void store();
    ColourSymbols* currentSymbols();
    QImage slotImage(const QString& path, QSize size);

    Dialogs& dialogs_;
    QString settingsFolder_;
    std::optional<int> current_;
    int menuSlot_ = 0;
    QString clipboard_;
    std::function<void(QMenu&, QPoint)> presentMenu_;
    std::function<void(const std::vector<SlotPicture>&)> printStickers_;
    QHash<QString, QImage> shownImages_;

    QButtonGroup* colourGroup_ = nullptr;
    std::array<PictureSlotView*, kPictureSlotCount> slots_{};
    std::array<QWidget*, 2 * kPictureSlotCount> crosses_{};
    QLineEdit* words_ = nullptr;
    QLineEdit* addWords_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* fontButton_ = nullptr;
    QLabel* fontLabel_ = nullptr;
    QCheckBox* bold_ = nullptr;
    QCheckBox* italic_ = nullptr;
    QPushButton* sealPrint_ = nullptr;
    PictureSurface* workArea_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* menuLoad_ = nullptr;
    QAction* menuCut_ = nullptr;
    QAction* menuPaste_ = nullptr;
    QAction* menuUse_ = nullptr;
    QAction* menuNotUse_ = nullptr;
};

// Shows the colour symbol window modally over `parent`, its ｼｰﾙ印刷 opening the sticker
// window with the environment's printer dialogs.
void showColourSymbolWindow(const AppEnvironment& env, QWidget* parent);

}  // namespace kirimo::ui
