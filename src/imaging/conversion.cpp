#include "imaging/conversion.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "imaging/cielab.h"
#include "imaging/colour_space.h"
#include "imaging/numeric.h"

namespace kirimo {

namespace {

// Neighbour offsets of cells 1 to 12, relative to the current pixel.
constexpr int kCellDx[kWeightCount] = {1, 2, -2, -1, 0, 1, 2, -2, -1, 0, 1, 2};
constexpr int kCellDy[kWeightCount] = {0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2};

constexpr int kRgbNoColourDistance = 765;

// The single-precision factors of a run.
struct Factors {
    std::array<float, kWeightCount> weights;
    float rate;
    std::array<float, 3> density;  // red, green, blue
};

Factors prepareFactors(const ConversionSettings& settings) {
    Factors f{};
    float sum = 0.0f;
    for (int k = 0; k < kWeightCount; ++k) {
        f.weights[k] = static_cast<float>(settings.weights[k]);
        sum += f.weights[k];  // single precision, in cell order
    }
    if (sum > 0.0f) {
        for (float& w : f.weights)
            w = w / sum;
    }
    f.rate = static_cast<float>(settings.rate / 100.0);
    for (int c = 0; c < 3; ++c)
        f.density[c] = static_cast<float>(settings.density[c] / 10.0);
    return f;
}

// One diffusion cell with a positive weight, and for every scaled error e the change it
// makes to a neighbour: round(w * e + old) = old + add[e] + (tie[e] ? parity fix : 0).
// w * e is exact in double (a binary32 weight times a small whole number), so splitting
// it into a whole part and a fraction reproduces the rounding of the sum exactly.
struct CellTable {
    int dx = 0;
    int dy = 0;
    std::vector<int32_t> step;  // add << 1 | tie, indexed by e + errorLimit
};

// A tie (fraction exactly one half) adds 1 when old + add is odd: halves go to even.
inline int32_t applyStep(int32_t old, int32_t step) {
    int32_t v = old + (step >> 1);
    v += (step & 1) & v;
    return std::clamp(v, 0, 255);
}

struct SearchResult {
    int colour;
    bool diffuse;  // the distance was above 0
};

class RgbSearch {
  public:
    RgbSearch(const Palette& palette, const ConversionSettings& settings) {
        for (int n = 0; n < kColourCount; ++n) {
            if (!settings.usable[n])
                continue;
            order_[count_] = n;
            red_[count_] = palette[n].red;
            green_[count_] = palette[n].green;
            blue_[count_] = palette[n].blue;
            ++count_;
        }
    }

    NearestColour nearest(int r, int g, int b) const {
        int best = 1;
        int bestDist = kRgbNoColourDistance;
        for (int i = 0; i < count_; ++i) {
            const int d = std::abs(g - green_[i]) + std::abs(r - red_[i]) + std::abs(b - blue_[i]);
            if (d < bestDist) {
                best = order_[i];
                bestDist = d;
                if (d == 0)
                    break;
            }
        }
        return {best, static_cast<double>(bestDist)};
    }

    SearchResult operator()(int r, int g, int b) const {
        const NearestColour n = nearest(r, g, b);
        return {n.colour, n.distance > 0};
    }

  private:
    int order_[kColourCount]{};
    int red_[kColourCount]{};
    int green_[kColourCount]{};
    int blue_[kColourCount]{};
    int count_ = 0;
};

class YccSearch {
  public:
    YccSearch(const Palette& palette, const ConversionSettings& settings)
        : palette_(palette), usable_(settings.usable) {}

    static double distance(const Ycc& p, const Ycc& n) {
        const double du = static_cast<double>(p.ry) - static_cast<double>(n.ry);
        const double dy = static_cast<double>(p.y) - static_cast<double>(n.y);
        const double dv = static_cast<double>(p.by) - static_cast<double>(n.by);
        return du * du + dy * dy + dv * dv;
    }

    NearestColour nearest(int r, int g, int b) const {
        const Ycc p = rgbToYcc(r, g, b);
        // Colour 0 is always a candidate, with its unrounded distance.
        int best = 0;
        double bestDist = distance(p, palette_[0].ycc);
        for (int n = 1; n < kColourCount; ++n) {
            if (!usable_[n])
                continue;
            const double d = roundHalfEven(distance(p, palette_[n].ycc));
            if (d < bestDist) {
                best = n;
                bestDist = d;
                if (d == 0)
                    break;
            }
        }
        return {best, bestDist};
    }

