// Fuzz target for Dorvel.ini: any bytes give diffusion settings within their ranges, the
// preset look-ups take every line, and what is written reads back as the same settings.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/diffusion_presets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    QFile file(QDir(folder.path()).filePath(kirimo::kDorvelFileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();

    const kirimo::DiffusionPresets read = kirimo::readDiffusionPresets(folder.path());
    const kirimo::DiffusionState& state = read.current;
    const int method = static_cast<int>(state.method);
    if (method < 0 || method > 2 || state.rate < kirimo::kRateMin || state.rate > kirimo::kRateMax)
        __builtin_trap();
    const QStringList names = kirimo::presetNames(read.presetLines);
    if (names.size() != read.presetLines.size())
        __builtin_trap();
    for (qsizetype i = 0; i < read.presetLines.size(); ++i) {
        const auto values = kirimo::presetValues(read.presetLines, i);
        if (!values || (values->rate &&
                        (*values->rate < kirimo::kRateMin || *values->rate > kirimo::kRateMax))) {
            __builtin_trap();
        }
        if (values->rate) {
            std::array<QString, kirimo::kWeightCount> weights;
            for (int k = 0; k < kirimo::kWeightCount; ++k)
                weights[k] = values->weightTexts[k].value_or(QString());
            (void)kirimo::duplicatePresetName(read.presetLines, *values->rate, weights);
        }
    }

    if (!kirimo::writeDiffusionPresets(folder.path(), read).ok())
        return 0;
    // The preset lines are written as they were read and come back the same. The first
    // line is built anew, so a field that kept undecodable bytes may read back decoded once
    // the rest of the line has changed; its text is compared only when it had none.
    const kirimo::DiffusionPresets back = kirimo::readDiffusionPresets(folder.path());
    if (back.current.method != state.method || back.current.rate != state.rate ||
        back.presetLines != read.presetLines) {
        __builtin_trap();
    }
    const QString line = kirimo::currentSettingsLine(state);
    const bool kept = std::any_of(line.begin(), line.end(), [](QChar c) {
        return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF;
    });
    if (!kept && kirimo::currentSettingsLine(back.current) != line)
        __builtin_trap();
    return 0;
}
