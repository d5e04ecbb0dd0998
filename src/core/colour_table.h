#pragma once
// The eighteen named colours a dot picture is drawn in. Entries 0 to 16 are fixed;
// entry 17 is the user colour, kept between runs in EditCol.ini.

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "imaging/colour_space.h"
#include "imaging/palette.h"
#include "imaging/result.h"

namespace kirimo {

inline constexpr const char* kEditColFileName = "EditCol.ini";
inline constexpr const char* kDefaultUserColourText = "808080";

struct ColourEntry {
    QString text;  // RRGGBB as hexadecimal digits
    int red = 0;
    int green = 0;
    int blue = 0;
    int32_t packed = 0;  // red + 256 green + 65536 blue
    Ycc ycc{};
};

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// Six hexadecimal digits RRGGBB (either case). Nothing for any other text.
std::optional<Rgb> parseColourText(const QString& text);

// RRGGBB in upper-case hexadecimal, each component two digits.
QString colourText(int red, int green, int blue);

// The one-character name of ColourNumber n ("黒" for 0 ... "自" for 17); empty outside 0..17.
QString colourName(int n);

// The ColourNumbers a palette kind switches on (0 ﾓﾉｸﾛ, 1 標準8色, 2 16色, 3 18色,
// 4 ３原色); nothing for any other kind.
std::vector<int> paletteColours(int kind);

class ColourTable {
  public:
    // The start-up values, the user colour at 808080.
    ColourTable();

    // Fills the table: entries 0 to 16 fixed, entry 17 from EditCol.ini in `folder` when
    // its first field is six hexadecimal digits, else 808080.
    void init(const QString& folder);

    const ColourEntry& operator[](int n) const { return entries_[static_cast<size_t>(n)]; }

    // Stores one component (0 red, 1 green, 2 blue) of the user colour, 0 to 255, and
    // recomputes its packed value and colour-difference values.
    void setUserColourComponent(int component, int value);

    // Writes the user colour to EditCol.ini in `folder`, replacing the file.
    Result<void> saveUserColour(const QString& folder) const;

    // The table as the conversion engine takes it.
    Palette palette() const;

  private:
    void setEntry(int n, const QString& text);

    std::array<ColourEntry, kColourCount> entries_;
};

// The ColourNumber whose packed value is numerically nearest to `colour` (a packed value
// 0x00BBGGRR); ties keep the lower number.
int getColorNumber(double colour, const ColourTable& table);

}  // namespace kirimo
