#pragma once
// A stand-in for the program's dialogs: records every message and file dialog shown, and
// answers with what the test queued. An unqueued question is answered with its last
// button (Cancel, or No) and an unqueued file dialog is cancelled.

#include <QFont>
#include <QString>
#include <QStringList>
#include <deque>
#include <ostream>
#include <vector>

#include "ui/dialogs.h"

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

class ScriptedDialogs : public ui::Dialogs {
  public:
    std::vector<ShownMessage> messages;
    std::vector<ShownFileDialog> fileDialogs;
    std::deque<ui::MessageAnswer> answers;
    std::deque<QString> fileAnswers;
    // Answers of multiple-selection open dialogs; an unqueued one is cancelled.
    std::deque<QStringList> filesAnswers;
    // Answers of font dialogs; an unqueued one is cancelled.
    std::deque<QFont> fontAnswers;
    int fontDialogs = 0;

    ui::MessageAnswer message(QWidget*, const QString& title, const QString& text,
                              ui::MessageIcon icon, ui::MessageButtons buttons) override {
        messages.push_back({title, text, icon, buttons});
        if (!answers.empty()) {
            const ui::MessageAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
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
        return nextFile();
    }

    QStringList openFiles(QWidget*, const QString& title, const QString& folder,
                          const QString& filter) override {
        fileDialogs.push_back({false, title, folder, filter});
        if (filesAnswers.empty())
            return {};
        QStringList answer = filesAnswers.front();
        filesAnswers.pop_front();
        return answer;
    }

    std::optional<QFont> chooseFont(QWidget*, const QString&, const QFont&) override {
        ++fontDialogs;
        if (fontAnswers.empty())
            return std::nullopt;
        QFont answer = fontAnswers.front();
        fontAnswers.pop_front();
        return answer;
    }

    QString saveFile(QWidget*, const QString& title, const QString& proposed,
                     const QString& filter) override {
        fileDialogs.push_back({true, title, proposed, filter});
        return nextFile();
    }

  private:
    QString nextFile() {
        if (fileAnswers.empty())
            return {};
        QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};

}  // namespace kirimo::test
