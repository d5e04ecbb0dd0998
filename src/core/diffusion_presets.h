#pragma once
// Dorvel.ini: the diffusion settings in use when the conversion window last closed (first
// line: method, preset name, rate, the twelve weight texts) and the named presets (one per
// further line: name, rate, the twelve weight texts), comma-separated without quoting.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "imaging/conversion.h"
#include "imaging/result.h"

namespace kirimo {

inline constexpr const char* kDorvelFileName = "Dorvel.ini";

enum class DiffusionMethod { FloydSteinberg = 0, JarvisJudiceNinke = 1, Custom = 2 };

// The diffusion part of the conversion window, as its controls hold it.
struct DiffusionState {
    DiffusionMethod method = DiffusionMethod::FloydSteinberg;
    QString presetName;
    int rate = kRateDefault;
    std::array<QString, kWeightCount> weightTexts = {"7", "0", "0", "3", "5", "1",
                                                     "0", "0", "0", "0", "0", "0"};
};

struct DiffusionPresets {
    DiffusionState current;   // the creation state where the file cannot supply a value
    QStringList presetLines;  // in file order
};

// Reads the file's lines. A missing or empty first line leaves the creation state; a
// method field that is not a whole number or is negative leaves method 0; above 2 it is
// Custom; a rate that is not a whole number from 0 to 100 leaves 100; missing fields
// leave their creation values. Empty preset lines are dropped.
DiffusionPresets parseDiffusionPresets(const QStringList& lines);

// The first line of the file for the given state.
QString currentSettingsLine(const DiffusionState& state);

// The name of each preset line (its first field), in order.
QStringList presetNames(const QStringList& presetLines);

// The preset line "name,rate,w1,...,w12". Refuses an empty name and a name containing
// "," (it would split into extra fields when read back).
Result<QString> makePresetLine(const QString& name, int rate,
                               const std::array<QString, kWeightCount>& weightTexts);

// The name of the first preset with this rate and these weights (each weight text as a
// 16-bit whole number; a text that is not one never matches), if any.
std::optional<QString> duplicatePresetName(const QStringList& presetLines, int rate,
                                           const std::array<QString, kWeightCount>& weightTexts);

// The rate and weight texts of preset line `index` (for the fields present); nothing for
// an index outside the list.
struct PresetValues {
    std::optional<int> rate;
    std::array<std::optional<QString>, kWeightCount> weightTexts;
};
std::optional<PresetValues> presetValues(const QStringList& presetLines, qsizetype index);

// Reads folder/Dorvel.ini; a missing file gives the creation state and no presets.
DiffusionPresets readDiffusionPresets(const QString& folder);

// Rewrites folder/Dorvel.ini whole: the current line, then every preset line.
Result<void> writeDiffusionPresets(const QString& folder, const DiffusionPresets& presets);

}  // namespace kirimo
