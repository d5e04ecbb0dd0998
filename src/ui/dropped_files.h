#pragma once
// The local files carried by a drag, in the order given; other kinds of data are left out.

#include <QDir>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include "core/file_system.h"

namespace kirimo::ui {

inline QStringList localFiles(const QMimeData* mime) {
    QStringList paths;
    if (mime == nullptr)
        return paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile())
            paths.append(QDir::toNativeSeparators(localFilePath(url)));
    }
    return paths;
}

}  // namespace kirimo::ui
