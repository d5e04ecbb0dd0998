#include "core/print_info_file.h"

#include <QFileInfo>
#include <QStringList>
#include <array>

#include "core/number_rules.h"
#include "core/text_file.h"

namespace kirimo {

namespace {

template <bool PrintInfo::*Member>
constexpr PrintInfoField flagField(const char* name) {
    return {name, 1, [](const PrintInfo& info) { return info.*Member ? 1 : 0; },
            [](PrintInfo& info, int value) { info.*Member = value != 0; }};
}

constexpr std::array kFields = {
    flagField<&PrintInfo::colour>("chkCOLOR"),
    flagField<&PrintInfo::fillCell>("chkFONTSIZE"),
    flagField<&PrintInfo::gridLines>("chkLINE"),
    PrintInfoField{
        "optLINE", 1, [](const PrintInfo& info) { return static_cast<int>(info.lineStyle); },
        [](PrintInfo& info, int value) { info.lineStyle = static_cast<ChartLineStyle>(value); }},
    flagField<&PrintInfo::checkedPagesOnly>("chkPR"),
    flagField<&PrintInfo::skipWhiteCharacters>("chkWHITE"),
    flagField<&PrintInfo::skipWhitePages>("chkALLWHITE"),
    flagField<&PrintInfo::cover>("chkCOVER"),
    flagField<&PrintInfo::legend>("chkLEGEND"),
    flagField<&PrintInfo::boldTens>("chkBOLD10"),
    flagField<&PrintInfo::fillColour>("chkFILLCOL"),
};

}  // namespace

std::span<const PrintInfoField> printInfoFields() {
    return kFields;
}

PrintInfo parsePrintInfo(const QString& line) {
    PrintInfo info;
    const QStringList texts = line.split(u',');
    for (size_t i = 0; i < kFields.size() && i < static_cast<size_t>(texts.size()); ++i) {
        const auto value = parseInt32(texts[static_cast<qsizetype>(i)]);
        if (value && *value >= 0 && *value <= kFields[i].largest)
            kFields[i].set(info, *value);
    }
    return info;
}

QString printInfoLine(const PrintInfo& info) {
    QStringList texts;
    for (const PrintInfoField& field : kFields)
        texts.append(QString::number(field.get(info)));
    return texts.join(u',');
}

PrintInfo readPrintInfoFile(const QString& path) {
    auto lines = readSettingsLines(path);
    if (!lines || lines->isEmpty())
        return {};
    return parsePrintInfo(lines->first());
}

Result<void> writePrintInfoFile(const QString& path, const PrintInfo& info) {
    return writeSettingsLines(path, {printInfoLine(info)});
}

}  // namespace kirimo
