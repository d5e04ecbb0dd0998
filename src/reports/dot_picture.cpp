#include "reports/dot_picture.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace kirimo {

DotPictureColours countDotPictureColours(const PixelBuffer& pixels, const ColourTable& table) {
    // The usable colours sorted by pixel value; of equal values the lowest number first.
    std::vector<std::pair<Pixel, int>> colours;
    for (int k = 0; k < kColourCount; ++k) {
        if (table.usable(k))
            colours.emplace_back(colourValueToPixel(table[k].packed), k);
    }
    std::sort(colours.begin(), colours.end());
    const auto numberOf = [&colours](Pixel p) {
        const auto found = std::lower_bound(colours.begin(), colours.end(), std::pair{p, 0});
        return found != colours.end() && found->first == p ? found->second : -1;
    };

    DotPictureColours result;
    // Neighbouring dots mostly share their colour: the last one found is tried first.
    Pixel last = 0;
    int lastNumber = numberOf(last);
    const Pixel* p = pixels.data();
    int number = -1;
    for (size_t i = 0, n = pixels.size(); i < n; ++i) {
        if (p[i] != last) {
            last = p[i];
            lastNumber = numberOf(last);
        }
        number = lastNumber;
        if (number < 0)
            ++result.foreign;
        else
            ++result.counts[static_cast<size_t>(number)];
    }
    result.lastColour = std::max(number, 0);
    return result;
}

}  // namespace kirimo
