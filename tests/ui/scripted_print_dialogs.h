#pragma once
// A stand-in for the printer dialogs: a chosen printer prints into a PDF file of the
// test's choosing, and the preview paints once into another.

#include <QDir>
#include <QPrinter>
#include <QString>
#include <deque>
#include <functional>

#include "ui/print_dialogs.h"

namespace kirimo::test {

class ScriptedPrintDialogs : public ui::PrintDialogs {
  public:
    // The PDF files the next printer dialogs choose, in order; an unqueued dialog is
    // cancelled.
    std::deque<QString> printerFiles;
    // The PDF files the next previews paint into; each preview paints every file queued
    // when it opens, one after another, as repaints of one preview would.
    std::deque<QString> previewFiles;
    int printerDialogs = 0;
    int previews = 0;
    // The page set up by the window when its dialog opened, the folder current then, and
    // what a test wants to see of the printer.
    QPageLayout lastLayout;
    QString currentFolder;
    std::function<void(QPrinter&)> onChoose;

    bool choosePrinter(QWidget*, QPrinter& printer) override {
        ++printerDialogs;
        lastLayout = printer.pageLayout();
        currentFolder = QDir::currentPath();
        if (onChoose)
            onChoose(printer);
        if (printerFiles.empty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printerFiles.front());
        printerFiles.pop_front();
        return true;
    }

    void showPreview(QWidget*, QPrinter& printer,
                     const std::function<void(QPrinter&)>& paint) override {
        ++previews;
        lastLayout = printer.pageLayout();
        while (!previewFiles.empty()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(previewFiles.front());
            previewFiles.pop_front();
            paint(printer);
        }
    }
};

}  // namespace kirimo::test
