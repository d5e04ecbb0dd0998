#pragma once
// Division of a picture into rectangular sheets of a chosen number of dots, and the count
// of the dots of each colour per sheet and over the whole picture.
//
// Sheet (c, r), counted from 1, covers dots x = (c - 1) sheetW ... c sheetW - 1 and
// y = (r - 1) sheetH ... r sheetH - 1; the last column and row may be partial. Sheet order
// is row by row from the top, and within a row from the left.

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/palette.h"
#include "imaging/pixel_buffer.h"
#include "imaging/result.h"

namespace kirimo {

// Dots across and down of one sheet. Declared range: both at least 1.
struct SheetSize {
    int width = 0;
    int height = 0;
};

constexpr int kSheetSideMin = 1;

// One sheet of a grid and the part of it that lies inside the picture.
struct Sheet {
    int column = 0;  // from 1, left to right
    int row = 0;     // from 1, top to bottom
    int x = 0;       // top-left dot
    int y = 0;
    int width = 0;   // dots across inside the picture (fewer in a partial last column)
    int height = 0;  // dots down inside the picture (fewer in a partial last row)
};

class SheetGrid {
  public:
    // The grid of a pictureWidth x pictureHeight picture. Refuses sheet sides below 1 and
    // picture sizes a PixelBuffer cannot hold; a picture without dots has no sheets.
    static Result<SheetGrid> create(int pictureWidth, int pictureHeight, SheetSize sheetSize);

    int pictureWidth() const { return pictureWidth_; }
    int pictureHeight() const { return pictureHeight_; }
    SheetSize sheetSize() const { return sheetSize_; }

    int columns() const { return columns_; }  // ceiling of pictureWidth / sheet width
    int rows() const { return rows_; }        // ceiling of pictureHeight / sheet height
    int count() const { return columns_ * rows_; }

    // Sheet (column, row), both counted from 1. Outside the grid: a sheet with no dots.
    Sheet sheetAt(int column, int row) const;

    // The sheet at `index` (from 0) in sheet order. Outside the grid: a sheet with no dots.
    Sheet sheet(int index) const;

    // Every sheet in sheet order.
    std::vector<Sheet> sheets() const;

  private:
    SheetGrid(int pictureWidth, int pictureHeight, SheetSize sheetSize, int columns, int rows)
        : pictureWidth_(pictureWidth),
          pictureHeight_(pictureHeight),
          sheetSize_(sheetSize),
          columns_(columns),
          rows_(rows) {}

    int pictureWidth_;
    int pictureHeight_;
    SheetSize sheetSize_;
    int columns_;
    int rows_;
};

// Every k from 2 to size that divides size, ascending (the sheet sizes offered for a
// picture side). Empty when size is below 2.
std::vector<int> divisorList(int size);

// The ColourNumber (0 to 17) of every dot of a picture.
class ColourNumberMap {
  public:
    ColourNumberMap() = default;

    // Asks colourNumberOf once for each distinct pixel value of the picture. Refuses a
    // result outside 0 to 17, naming the pixel.
    static Result<ColourNumberMap> create(const PixelBuffer& pixels,
                                          const std::function<int(Pixel)>& colourNumberOf);

    int width() const { return width_; }
    int height() const { return height_; }
    int at(int x, int y) const { return numbers_[static_cast<size_t>(y) * width_ + x]; }
    const uint8_t* row(int y) const { return numbers_.data() + static_cast<size_t>(y) * width_; }

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> numbers_;
};

// Dots per ColourNumber. A picture holds fewer than 2^29 dots, so no count overflows.
using ColourCounts = std::array<int32_t, kColourCount>;

// The counts of the sheet's dots inside the map (a sheet reaching beyond the map is
// clipped to it).
ColourCounts countSheet(const ColourNumberMap& map, const Sheet& sheet);

// The counts of every sheet of the grid, in sheet order.
std::vector<ColourCounts> countSheets(const ColourNumberMap& map, const SheetGrid& grid);

// The counts of the whole picture.
ColourCounts countPicture(const ColourNumberMap& map);

}  // namespace kirimo
