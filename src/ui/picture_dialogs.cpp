#include "ui/picture_dialogs.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QStandardPaths>
#include <algorithm>

#include "core/shared_state.h"

namespace kirimo::ui {

QString pictureFileFilter() {
    QStringList formats = {QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                           QStringLiteral("png")};
    QStringList others;
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString name = QString::fromLatin1(format).toLower();
        if (!formats.contains(name) && !others.contains(name))
            others.append(name);
    }
    std::sort(others.begin(), others.end());
    formats += others;
    QStringList patterns;
    for (const QString& format : formats)
        patterns << QStringLiteral("*.") + format << QStringLiteral("*.") + format.toUpper();
    return QStringLiteral("画像ﾌｧｲﾙ (%1);;すべてのﾌｧｲﾙ (*)").arg(patterns.join(u' '));
}

QString pictureDialogFolder() {
    const QString last = sharedState().lastPictureFolder;
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
}

void rememberPictureFolder(const QString& path) {
    if (!path.isEmpty())
        sharedState().lastPictureFolder = QFileInfo(path).absolutePath();
}

void rememberPictureFolder(const QStringList& paths) {
    if (!paths.isEmpty())
        rememberPictureFolder(paths.last());
}

}  // namespace kirimo::ui
