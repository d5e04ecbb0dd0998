#include "ui/program_icon.h"

#include <QDir>
#include <QFileInfo>

#include "kirimo/version.h"

namespace kirimo::ui {

QIcon programIcon() {
    QIcon builtIn;
    const QDir icons(QStringLiteral(":/kirimo/icons"));
    for (const QFileInfo& file : icons.entryInfoList({QStringLiteral("*.png")}, QDir::Files))
        builtIn.addFile(file.filePath());
    return QIcon::fromTheme(QString::fromLatin1(version::kAppId), builtIn);
}

}  // namespace kirimo::ui