    SearchResult operator()(int r, int g, int b) const {
        const NearestColour n = nearest(r, g, b);
        return {n.colour, n.distance > 0};
    }

  private:
    const Palette& palette_;
    std::array<bool, kColourCount> usable_;
};

class CieSearch {
  public:
    CieSearch(const Palette& palette, const ConversionSettings& settings) {
        for (int n = 0; n < kColourCount; ++n) {
            labs_[n] = srgbToLab(palette[n].red, palette[n].green, palette[n].blue);
            if (settings.usable[n])
                order_[count_++] = n;
        }
    }

    NearestColour nearest(int r, int g, int b) const {
        const Lab lab = srgbToLab(r, g, b);
        if (count_ == 0)
            return {1, ciede2000(lab, labs_[1])};
        int best = order_[0];
        double bestDist = ciede2000(lab, labs_[best]);
        for (int i = 1; i < count_ && bestDist > 0; ++i) {
            const double d = ciede2000(lab, labs_[order_[i]]);
            if (d < bestDist) {
                best = order_[i];
                bestDist = d;
            }
        }
        return {best, bestDist};
    }

    // The search is costly, so every colour's answer is kept for the rest of the run.
    SearchResult operator()(int r, int g, int b) {
        if (!cache_)
            cache_ = std::make_unique<uint8_t[]>(1 << 24);  // zero: not known yet
        const Pixel key = makePixel(r, g, b);
        uint8_t& entry = cache_[key];
        if (entry == 0) {
            const NearestColour n = nearest(r, g, b);
            entry = static_cast<uint8_t>(0x80 | (n.distance > 0 ? 0x40 : 0) | n.colour);
        }
        return {entry & 0x1F, (entry & 0x40) != 0};
    }

