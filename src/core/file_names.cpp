#include "core/file_names.h"

#include <QDir>

namespace kirimo {

QString getFileName(const QString& path, int mode) {
    if (path.isEmpty())
        return {};
    const QChar separator = QDir::separator();
    const QString last = path.mid(path.lastIndexOf(separator) + 1);
    if (mode == 1) {
        const qsizetype dot = last.indexOf(u'.');
        return dot < 0 ? last : last.left(dot);
    }
    return last;
}

QString getFolderPath(const QString& path) {
    const QString name = getFileName(path, 0);
    QString folder = path.left(path.size() - name.size());
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder;
}

}  // namespace kirimo
