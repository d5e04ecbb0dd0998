#include "imaging/sheets.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace kirimo {

namespace {

// Ceiling of size / side for size >= 0 and side >= 1, without forming size + side.
int sheetsAcross(int size, int side) {
    return size == 0 ? 0 : (size - 1) / side + 1;
}

std::string hexPixel(Pixel p) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "0x000000";
    for (int i = 0; i < 6; ++i)
        text[7 - i] = digits[(p >> (4 * i)) & 0xF];
    return text;
}

}  // namespace

Result<SheetGrid> SheetGrid::create(int pictureWidth, int pictureHeight, SheetSize sheetSize) {
    if (sheetSize.width < kSheetSideMin || sheetSize.height < kSheetSideMin) {
        return makeError("sheet size " + std::to_string(sheetSize.width) + " x " +
                         std::to_string(sheetSize.height) +
                         " is not allowed (both sides must be whole numbers of at least 1)");
    }
    if (!PixelBuffer::sizeAllowed(pictureWidth, pictureHeight)) {
        return makeError("picture size " + std::to_string(pictureWidth) + " x " +
                         std::to_string(pictureHeight) + " cannot be divided into sheets");
    }
    const int columns = sheetsAcross(pictureWidth, sheetSize.width);
    const int rows = sheetsAcross(pictureHeight, sheetSize.height);
    // columns <= width and rows <= height, so their product fits as the pixel count does.
    return SheetGrid(pictureWidth, pictureHeight, sheetSize, columns, rows);
}

Sheet SheetGrid::sheetAt(int column, int row) const {
    if (column < 1 || column > columns_ || row < 1 || row > rows_)
        return Sheet{column, row, 0, 0, 0, 0};
    // Inside the grid the top-left dot lies inside the picture, so these products fit.
    const int x = (column - 1) * sheetSize_.width;
    const int y = (row - 1) * sheetSize_.height;
    const int width = std::min(sheetSize_.width, pictureWidth_ - x);
    const int height = std::min(sheetSize_.height, pictureHeight_ - y);
    return Sheet{column, row, x, y, width, height};
}

Sheet SheetGrid::sheet(int index) const {
    if (index < 0 || index >= count())
        return Sheet{};
    return sheetAt(index % columns_ + 1, index / columns_ + 1);
}

std::vector<Sheet> SheetGrid::sheets() const {
    std::vector<Sheet> all;
    all.reserve(static_cast<size_t>(count()));
    for (int row = 1; row <= rows_; ++row) {
        for (int column = 1; column <= columns_; ++column)
            all.push_back(sheetAt(column, row));
    }
    return all;
}

std::vector<int> divisorList(int size) {
    // Divisors pair up around the square root: k divides size exactly when size / k does.
    std::vector<int> small;
    std::vector<int> large;
    for (int k = 1; int64_t{k} * k <= size; ++k) {
        if (size % k != 0)
            continue;
        if (k >= 2)
            small.push_back(k);
        if (size / k != k)
            large.push_back(size / k);
    }
    small.insert(small.end(), large.rbegin(), large.rend());
    return small;
}

Result<ColourNumberMap> ColourNumberMap::create(const PixelBuffer& pixels,
                                                const std::function<int(Pixel)>& colourNumberOf) {
    ColourNumberMap map;
    map.width_ = pixels.width();
    map.height_ = pixels.height();
    map.numbers_.resize(pixels.size());

    // Converted pictures hold few distinct values, mostly in runs: remember every answer.
    std::unordered_map<Pixel, uint8_t> known;
    bool haveLast = false;
    Pixel lastPixel = 0;
    uint8_t lastNumber = 0;
    const Pixel* source = pixels.data();
    for (size_t i = 0; i < pixels.size(); ++i) {
        const Pixel p = source[i];
        if (!haveLast || p != lastPixel) {
            auto found = known.find(p);
            if (found == known.end()) {
                const int number = colourNumberOf(p);
                if (number < 0 || number >= kColourCount) {
                    return makeError("pixel " + hexPixel(p) + " was given colour number " +
                                     std::to_string(number) + " (0 to 17 allowed)");
                }
                found = known.emplace(p, static_cast<uint8_t>(number)).first;
            }
            haveLast = true;
            lastPixel = p;
            lastNumber = found->second;
        }
        map.numbers_[i] = lastNumber;
    }
    return map;
}

ColourCounts countSheet(const ColourNumberMap& map, const Sheet& sheet) {
    ColourCounts counts{};
    const int x0 = std::max(sheet.x, 0);
    const int y0 = std::max(sheet.y, 0);
    const int x1 = static_cast<int>(std::min<int64_t>(int64_t{sheet.x} + sheet.width, map.width()));
    const int y1 =
        static_cast<int>(std::min<int64_t>(int64_t{sheet.y} + sheet.height, map.height()));
    for (int y = y0; y < y1; ++y) {
        const uint8_t* row = map.row(y);
        for (int x = x0; x < x1; ++x)
            ++counts[row[x]];
    }
    return counts;
}

std::vector<ColourCounts> countSheets(const ColourNumberMap& map, const SheetGrid& grid) {
    std::vector<ColourCounts> all;
    all.reserve(static_cast<size_t>(grid.count()));
    for (const Sheet& sheet : grid.sheets())
        all.push_back(countSheet(map, sheet));
    return all;
}

ColourCounts countPicture(const ColourNumberMap& map) {
    return countSheet(map, Sheet{1, 1, 0, 0, map.width(), map.height()});
}

}  // namespace kirimo
