#include "cli/symbols_option.h"

#include <sys/stat.h>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "core/symbol_settings_file.h"
#include "core/text_file.h"

namespace kirimo::cli {

namespace {

std::string quoted(const QString& path) {
    return "\"" + path.toStdString() + "\"";
}

// Why there is no regular file at path, or nothing when there is one.
std::string notARegularFile(const QString& path) {
    struct stat status {};
    if (path.contains(QChar(u'\0')))
        return "the name holds a zero byte, which no file name can";
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        if (errno == ENOENT)
            return "there is no such file";
        std::string reason = std::strerror(errno);
        if (!reason.empty())
            reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
        return reason;
    }
    if (S_ISDIR(status.st_mode))
        return "it is a folder, not a symbol settings file";
    if (!S_ISREG(status.st_mode))
        return "it is not a regular file (a pipe or a device?)";
    return {};
}

}  // namespace

QString replacedFontFamily(const QString& family) {
    if (family.isEmpty() || QFontDatabase::families().contains(family, Qt::CaseInsensitive))
        return {};
    const QString used = QFontInfo(QFont(family)).family();
    if (used.compare(family, Qt::CaseInsensitive) == 0 ||
        QFont::substitutes(family).contains(used, Qt::CaseInsensitive)) {
        return {};
    }
    return used;
}

Result<SymbolSettings> readSymbolsOption(const QString& path, QTextStream& err) {
    if (const std::string reason = notARegularFile(path); !reason.empty())
        return makeError("--symbols: cannot open " + quoted(path) + ": " + reason);
    auto lines = readTextLines(path);
    if (!lines)
        return makeError("--symbols: " + lines.error());
    // Checked before anything in it is used: the picture paths of another file's lines
    // would each be asked about.
    if (auto structure = checkSymbolSettingsLines(*lines); !structure) {
        return makeError("--symbols: " + quoted(path) + " is not a symbol settings file (" +
                         structure.error() + ")");
    }
    SymbolSettings settings;
    parseSymbolSettings(*lines, settings);
    if (const QString used = replacedFontFamily(settings.fontName); !used.isEmpty()) {
        err << "kirimo-cli: the symbol font \"" << settings.fontName << "\" named in \"" << path
            << "\" is not installed; \"" << used << "\" is used instead\n";
    }
    return settings;
}

}  // namespace kirimo::cli
