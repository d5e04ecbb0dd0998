#pragma once
// Every message box and file dialog of the program goes through this interface, so that
// the windows can be driven and read by tests. QtDialogs is the real implementation.

#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace kirimo::ui {

enum class MessageIcon { None, Information, Exclamation, Stop, Question };

// The button sets a message box offers, and the button that closed it.
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    virtual MessageAnswer message(QWidget* parent, const QString& title, const QString& text,
                                  MessageIcon icon, MessageButtons buttons) = 0;

    // The chosen file's full path, or an empty text when the user cancelled.
    // filter uses Qt's form: "Description (*.a *.b);;Other (*)".
    virtual QString openFile(QWidget* parent, const QString& title, const QString& folder,
                             const QString& filter) = 0;

    // The chosen files' full paths in the order the dialog reports them; empty when the
    // user cancelled.
    virtual QStringList openFiles(QWidget* parent, const QString& title, const QString& folder,
                                  const QString& filter) = 0;

    // The chosen font, or nothing when the user cancelled.
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QString& title,
                                            const QFont& initial) = 0;

    // The chosen file's full path, or an empty text when the user cancelled. The dialog
    // does not ask about overwriting: the caller does.
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& proposedPath,
                             const QString& filter) = 0;

    // Shorthand for a message with only an OK button.
    void inform(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) {
        message(parent, title, text, icon, MessageButtons::Ok);
    }
};

// Message boxes and file dialogs of Qt.
class QtDialogs : public Dialogs {
  public:
    MessageAnswer message(QWidget* parent, const QString& title, const QString& text,
                          MessageIcon icon, MessageButtons buttons) override;
    QString openFile(QWidget* parent, const QString& title, const QString& folder,
                     const QString& filter) override;
    QStringList openFiles(QWidget* parent, const QString& title, const QString& folder,
                          const QString& filter) override;
    std::optional<QFont> chooseFont(QWidget* parent, const QString& title,
                                    const QFont& initial) override;
    QString saveFile(QWidget* parent, const QString& title, const QString& proposedPath,
                     const QString& filter) override;
};

}  // namespace kirimo::ui
