#include "ui/dialogs.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

#include "core/file_system.h"

namespace kirimo::ui {

namespace {

QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

}  // namespace

MessageAnswer QtDialogs::message(QWidget* parent, const QString& title, const QString& text,
                                 MessageIcon icon, MessageButtons buttons) {
    QMessageBox box(toQt(icon), title, text, toQt(buttons), parent);
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        default:
            break;
    }
    // The close box of a question without a Cancel button counts as its last choice.
    return buttons == MessageButtons::YesNo ? MessageAnswer::No
           : buttons == MessageButtons::Ok  ? MessageAnswer::Ok
                                            : MessageAnswer::Cancel;
}

QString QtDialogs::openFile(QWidget* parent, const QString& title, const QString& folder,
                            const QString& filter) {
    return recoverLossyPath(QFileDialog::getOpenFileName(parent, title, folder, filter));
}

QStringList QtDialogs::openFiles(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter) {
    QStringList paths = QFileDialog::getOpenFileNames(parent, title, folder, filter);
    for (QString& path : paths)
        path = recoverLossyPath(path);
    return paths;
}

std::optional<QFont> QtDialogs::chooseFont(QWidget* parent, const QString& title,
                                           const QFont& initial) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent, title);
    if (!ok)
        return std::nullopt;
    return font;
}

QString QtDialogs::saveFile(QWidget* parent, const QString& title, const QString& proposedPath,
                            const QString& filter) {
    return recoverLossyPath(QFileDialog::getSaveFileName(
        parent, title, proposedPath, filter, nullptr, QFileDialog::DontConfirmOverwrite));
}

}  // namespace kirimo::ui
