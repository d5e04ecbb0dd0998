#pragma once
// What every dialog that opens pictures shares: the formats it offers and the folder it
// starts in.

#include <QString>
#include <QStringList>

namespace kirimo::ui {

// "画像ﾌｧｲﾙ (...);;すべてのﾌｧｲﾙ (*)": every format the picture reader reads (BMP, JPEG,
// PNG first), each extension in lower and upper case.
QString pictureFileFilter();

// The folder of the picture last opened; before any, the user's Pictures folder, or the
// home folder when there is none. Never the settings folder, which is only current.
QString pictureDialogFolder();

// Remembers the folder of the picture file `path` as the one last opened.
void rememberPictureFolder(const QString& path);
void rememberPictureFolder(const QStringList& paths);

}  // namespace kirimo::ui
