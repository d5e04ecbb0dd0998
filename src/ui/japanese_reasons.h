#pragma once
// The layers below the windows say what failed in English, the words kirimo-cli prints.
// The windows show the same reasons in Japanese: known messages and the system's and
// Qt's reasons inside them are put into Japanese, file names and numbers kept as they
// are; a message this table does not know is shown as it came.

#include <QString>
#include <string>

namespace kirimo::ui {

QString japaneseReason(const QString& english);
QString japaneseReason(const std::string& english);

}  // namespace kirimo::ui
