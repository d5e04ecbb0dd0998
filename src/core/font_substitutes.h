#pragma once
// Fonts of the Windows version asked for by name. fontconfig on its own resolves
// "ＭＳ ゴシック" to a Latin sans serif whose metrics then size the chart labels; the
// program asks Qt to use the Japanese Gothic for these names instead. Header-only, so
// that every program with QtGui (the test programs of each layer too) can call it.

#include <QFont>
#include <QFontDatabase>
#include <QString>

namespace kirimo {

// The Japanese Gothic the program uses wherever a Windows Gothic is named.
inline constexpr const char* kJapaneseGothicFamily = "IPAexGothic";

// Makes the Windows Gothic family names resolve to kJapaneseGothicFamily, when that font
// is installed (otherwise fontconfig's choice stays). Needs a QGuiApplication.
inline void installFontSubstitutes() {
    const QString gothic = QString::fromLatin1(kJapaneseGothicFamily);
    if (!QFontDatabase::families().contains(gothic))
        return;
    for (const char* name : {"ＭＳ ゴシック", "ＭＳ Ｐゴシック", "MS Gothic", "MS PGothic"})
        QFont::insertSubstitution(QString::fromUtf8(name), gothic);
}

}  // namespace kirimo
