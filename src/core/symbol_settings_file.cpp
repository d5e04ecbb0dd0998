#include "core/symbol_settings_file.h"

#include <QDir>
#include <QFileInfo>

#include "core/colour_table.h"
#include "core/file_system.h"
#include "core/number_rules.h"
#include "core/text_file.h"

namespace kirimo {

namespace {

constexpr int kSectionLines = 14;
const QString kPictureHeading = QStringLiteral("<画像>");

QString settingsPath(const QString& folder) {
    return QDir(folder).filePath(QLatin1String(kCodeUsePrintFileName));
}

void readFontLine(const QString& line, SymbolSettings& settings) {
    // An empty line names no font (it has no fields at all).
    if (line.isEmpty())
        return;
    const QStringList fields = line.split(QLatin1Char(','));
    settings.fontName = fields[0];
    if (fields.size() > 1) {
        if (auto bold = parseInt32(fields[1]))
            settings.bold = *bold;
    }
    if (fields.size() > 2) {
        if (auto italic = parseInt32(fields[2]))
            settings.italic = *italic;
    }
}

void readPictureLine(const QString& line, PictureSlot& slot, const PictureExists& exists) {
    // The last comma separates the flag, so that a path containing "," stays whole.
    const qsizetype comma = line.lastIndexOf(QLatin1Char(','));
    const QString path = comma < 0 ? line : line.left(comma);
    if (path.isEmpty() || !exists(path))
        return;  // the slot stays free
    slot.path = path;
    if (comma < 0) {
        slot.used = true;
    } else {
        const auto flag = parseNumber(QStringView(line).mid(comma + 1));
        slot.used = flag.has_value() && *flag != 0;
    }
}

}  // namespace

bool pictureFileExists(const QString& path) {
    // A name holding a zero byte names no file.
    if (path.contains(QChar(u'\0')))
        return false;
    return isRegularFile(path);
}

Result<void> checkSymbolSettingsLines(const QStringList& lines) {
    const qsizetype n = lines.size();
    const auto isHeading = [](const QString& line) {
        return line.size() >= 2 && line.startsWith(QLatin1Char('[')) &&
               line.endsWith(QLatin1Char(']'));
    };
    bool sections = false;
    for (qsizetype i = 0; i < n;) {
        // A line outside the sections without "[" is a font line, as parseSymbolSettings
        // reads it.
        if (!lines[i].contains(QLatin1Char('['))) {
            ++i;
            continue;
        }
        if (!isHeading(lines[i])) {
            return makeError("line " + std::to_string(i + 1) +
                             " should be a colour section's heading such as \"[黒]\"");
        }
        if (n - i < kSectionLines) {
            return makeError("the section opened on line " + std::to_string(i + 1) +
                             " ends early (a section has 14 lines)");
        }
        if (lines[i + 3] != kPictureHeading) {
            return makeError("line " + std::to_string(i + 4) + " should be \"" +
                             kPictureHeading.toStdString() + "\"");
        }
        sections = true;
        i += kSectionLines;
    }
    if (!sections)
        return makeError("there is no colour section, such as \"[黒]\" and the 13 lines after it");
    return {};
}

void applyDefaultSymbols(SymbolSettings& settings) {
    for (int k = 0; k < kColourCount; ++k) {
        settings.colours[static_cast<size_t>(k)].characters = colourName(k);
        settings.colours[static_cast<size_t>(k)].flags = QStringLiteral("1");
    }
}

void parseSymbolSettings(const QStringList& lines, SymbolSettings& settings,
                         const PictureExists& exists) {
    int section = 0;
    qsizetype i = 0;
    const qsizetype n = lines.size();
    while (i < n) {
        const QString& line = lines[i++];
        if (!line.contains(QLatin1Char('['))) {
            readFontLine(line, settings);
            continue;
        }
        ColourSymbols* colour =
            section < kColourCount ? &settings.colours[static_cast<size_t>(section)] : nullptr;
        ++section;
        // The section's remaining lines, by position; a short file ends inside it.
        for (int j = 1; j < kSectionLines && i < n; ++j, ++i) {
            if (colour == nullptr)
                continue;
            if (j == 1)
                colour->characters = lines[i];
            else if (j == 2)
                colour->flags = lines[i];
            else if (j >= 4)
                readPictureLine(lines[i], colour->pictures[static_cast<size_t>(j - 4)], exists);
        }
    }
    // A file cut short, or garbled before some sections, still leaves every colour a
    // symbol: those without a section offer their own name, as with no file.
    for (int k = section; k < kColourCount; ++k) {
        settings.colours[static_cast<size_t>(k)].characters = colourName(k);
        settings.colours[static_cast<size_t>(k)].flags = QStringLiteral("1");
    }
}

void readSymbolSettings(const QString& folder, SymbolSettings& settings) {
    const QString path = settingsPath(folder);
    auto lines = readSettingsLines(path);
    if (!lines) {
        applyDefaultSymbols(settings);
        return;
    }
    parseSymbolSettings(*lines, settings);
}

void putColourNamesFirst(SymbolSettings& settings) {
    for (int k = 0; k < kUserColourNumber; ++k) {
        ColourSymbols& colour = settings.colours[static_cast<size_t>(k)];
        const QString name = colourName(k);
        if (!colour.characters.startsWith(name)) {
            colour.characters.prepend(name);
            colour.flags.prepend(QStringLiteral("0,"));
        }
    }
}

QStringList symbolSettingsLines(const SymbolSettings& settings) {
    QStringList lines;
    lines.reserve(1 + kColourCount * kSectionLines);
    // Joined, not formatted: a font name may hold "%1" and the like.
    lines << settings.fontName + QLatin1Char(',') + QString::number(settings.bold != 0 ? 1 : 0) +
                 QLatin1Char(',') + QString::number(settings.italic != 0 ? 1 : 0);
    for (int k = 0; k < kColourCount; ++k) {
        const ColourSymbols& colour = settings.colours[static_cast<size_t>(k)];
        lines << (k == kUserColourNumber ? QStringLiteral("[]")
                                         : QStringLiteral("[%1]").arg(colourName(k)));
        lines << colour.characters << colour.flags << kPictureHeading;
        int written = 0;
        for (const PictureSlot& slot : colour.pictures) {
            if (slot.isFree())
                continue;
            lines << slot.path + (slot.used ? QStringLiteral(",-1") : QStringLiteral(",0"));
            ++written;
        }
        for (; written < kPictureSlotCount; ++written)
            lines << QStringLiteral(",");
    }
    return lines;
}

Result<void> writeSymbolSettings(const QString& folder, const SymbolSettings& settings) {
    return writeSettingsLines(settingsPath(folder), symbolSettingsLines(settings));
}

}  // namespace kirimo
