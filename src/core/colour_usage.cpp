#include "core/colour_usage.h"

#include <QStringList>

#include "core/number_rules.h"

namespace kirimo {

std::optional<ColourUsageView> colourUsageView(const QString& usage) {
    const QStringList fields = usage.split(u',');
    if (fields.size() < 1 + kColourCount)
        return std::nullopt;
    constexpr double kRedLimit = static_cast<double>(0.01f);
    constexpr double kBlueLimit = static_cast<double>(0.05f);
    constexpr double kBlackLimit = static_cast<double>(0.1f);
    ColourUsageView view;
    for (int k = 0; k < kColourCount; ++k) {
        const double share = parseNumber(fields[k + 1]).value_or(0.0);
        view.ticked[k] = share > 0;
        if (share <= 0 || share > kBlackLimit) {
            view.marks[k] = UsageMark::Hidden;
        } else if (share <= kRedLimit) {
            view.marks[k] = UsageMark::Red;
        } else if (share <= kBlueLimit) {
            view.marks[k] = UsageMark::Blue;
        } else {
            view.marks[k] = UsageMark::Black;
        }
    }
    return view;
}

}  // namespace kirimo