  private:
    std::array<Lab, kColourCount> labs_{};
    int order_[kColourCount]{};
    int count_ = 0;
    std::unique_ptr<uint8_t[]> cache_;
};

// Error diffusion over the picture in raster order. The pixels of the current row and
// the two below live in a ring of three padded rows, so that cells falling outside the
// picture land in padding that is never read back.
template <typename Search>
void diffuse(const PixelBuffer& source, const Palette& palette, const Factors& factors,
             Search& search, ConversionResult& result) {
    const int width = source.width();
    const int height = source.height();
    constexpr int kPad = 2;
    const int stride = width + 2 * kPad;

    // Scaled errors: round(density x e x rate), for every error e in -255..255.
    std::array<std::array<int32_t, 511>, 3> scaled{};
    int32_t errorLimit = 0;
    for (int c = 0; c < 3; ++c) {
        for (int e = -255; e <= 255; ++e) {
            const double product =
                static_cast<double>(factors.density[c]) * e * static_cast<double>(factors.rate);
            const auto v = static_cast<int32_t>(roundHalfEven(product));
            scaled[c][e + 255] = v;
            errorLimit = std::max(errorLimit, std::abs(v));
        }
    }

    std::vector<CellTable> cells;
    for (int k = 0; k < kWeightCount; ++k) {
        const float w = factors.weights[k];
        if (!(w > 0.0f) || errorLimit == 0)
            continue;
        CellTable cell;
        cell.dx = kCellDx[k];
        cell.dy = kCellDy[k];
        cell.step.resize(static_cast<size_t>(2 * errorLimit + 1));
        for (int32_t e = -errorLimit; e <= errorLimit; ++e) {
            const double f = static_cast<double>(w) * e;
            const double whole = std::floor(f);
            const double fraction = f - whole;
            auto add = static_cast<int64_t>(whole) + (fraction > 0.5 ? 1 : 0);
            add = std::clamp<int64_t>(add, -(int64_t{1} << 20), int64_t{1} << 20);
            cell.step[static_cast<size_t>(e + errorLimit)] =
                static_cast<int32_t>(add * 2 + (fraction == 0.5 ? 1 : 0));
        }
        cells.push_back(std::move(cell));
    }

    // Channels per pixel: blue, green, red.
    std::vector<int32_t> ring(static_cast<size_t>(3) * stride * 3, 0);
    auto ringRow = [&](int y) { return ring.data() + static_cast<size_t>(y % 3) * stride * 3; };
    std::vector<int32_t> scratch(static_cast<size_t>(stride) * 3, 0);
    auto loadRow = [&](int y) {
        int32_t* row = ringRow(y) + kPad * 3;
        const Pixel* in = source.row(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = pixelBlue(in[x]);
            row[3 * x + 1] = pixelGreen(in[x]);
            row[3 * x + 2] = pixelRed(in[x]);
        }
    };
    for (int y = 0; y < std::min(height, 3); ++y)
        loadRow(y);

    std::array<Pixel, kColourCount> colourPixels{};
    for (int n = 0; n < kColourCount; ++n) {
        colourPixels[n] = makePixel(palette[n].red, palette[n].green, palette[n].blue);
    }

    int colour = 0;
    for (int y = 0; y < height; ++y) {
        int32_t* rows[3];
        for (int dy = 0; dy < 3; ++dy) {
            rows[dy] = y + dy < height ? ringRow(y + dy) : scratch.data();
        }
        int32_t* current = rows[0] + kPad * 3;
        Pixel* out = result.pixels.row(y);
        for (int x = 0; x < width; ++x) {
            int32_t* p = current + 3 * x;
            const int b = p[0];
            const int g = p[1];
            const int r = p[2];
            const SearchResult found = search(r, g, b);
            colour = found.colour;
            ++result.counts[colour];
            out[x] = colourPixels[colour];
            if (!found.diffuse)
                continue;
            const PaletteColour& pc = palette[colour];
            const size_t eB = static_cast<size_t>(scaled[2][b - pc.blue + 255] + errorLimit);
            const size_t eG = static_cast<size_t>(scaled[1][g - pc.green + 255] + errorLimit);
            const size_t eR = static_cast<size_t>(scaled[0][r - pc.red + 255] + errorLimit);
            for (const CellTable& cell : cells) {
                int32_t* n = rows[cell.dy] + (kPad + x + cell.dx) * 3;
                const int32_t* step = cell.step.data();
                n[0] = applyStep(n[0], step[eB]);
                n[1] = applyStep(n[1], step[eG]);
                n[2] = applyStep(n[2], step[eR]);
            }
        }
        if (y + 3 < height)
            loadRow(y + 3);
    }
    result.lastColour = colour;
}

}  // namespace

Result<void> validateSettings(const ConversionSettings& settings) {
    if (settings.rate < kRateMin || settings.rate > kRateMax) {
        return makeError("the diffusion rate must be a whole number from " +
                         std::to_string(kRateMin) + " to " + std::to_string(kRateMax) + " (got " +
                         std::to_string(settings.rate) + ")");
    }
    const char* names[3] = {"red", "green", "blue"};
    for (int c = 0; c < 3; ++c) {
        if (settings.density[c] < kDensityMin || settings.density[c] > kDensityMax) {
            return makeError(std::string("the ") + names[c] +
                             " density must be a whole number from " + std::to_string(kDensityMin) +
                             " to " + std::to_string(kDensityMax) + " (got " +
                             std::to_string(settings.density[c]) + ")");
        }
    }
    return {};
}

NearestColour findNearestColour(int red, int green, int blue, const Palette& palette,
                                const ConversionSettings& settings) {
    switch (settings.space) {
        case ColourSpace::Rgb:
            return RgbSearch(palette, settings).nearest(red, green, blue);
        case ColourSpace::Ycc:
            return YccSearch(palette, settings).nearest(red, green, blue);
        case ColourSpace::Cie:
            return CieSearch(palette, settings).nearest(red, green, blue);
    }
    return {0, 0};
}

Result<ConversionResult> convertPicture(const PixelBuffer& source, const Palette& palette,
                                        const ConversionSettings& settings) {
    if (auto valid = validateSettings(settings); !valid)
        return makeError(valid.error());
    if (source.empty()) {
        return makeError("the picture has no pixels (" + std::to_string(source.width()) + " x " +
                         std::to_string(source.height()) + ")");
    }
    auto pixels = PixelBuffer::create(source.width(), source.height());
    if (!pixels)
        return makeError(pixels.error());

    ConversionResult result;
    result.pixels = std::move(*pixels);
    const Factors factors = prepareFactors(settings);
    switch (settings.space) {
        case ColourSpace::Rgb: {
            RgbSearch search(palette, settings);
            diffuse(source, palette, factors, search, result);
            break;
        }
        case ColourSpace::Ycc: {
            YccSearch search(palette, settings);
            diffuse(source, palette, factors, search, result);
            break;
        }
        case ColourSpace::Cie: {
            CieSearch search(palette, settings);
            diffuse(source, palette, factors, search, result);
            break;
        }
    }
    return result;
}

}  // namespace kirimo
