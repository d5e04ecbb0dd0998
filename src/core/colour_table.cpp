#include "core/colour_table.h"

#include <QDir>
#include <algorithm>
#include <cmath>

#include "core/text_file.h"
#include "imaging/numeric.h"

namespace kirimo {

namespace {

constexpr std::array<const char*, kColourCount - 1> kFixedTexts = {
    "000000", "ffffff", "f00000", "0000ff", "00f000", "ffff00", "00ffff", "008b00", "ffb0bb",
    "8b0000", "ff850b", "800080", "ff00ff", "006400", "00008b", "ffd700", "c0c0c0"};

const QString& colourNames() {
    static const QString names = QStringLiteral("黒白赤青草黄水緑桃茶橙紫菖深紺金銀自");
    return names;
}

int hexDigit(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

QString editColPath(const QString& folder) {
    return QDir(folder).filePath(kEditColFileName);
}

}  // namespace

std::optional<Rgb> parseColourText(const QString& text) {
    if (text.size() != 6)
        return std::nullopt;
    int values[3];
    for (int i = 0; i < 3; ++i) {
        const int high = hexDigit(text[2 * i]);
        const int low = hexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        values[i] = high * 16 + low;
    }
    return Rgb{values[0], values[1], values[2]};
}

QString colourText(int red, int green, int blue) {
    auto pair = [](int v) { return QString::number(v, 16).toUpper().rightJustified(2, u'0'); };
    return pair(red) + pair(green) + pair(blue);
}

QString colourName(int n) {
    if (n < 0 || n >= kColourCount)
        return {};
    return colourNames().mid(n, 1);
}

std::vector<int> paletteColours(int kind) {
    auto range = [](int last) {
        std::vector<int> numbers;
        for (int n = 0; n <= last; ++n)
            numbers.push_back(n);
        return numbers;
    };
    switch (kind) {
        case 0:
            return range(1);
        case 1:
            return range(7);
        case 2:
            return range(15);
        case 3:
            return range(17);
        case 4:
            return range(4);
        default:
            return {};
    }
}

ColourTable::ColourTable() {
    for (int n = 0; n < kColourCount - 1; ++n)
        setEntry(n, QString::fromLatin1(kFixedTexts[n]));
    setEntry(kUserColourNumber, QString::fromLatin1(kDefaultUserColourText));
}

void ColourTable::setEntry(int n, const QString& text) {
    const auto rgb = parseColourText(text).value_or(Rgb{128, 128, 128});
    ColourEntry& entry = entries_[static_cast<size_t>(n)];
    entry.text = text;
    entry.red = rgb.red;
    entry.green = rgb.green;
    entry.blue = rgb.blue;
    entry.packed = rgb.red + rgb.green * 256 + rgb.blue * 65536;
    entry.ycc = rgbToYcc(rgb.red, rgb.green, rgb.blue);
}

void ColourTable::init(const QString& folder) {
    for (int n = 0; n < kColourCount - 1; ++n)
        setEntry(n, QString::fromLatin1(kFixedTexts[n]));
    QString userText = QString::fromLatin1(kDefaultUserColourText);
    if (auto lines = readSettingsLines(editColPath(folder))) {
        const QStringList fields = readDelimitedFields(lines->join(QLatin1Char('\n')));
        // A first field that is not a colour counts as no file.
        if (!fields.isEmpty() && parseColourText(fields.first()))
            userText = fields.first();
    }
    setEntry(kUserColourNumber, userText);
}

void ColourTable::applyColourSet(const QString& setId, const QString& setName,
                                 const std::array<std::optional<BeadColour>, kColourCount>& beads) {
    if (colourSetId_.isEmpty())
        standardUserText_ = entries_[kUserColourNumber].text;
    colourSetId_ = setId;
    colourSetName_ = setId.isEmpty() ? QString() : setName;
    beads_ = {};
    for (int n = 0; n < kColourCount - 1; ++n)
        setEntry(n, QString::fromLatin1(kFixedTexts[n]));
    setEntry(kUserColourNumber, standardUserText_);
    if (setId.isEmpty())
        return;
    beads_ = beads;
    for (int n = 0; n < kColourCount; ++n) {
        if (const auto& bead = beads_[static_cast<size_t>(n)])
            setEntry(n, colourText(bead->rgb.red, bead->rgb.green, bead->rgb.blue));
    }
}

Rgb ColourTable::standardUserColour() const {
    const ColourEntry& user = entries_[kUserColourNumber];
    return colourSetId_.isEmpty() ? Rgb{user.red, user.green, user.blue}
                                  : parseColourText(standardUserText_).value_or(Rgb{128, 128, 128});
}

void ColourTable::setUserColourComponent(int component, int value) {
    // In a colour set the user colour is a bead like the others.
    if (component < 0 || component > 2 || !colourSetId_.isEmpty())
        return;
    value = std::clamp(value, 0, 255);
    const ColourEntry& user = entries_[kUserColourNumber];
    int rgb[3] = {user.red, user.green, user.blue};
    rgb[component] = value;
    setEntry(kUserColourNumber, colourText(rgb[0], rgb[1], rgb[2]));
}

Result<void> ColourTable::saveUserColour(const QString& folder) const {
    if (!colourSetId_.isEmpty()) {
        const auto rgb = parseColourText(standardUserText_).value_or(Rgb{128, 128, 128});
        return writeSettingsLines(editColPath(folder), {colourText(rgb.red, rgb.green, rgb.blue)});
    }
    const ColourEntry& user = entries_[kUserColourNumber];
    return writeSettingsLines(editColPath(folder), {colourText(user.red, user.green, user.blue)});
}

Palette ColourTable::palette() const {
    Palette palette;
    for (int n = 0; n < kColourCount; ++n) {
        const ColourEntry& e = entries_[static_cast<size_t>(n)];
        palette[static_cast<size_t>(n)] = PaletteColour{e.red, e.green, e.blue, e.ycc};
    }
    return palette;
}

int getColorNumber(double colour, const ColourTable& table) {
    int result = 0;
    while (result + 1 < kColourCount && !table.usable(result))
        ++result;
    double best = roundHalfEven(std::fabs(colour - table[result].packed));
    for (int k = result + 1; k < kColourCount; ++k) {
        if (!table.usable(k))
            continue;
        const double d = std::fabs(colour - table[k].packed);
        if (d < best) {
            result = k;
            best = roundHalfEven(d);
            if (best == 0)
                break;
        }
    }
    return result;
}

}  // namespace kirimo
