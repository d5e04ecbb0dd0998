#include "ui/interface_language.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "core/font_substitutes.h"

namespace kirimo::ui {

bool useJapaneseQtTexts(QCoreApplication& app) {
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    auto* translator = new QTranslator(&app);
    if (!translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void useInterfaceFont() {
    const QString gothic = QString::fromLatin1(kJapaneseGothicFamily);
    if (QFontDatabase::families().contains(gothic))
        QApplication::setFont(QFont(gothic, 10));
}

}  // namespace kirimo::ui
