#pragma once
// The A4 chart window: one A4 page per sheet of the colour information window, every dot
// a character or a small picture in a cell of whole millimetres. It chooses the paper's
// orientation, the cell size and the options (kept in PrintInfo.ini in the current
// folder), prints through the printer dialog, shows a print preview of the same pages,
// and saves each sheet's character chart as a bitmap.

#include <QDialog>
#include <QSizeF>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <random>
#include <vector>

#include "core/print_info_file.h"
#include "imaging/result.h"
#include "imaging/sheets.h"
#include "printing/chart_plan.h"
#include "printing/page_plan.h"
#include "ui/app_environment.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPaintDevice;
class QPrinter;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kirimo::ui {

class PrintDialogs;

// Where the window reads the sheet size: the texts of the colour information window's
// cboYOKO (dots across) and cboTATE (dots down), read each time they are needed.
struct SheetSizeTexts {
    std::function<QString()> width;
    std::function<QString()> height;
};

class FrmA4Print : public QDialog {
    Q_OBJECT
  public:
    // Reads PrintInfo.ini from the current folder, sets the largest cell size and lists
    // the sheets. The picture is the shared state's: workPixels of pictureWidth by
    // pictureHeight dots.
    FrmA4Print(AppEnvironment environment, SheetSizeTexts sheetSize, QWidget* parent = nullptr);
    ~FrmA4Print() override;

    // The options as the controls show them.
    PrintInfo printInfo() const;
    // The cell size in millimetres (the spin controls' values).
    int cellWidth() const;
    int cellHeight() const;
    bool portrait() const;

    // cmdPRTSTART: the checks, then the printer dialog and the pages.
    void print();
    // The print preview of the same pages.
    void preview();
    // cmdGSAVE: every sheet's character chart as a bitmap next to the picture.
    void saveImages();

    // cmdMJSET: the colour symbols window, modally.
    void showColourSymbols();

    // Closing by any road writes PrintInfo.ini.
    void done(int result) override;

  private:
    void buildControls();
    void showPrintInfo(const PrintInfo& info);
    void showLargestCellSize();
    void fillPageList();
    void onCellText(int axis);
    void onCellScroll(int axis);
    // The sheet size read now; nothing when a text is not a positive whole number.
    std::optional<SheetSize> sheetSize() const;
    printing::PageOrientation orientation() const;
    // The largest cell on the default printer (its printable area and label height, read
    // when the window opened), or on `printer` once one was chosen.
    printing::CellSize largestCellSize() const;
    printing::CellSize largestCellSize(const QPrinter& printer) const;
    std::vector<bool> checkedPages() const;
    printing::ChartOptions chartOptions() const;
    // The three checks, the first failing one with its message; true when printing may
    // go on.
    bool checkCellSize();
    // The same checks on the printer the print dialog chose.
    bool checkCellSizeOn(const QPrinter& printer);
    // True for a check that passed; otherwise shows its message.
    bool passes(printing::ChartCheck check);
    // With "only ticked sheets" on and no sheet ticked, says so and offers to print every
    // sheet: Yes prints them all, No prints nothing.
    enum class EveryPage { NotAsked, Yes, No };
    EveryPage askEveryPage();
    // The chart's pages of the shared picture with the window's options, made one at a
    // time, their text measured on `device` and their random choices drawn from `random`
    // (both must outlive the pages). Stores the interface font's name as the symbol font
    // when none is set.
    Result<printing::ChartPages> pagesFor(const QPrinter& device, std::mt19937& random,
                                          bool everyPage = false);
    // A chart of more pages than a document may have is refused with a message before any
    // work, where its sheets can be counted without looking at the picture; true when
    // printing may go on.
    bool checkPageCount();
    // A4 in the window's orientation.
    void setUpPrinter(QPrinter& printer) const;
    // The printer dialog, opened in the picture's folder (where a PDF is offered).
    bool choosePrinter(QPrinter& printer);
    void showFailure(const QString& headline, const QString& detail);
    void showPrintFailure(const QPrinter& printer, const std::string& why);
    void writePrintInfo();

    // The default printer's printable areas, landscape and portrait, and label height.
    std::array<QSizeF, 2> defaultPrintable_;
    int defaultLabelHeight_ = 0;

    AppEnvironment env_;
    PrintDialogs& printDialogs_;
    SheetSizeTexts sheetTexts_;

    std::array<QRadioButton*, 2> orientation_{};  // optA4(0) 横, optA4(1) 縦
    std::array<QLineEdit*, 2> cellText_{};        // txtYOKOSEP, txtTATESEP
    std::array<QScrollBar*, 2> cellSpin_{};       // scrYK, scrTT
    QCheckBox* colour_ = nullptr;                 // chkCOLOR
    QComboBox* word_ = nullptr;                   // cboWORD
    QCheckBox* fillCell_ = nullptr;               // chkFONTSIZE
    QCheckBox* gridLines_ = nullptr;              // chkLINE
    QWidget* lineMode_ = nullptr;                 // picLINEMODE
    std::array<QRadioButton*, 2> lineStyle_{};    // optLINE(0) 実線, optLINE(1) 点線
    QCheckBox* checkedOnly_ = nullptr;            // chkPR
    QListWidget* pages_ = nullptr;                // lstPRDATA
    QCheckBox* noWhite_ = nullptr;                // chkWHITE
    QCheckBox* skipWhitePages_ = nullptr;         // chkALLWHITE
    QCheckBox* cover_ = nullptr;                  // chkCOVER
    QCheckBox* legend_ = nullptr;                 // chkLEGEND
    QCheckBox* boldTens_ = nullptr;               // chkBOLD10
    QCheckBox* fillColour_ = nullptr;             // chkFILLCOL
    std::array<QRadioButton*, 2> useMode_{};      // optUSEMODE(0) 文字使用, (1) 画像使用
    QPushButton* saveImages_ = nullptr;           // cmdGSAVE
};

}  // namespace kirimo::ui
