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

// The bead a colour of a colour set stands for: the maker's code and name, and its colour.
struct BeadColour {
    QString code;
    QString name;
    Rgb rgb;
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
    // recomputes its packed value and colour-difference values. Only in the standard set.
    void setUserColourComponent(int component, int value);

    // Writes the user colour of the standard set to EditCol.ini in `folder`, replacing the
    // file.
    Result<void> saveUserColour(const QString& folder) const;

    // The table as the conversion engine takes it.
    Palette palette() const;

    // Binds the table to beads of a colour set: each bound ColourNumber takes its bead's
    // colour; an unbound one keeps its standard colour and is not usable. `setId` empty
    // (the standard set) gives back the standard table with the user colour as it was.
    void applyColourSet(const QString& setId, const QString& setName,
                        const std::array<std::optional<BeadColour>, kColourCount>& beads);

    // Whether a conversion may use colour n, and the bead it stands for in a colour set.
    bool usable(int n) const {
        return !colourSetId_.isEmpty() ? beads_[static_cast<size_t>(n)].has_value() : true;
    }
    const std::optional<BeadColour>& bead(int n) const { return beads_[static_cast<size_t>(n)]; }
    // The colour set's id ("hama") and readable name; empty for the standard set.
    const QString& colourSetId() const { return colourSetId_; }
    const QString& colourSetName() const { return colourSetName_; }
    // The standard set's user colour, kept while a colour set is in use.
    Rgb standardUserColour() const;

  private:
    void setEntry(int n, const QString& text);

    std::array<ColourEntry, kColourCount> entries_;
    std::array<std::optional<BeadColour>, kColourCount> beads_;
    QString colourSetId_;
    QString colourSetName_;
    QString standardUserText_ = QString::fromLatin1(kDefaultUserColourText);
};

// The ColourNumber whose packed value is numerically nearest to `colour` (a packed value
// 0x00BBGGRR); ties keep the lower number. Colours a colour set leaves unbound are not
// candidates.
int getColorNumber(double colour, const ColourTable& table);

}  // namespace kirimo
