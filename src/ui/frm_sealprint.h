#pragma once
// The sticker window: sheets of equally sized copies of the pictures assigned to a colour,
// one picture per sheet, the stickers' size in whole millimetres, the sheets per picture,
// the paper's direction and dotted cut lines. The counts shown are those of the printer's
// printable area in the chosen direction; printing goes through the printer dialog.

#include <QDialog>
#include <QImage>
#include <memory>
#include <vector>

#include "core/symbol_slots.h"
#include "printing/sticker_plan.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPrinter;
class QPushButton;

namespace kirimo::ui {

class Dialogs;
class PrintDialogs;

class FrmSealPrint : public QDialog {
    Q_OBJECT
  public:
    FrmSealPrint(Dialogs& dialogs, PrintDialogs& printDialogs, QWidget* parent = nullptr);
    ~FrmSealPrint() override;

    // Both lists emptied and filled with the pictures in order; the first is shown.
    void setPictures(const std::vector<SlotPicture>& pictures);

    // The printer the counts are taken from and the pages are printed on.
    QPrinter& printer() { return *printer_; }

    // Recomputes the count labels from the printer's printable area; the labels stay as
    // they are while a size box holds no positive whole number.
    void updateCounts();

  private:
    void buildControls();
    printing::PageOrientation orientation() const;
    QSizeF printableArea();
    void showEntry();
    bool showPicture(int index);
    void print();

    Dialogs& dialogs_;
    PrintDialogs& printDialogs_;
    std::unique_ptr<QPrinter> printer_;

    QListWidget* names_ = nullptr;
    QListWidget* paths_ = nullptr;
    QLabel* picture_ = nullptr;
    QLineEdit* width_ = nullptr;
    QLineEdit* height_ = nullptr;
    QLineEdit* sheets_ = nullptr;
    QCheckBox* landscape_ = nullptr;
    QCheckBox* cutLines_ = nullptr;
    QLabel* grid_ = nullptr;
    QLabel* total_ = nullptr;
};

// Fills a sticker window with the pictures and shows it modally over `parent`.
void showStickerWindow(Dialogs& dialogs, PrintDialogs& printDialogs,
                       const std::vector<SlotPicture>& pictures, QWidget* parent);

}  // namespace kirimo::ui
