#pragma once
// The printer's dialogs go through this interface, so that tests can print into PDF
// files instead of asking for a printer. QtPrintDialogs is the real implementation.

#include <functional>

class QPrinter;
class QWidget;

namespace kirimo::ui {

class PrintDialogs {
  public:
    virtual ~PrintDialogs() = default;

    // Lets the user choose the printer for `printer`, whose page the caller has set up;
    // false when the user cancelled.
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer) = 0;

    // Shows the pages that `paint` draws on the preview's printer until the user closes
    // the preview. `paint` may be called again (on a zoom, or to print from the preview).
    virtual void showPreview(QWidget* parent, QPrinter& printer,
                             const std::function<void(QPrinter&)>& paint) = 0;
};

// QPrintDialog (system printers through CUPS, and printing to PDF) and
// QPrintPreviewDialog.
class QtPrintDialogs : public PrintDialogs {
  public:
    bool choosePrinter(QWidget* parent, QPrinter& printer) override;
    void showPreview(QWidget* parent, QPrinter& printer,
                     const std::function<void(QPrinter&)>& paint) override;
};

// The program's print dialogs, for windows whose environment names none.
PrintDialogs& defaultPrintDialogs();

}  // namespace kirimo::ui
