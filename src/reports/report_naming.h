#pragma once
// Where the report files go: the folder and stem of a target path (the picture's own path
// when saving automatically, else the name chosen in the save dialog), the check for
// earlier reports of that name, and the automatic name used instead of overwriting them.

#include <QString>
#include <QTime>

#include "imaging/result.h"

namespace kirimo {

struct ReportTarget {
    QString folder;  // ends in the separator
    QString base;    // the file name before its first "."

    // folder + base; the report files add ".txt", ".csv" and ".bmp".
    QString basePath() const { return folder + base; }
};

// The folder of the target path (a relative path is taken from the current folder) and
// the part of its last element before the first ".": /絵/cat.face.jpg gives /絵/ and cat.
// Refuses a path whose file name is empty or starts with ".", which leaves no base.
Result<ReportTarget> reportTarget(const QString& targetPath);

// True when a report of this base would replace a file: basePath + ".txt", ".csv" or
// ".bmp" exists.
bool reportFilesExist(const QString& basePath);

// The whole seconds since midnight of `time` (0 to 86399), -1 for an invalid time.
int secondsSinceMidnight(const QTime& time);

// The base used instead of overwriting earlier reports: base followed by the seconds since
// midnight of `time` in plain decimal (cat at 10:00:00 gives cat36000). Should that name be
// taken as well (reportFilesExist), the following seconds are tried, up to
// kAutomaticBaseAttempts names; an error when all of them are taken or the time is invalid.
constexpr int kAutomaticBaseAttempts = 1000;
Result<QString> automaticBase(const ReportTarget& target, const QTime& time);

// The question asked before replacing earlier reports.
QString overwriteQuestionText(const QString& base);

// The message shown after saving: the folder with its closing separator and the base.
QString savedMessageText(const ReportTarget& target);

}  // namespace kirimo
