#include "core/diffusion_presets.h"

#include <QDir>

#include "core/number_rules.h"
#include "core/text_file.h"

namespace kirimo {

DiffusionPresets parseDiffusionPresets(const QStringList& lines) {
    DiffusionPresets presets;
    if (lines.isEmpty())
        return presets;
    const QStringList fields = lines.first().split(u',');
    DiffusionState& state = presets.current;
    if (!lines.first().isEmpty()) {
        if (const auto method = parseInt16(fields[0]); method && *method >= 0) {
            state.method = static_cast<DiffusionMethod>(std::min<int>(*method, 2));
        }
        if (fields.size() > 1)
            state.presetName = fields[1];
        if (fields.size() > 2) {
            if (const auto rate = parseInt32(fields[2]);
                rate && *rate >= kRateMin && *rate <= kRateMax) {
                state.rate = *rate;
            }
        }
        for (int k = 0; k < kWeightCount && k + 3 < fields.size(); ++k) {
            state.weightTexts[k] = fields[k + 3];
        }
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (!lines[i].isEmpty())
            presets.presetLines.append(lines[i]);
    }
    return presets;
}

QString currentSettingsLine(const DiffusionState& state) {
    QStringList fields = {QString::number(static_cast<int>(state.method)), state.presetName,
                          QString::number(state.rate)};
    for (const QString& weight : state.weightTexts)
        fields.append(weight);
    return fields.join(u',');
}

QStringList presetNames(const QStringList& presetLines) {
    QStringList names;
    for (const QString& line : presetLines)
        names.append(line.section(u',', 0, 0));
    return names;
}

Result<QString> makePresetLine(const QString& name, int rate,
                               const std::array<QString, kWeightCount>& weightTexts) {
    if (name.isEmpty())
        return makeError("a preset needs a name");
    if (name.contains(u',')) {
        return makeError("a preset name cannot contain \",\" (\"" + name.toStdString() + "\")");
    }
    QStringList fields = {name, QString::number(rate)};
    for (const QString& weight : weightTexts)
        fields.append(weight);
    return fields.join(u',');
}

std::optional<QString> duplicatePresetName(const QStringList& presetLines, int rate,
                                           const std::array<QString, kWeightCount>& weightTexts) {
    std::array<std::optional<int16_t>, kWeightCount> weights;
    for (int k = 0; k < kWeightCount; ++k)
        weights[k] = parseInt16(weightTexts[k]);
    for (const QString& line : presetLines) {
        const QStringList fields = line.split(u',');
        if (fields.size() < 2 + kWeightCount)
            continue;
        const auto storedRate = parseInt32(fields[1]);
        if (!storedRate || *storedRate != rate)
            continue;
        bool same = true;
        for (int k = 0; k < kWeightCount && same; ++k) {
            const auto stored = parseInt16(fields[k + 2]);
            same = stored && weights[k] && *stored == *weights[k];
        }
        if (same)
            return fields[0];
    }
    return std::nullopt;
}

std::optional<PresetValues> presetValues(const QStringList& presetLines, qsizetype index) {
    if (index < 0 || index >= presetLines.size())
        return std::nullopt;
    const QStringList fields = presetLines[index].split(u',');
    PresetValues values;
    if (fields.size() > 1) {
        if (const auto rate = parseInt32(fields[1]);
            rate && *rate >= kRateMin && *rate <= kRateMax) {
            values.rate = *rate;
        }
    }
    for (int k = 0; k < kWeightCount && k + 2 < fields.size(); ++k) {
        values.weightTexts[k] = fields[k + 2];
    }
    return values;
}

DiffusionPresets readDiffusionPresets(const QString& folder) {
    auto lines = readSettingsLines(QDir(folder).filePath(kDorvelFileName));
    if (!lines)
        return {};
    return parseDiffusionPresets(*lines);
}

Result<void> writeDiffusionPresets(const QString& folder, const DiffusionPresets& presets) {
    QStringList lines = {currentSettingsLine(presets.current)};
    lines += presets.presetLines;
    return writeSettingsLines(QDir(folder).filePath(kDorvelFileName), lines);
}

}  // namespace kirimo
