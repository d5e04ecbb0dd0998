#include "reports/report_naming.h"

#include <QDir>
#include <QFileInfo>

#include "core/file_names.h"
#include "core/file_system.h"

namespace kirimo {

Result<ReportTarget> reportTarget(const QString& targetPath) {
    if (targetPath.isEmpty())
        return makeError("no path to name the reports after");
    const QString path =
        QDir::isRelativePath(targetPath) ? QDir::current().filePath(targetPath) : targetPath;
    ReportTarget target{getFolderPath(path), getFileName(path, 1)};
    if (target.base.isEmpty()) {
        return makeError("\"" + targetPath.toStdString() +
                         "\" has no file name before its first \".\" to name the reports after");
    }
    return target;
}

bool reportFilesExist(const QString& basePath) {
    for (const char* extension : {".txt", ".csv", ".bmp"}) {
        if (pathExists(basePath + QLatin1String(extension)))
            return true;
    }
    return false;
}

int secondsSinceMidnight(const QTime& time) {
    if (!time.isValid())
        return -1;
    return time.msecsSinceStartOfDay() / 1000;
}

Result<QString> automaticBase(const ReportTarget& target, const QTime& time) {
    const int seconds = secondsSinceMidnight(time);
    if (seconds < 0)
        return makeError("no valid time to name the reports after");
    for (int attempt = 0; attempt < kAutomaticBaseAttempts; ++attempt) {
        const QString base = target.base + QString::number(seconds + attempt);
        if (!reportFilesExist(target.folder + base))
            return base;
    }
    return makeError("every report name from \"" + target.basePath().toStdString() +
                     QString::number(seconds).toStdString() + "\" on is taken");
}

QString overwriteQuestionText(const QString& base) {
    return QStringLiteral("同名ファイルがあります。（") + base +
           QStringLiteral("）。上書きしますか。\n「いいえ」なら自動的にﾌｧｲﾙ名を決めます。");
}

QString savedMessageText(const ReportTarget& target) {
    return QStringLiteral("保存しました。\n(ﾌｫﾙﾀﾞ：") + target.folder +
           QStringLiteral(")\n（ﾌｧｲﾙ名：") + target.base + QStringLiteral("）");
}

}  // namespace kirimo
