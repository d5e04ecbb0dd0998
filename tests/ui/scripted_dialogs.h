#pragma once
// Stand-ins for the program's dialogs. The message and file dialogs record what was shown
// and answer with what the test queued: an unqueued question is answered with its last
// button (Cancel, or No), an unqueued file or font dialog is cancelled. A chosen printer
// prints into a PDF file of the test's choosing, and the preview paints into others.

#include <QDir>
#include <QFont>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <ostream>
#include <vector>

#include "ui/dialogs.h"
#include "ui/print_dialogs.h"

namespace kirimo::test {

struct ShownMessage {
    QString title;
    QString text;
    ui::MessageIcon icon;
    ui::MessageButtons buttons = ui::MessageButtons::Ok;
    bool operator==(const ShownMessage&) const = default;
};

inline void PrintTo(const ShownMessage& m, std::ostream* out) {
    *out << '{' << m.title.toStdString() << ", " << m.text.toStdString() << ", icon "
         << static_cast<int>(m.icon) << ", buttons " << static_cast<int>(m.buttons) << '}';
}

struct ShownFileDialog {
    bool save;
    QString title;
    QString start;  // starting folder, or the proposed path of a save dialog
    QString filter;
};

template <typename T>
std::optional<T> takeFirst(std::deque<T>& queue) {
    if (queue.empty())
        return std::nullopt;
    T first = queue.front();
    queue.pop_front();
    return first;
}

class ScriptedDialogs : public ui::Dialogs {
  public:
    std::vector<ShownMessage> messages;
    std::vector<ShownFileDialog> fileDialogs;
    std::deque<ui::MessageAnswer> answers;
    std::deque<QString> fileAnswers;
    std::deque<QStringList> filesAnswers;  // of multiple-selection open dialogs
    std::deque<QFont> fontAnswers;
    int fontDialogs = 0;

    ui::MessageAnswer message(QWidget*, const QString& title, const QString& text,
                              ui::MessageIcon icon, ui::MessageButtons buttons) override {
        messages.push_back({title, text, icon, buttons});
        if (const auto answer = takeFirst(answers))
            return *answer;
        switch (buttons) {
            case ui::MessageButtons::Ok:
                return ui::MessageAnswer::Ok;
            case ui::MessageButtons::YesNo:
                return ui::MessageAnswer::No;
            case ui::MessageButtons::YesNoCancel:
                break;
        }
        return ui::MessageAnswer::Cancel;
    }
    QString openFile(QWidget*, const QString& title, const QString& folder,
                     const QString& filter) override {
        fileDialogs.push_back({false, title, folder, filter});
        return takeFirst(fileAnswers).value_or(QString());
    }
    QStringList openFiles(QWidget*, const QString& title, const QString& folder,
                          const QString& filter) override {
        fileDialogs.push_back({false, title, folder, filter});
        return takeFirst(filesAnswers).value_or(QStringList());
    }
    std::optional<QFont> chooseFont(QWidget*, const QString&, const QFont&) override {
        ++fontDialogs;
        return takeFirst(fontAnswers);
    }
    QString saveFile(QWidget*, const QString& title, const QString& proposed,
                     const QString& filter) override {
        fileDialogs.push_back({true, title, proposed, filter});
        return takeFirst(fileAnswers).value_or(QString());
    }
};

class ScriptedPrintDialogs : public ui::PrintDialogs {
  public:
    // The PDF files the next printer dialogs choose, in order; an unqueued one is cancelled.
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
        const auto file = takeFirst(printerFiles);
        if (!file)
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(*file);
        return true;
    }
    void showPreview(QWidget*, QPrinter& printer,
                     const std::function<void(QPrinter&)>& paint) override {
        ++previews;
        lastLayout = printer.pageLayout();
        while (const auto file = takeFirst(previewFiles)) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(*file);
            paint(printer);
        }
    }
};

}  // namespace kirimo::test
