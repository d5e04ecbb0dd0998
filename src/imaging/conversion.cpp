#include "imaging/conversion.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "imaging/cie_search.h"
#include "imaging/colour_space.h"
#include "imaging/numeric.h"
#include "imaging/row_threads.h"

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

// A zeroed table of bytes straight from the system: its pages are cleared only when first
// touched, and on Linux it asks for huge pages, since lookups jump around all of it and
// would otherwise miss the address translation cache as often as the data cache.
class ZeroedBytes {
  public:
    explicit ZeroedBytes(size_t size) : size_(size) {
#if defined(__linux__)
        void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        madvise(p, size, MADV_HUGEPAGE);  // only a hint: without it the table still works
        bytes_ = static_cast<uint8_t*>(p);
#else
        bytes_ = static_cast<uint8_t*>(std::calloc(size, 1));
        if (bytes_ == nullptr)
            throw std::bad_alloc();
#endif
    }
    ~ZeroedBytes() {
#if defined(__linux__)
        munmap(bytes_, size_);
#else
        std::free(bytes_);
#endif
    }
    ZeroedBytes(const ZeroedBytes&) = delete;
    ZeroedBytes& operator=(const ZeroedBytes&) = delete;

    uint8_t& operator[](size_t i) {
        return bytes_[i];
    }

  private:
    uint8_t* bytes_;
    size_t size_;
};

// Keeps every colour's answer of a costly search for the rest of the run: in a table of all
// 2^24 colours when that is small beside the picture, else in a direct-mapped table of at
// most half the picture's size. The full table interleaves the bits of the three
// components, so that similar colours, which follow each other in a picture, share cache
// lines.
template <typename Search>
class RememberedSearch {
  public:
    RememberedSearch(Search search, size_t pixelCount) : search_(std::move(search)) {
        if (pixelCount * 2 >= kAllColours) {
            full_ = std::make_unique<ZeroedBytes>(kAllColours);  // zero: not known yet
            return;
        }
        mappedBits_ = 12;
        while (mappedBits_ < 24 && (size_t{2} << mappedBits_) <= pixelCount / 2)
            ++mappedBits_;
        mapped_ = std::make_unique<uint32_t[]>(size_t{1} << mappedBits_);
    }

    // Threads of one run share the tables: an entry is one word, read and written whole,
    // and every thread that fills it writes the same answer.
    SearchResult operator()(int r, int g, int b) {
        if (full_) {
            std::atomic_ref<uint8_t> entry(
                (*full_)[kSpread[r] << 2 | kSpread[g] << 1 | kSpread[b]]);
            uint8_t known = entry.load(std::memory_order_relaxed);
            if (known == 0) {
                known = encode(search_(r, g, b));
                entry.store(known, std::memory_order_relaxed);
            }
            return decode(known);
        }
        const Pixel key = makePixel(r, g, b);
        std::atomic_ref<uint32_t> entry(mapped_[(key * 2654435761u) >> (32 - mappedBits_)]);
        uint32_t known = entry.load(std::memory_order_relaxed);
        if ((known >> 8) != key || known == 0) {
            known = key << 8 | encode(search_(r, g, b));
            entry.store(known, std::memory_order_relaxed);
        }
        return decode(static_cast<uint8_t>(known));
    }

  private:
    static constexpr size_t kAllColours = size_t{1} << 24;

    // The bits of a component spread to every third place.
    static constexpr std::array<uint32_t, 256> kSpread = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t v = 0; v < 256; ++v) {
            for (int bit = 0; bit < 8; ++bit)
                t[v] |= ((v >> bit) & 1u) << (3 * bit);
        }
        return t;
    }();

    static uint8_t encode(SearchResult s) {
        return static_cast<uint8_t>(0x80 | (s.diffuse ? 0x40 : 0) | s.colour);
    }
    static SearchResult decode(uint8_t entry) { return {entry & 0x1F, (entry & 0x40) != 0}; }

    Search search_;
    std::unique_ptr<ZeroedBytes> full_;
    std::unique_ptr<uint32_t[]> mapped_;
    int mappedBits_ = 0;
};

// The CIE answers for the engine: from estimates where the processor allows, else from the
// pruned scan.
struct CieAnswers {
    const CieSearch* search;
    bool estimates;
    SearchResult operator()(int r, int g, int b) const {
        if (estimates) {
            const CieChoice c = search->estimated(r, g, b);
            return {c.colour, c.positive};
        }
        const NearestColour n = search->pruned(r, g, b);
        return {n.colour, n.distance > 0};
    }
};

// The per-run tables of the plain loop: scaled errors and the steps of every cell.
struct DiffusionTables {
    std::array<std::array<int32_t, 511>, 3> scaled{};  // round(density x e x rate), e + 255
    int32_t errorLimit = 0;                            // the largest |scaled error|
    std::vector<CellTable> cells;                      // cells with a positive weight
};

DiffusionTables prepareTables(const Factors& factors) {
    DiffusionTables t;
    for (int c = 0; c < 3; ++c) {
        for (int e = -255; e <= 255; ++e) {
            const double product =
                static_cast<double>(factors.density[c]) * e * static_cast<double>(factors.rate);
            const auto v = static_cast<int32_t>(roundHalfEven(product));
            t.scaled[c][e + 255] = v;
            t.errorLimit = std::max(t.errorLimit, std::abs(v));
        }
    }
    for (int k = 0; k < kWeightCount; ++k) {
        const float w = factors.weights[k];
        if (!(w > 0.0f) || t.errorLimit == 0)
            continue;
        CellTable cell;
        cell.dx = kCellDx[k];
        cell.dy = kCellDy[k];
        cell.step.resize(static_cast<size_t>(2 * t.errorLimit + 1));
        for (int32_t e = -t.errorLimit; e <= t.errorLimit; ++e) {
            const double f = static_cast<double>(w) * e;
            const double whole = std::floor(f);
            const double fraction = f - whole;
            auto add = static_cast<int64_t>(whole) + (fraction > 0.5 ? 1 : 0);
            add = std::clamp<int64_t>(add, -(int64_t{1} << 20), int64_t{1} << 20);
            cell.step[static_cast<size_t>(e + t.errorLimit)] =
                static_cast<int32_t>(add * 2 + (fraction == 0.5 ? 1 : 0));
        }
        t.cells.push_back(std::move(cell));
    }
    return t;
}

// Error diffusion over the picture in raster order, in the result itself: a pixel not yet
// visited holds its value with the error received so far (every channel is clamped to
// 0..255 at each update, so it fits the pixel's bytes), a visited one its palette colour.
// The conversion thus needs no memory beside the result, whatever the picture's shape.
template <typename Search>
void diffuse(const Palette& palette, const Factors& factors, Search& search,
             ConversionResult& result) {
    PixelBuffer& pixels = result.pixels;
    const int width = pixels.width();
    const int height = pixels.height();
    const DiffusionTables tables = prepareTables(factors);
    const int32_t errorLimit = tables.errorLimit;

    std::array<Pixel, kColourCount> colourPixels{};
    for (int n = 0; n < kColourCount; ++n) {
        colourPixels[n] = makePixel(palette[n].red, palette[n].green, palette[n].blue);
    }

    int colour = 0;
    for (int y = 0; y < height; ++y) {
        Pixel* rows[3];
        for (int dy = 0; dy < 3; ++dy)
            rows[dy] = y + dy < height ? pixels.row(y + dy) : nullptr;
        // The cells whose row lies in the picture.
        const CellTable* cells[kWeightCount];
        int cellCount = 0;
        for (const CellTable& cell : tables.cells) {
            if (rows[cell.dy] != nullptr)
                cells[cellCount++] = &cell;
        }
        Pixel* current = rows[0];
        for (int x = 0; x < width; ++x) {
            const Pixel p = current[x];
            const int b = pixelBlue(p);
            const int g = pixelGreen(p);
            const int r = pixelRed(p);
            const SearchResult found = search(r, g, b);
            colour = found.colour;
            ++result.counts[colour];
            current[x] = colourPixels[colour];
            if (!found.diffuse)
                continue;
            const PaletteColour& pc = palette[colour];
            const size_t eB = static_cast<size_t>(tables.scaled[2][b - pc.blue + 255] + errorLimit);
            const size_t eG =
                static_cast<size_t>(tables.scaled[1][g - pc.green + 255] + errorLimit);
            const size_t eR = static_cast<size_t>(tables.scaled[0][r - pc.red + 255] + errorLimit);
            const bool inside = x >= 2 && x < width - 2;
            for (int i = 0; i < cellCount; ++i) {
                const CellTable& cell = *cells[i];
                const int nx = x + cell.dx;
                if (!inside && (nx < 0 || nx >= width))
                    continue;
                Pixel& n = rows[cell.dy][nx];
                const int32_t* step = cell.step.data();
                n = makePixel(applyStep(pixelRed(n), step[eR]), applyStep(pixelGreen(n), step[eG]),
                              applyStep(pixelBlue(n), step[eB]));
            }
        }
    }
    result.lastColour = colour;
}

// The same diffusion with AVX2: a pixel's blue, green and red travel together in the
// lanes of one vector, each neighbour update is round(w * e + old) in double precision
// (exact before the rounding, as in the plain loop), and the RGB and YCC searches compare
// all usable colours at once.
#if defined(__x86_64__)

// The bias of the vector loop's slots (see below): 1.5 x 2^52.
constexpr int64_t kRoundingBiasBits = 0x4338000000000000;
constexpr double kRoundingBias = std::bit_cast<double>(kRoundingBiasBits);

// Nearest colour by RGB distance with 16-bit lanes. Each lane holds the key
// distance * 32 + ColourNumber, so the smallest key is the nearest colour with the lowest
// number, exactly what a scan with a strict comparison finds.
class Avx2RgbSearch {
  public:
    __attribute__((target("avx2")))
    Avx2RgbSearch(const Palette& palette, const ConversionSettings& settings) {
        alignas(32) int16_t red[32], green[32], blue[32], index[32], unusable[32];
        for (int i = 0; i < 32; ++i) {
            const bool used = i < kColourCount && settings.usable[i];
            red[i] = used ? static_cast<int16_t>(palette[i].red) : 0;
            green[i] = used ? static_cast<int16_t>(palette[i].green) : 0;
            blue[i] = used ? static_cast<int16_t>(palette[i].blue) : 0;
            index[i] = static_cast<int16_t>(i < kColourCount ? i : 31);
            unusable[i] = used ? 0 : static_cast<int16_t>(0x7FFF);
        }
        for (int h = 0; h < 2; ++h) {
            red_[h] = _mm256_load_si256(reinterpret_cast<const __m256i*>(red + 16 * h));
            green_[h] = _mm256_load_si256(reinterpret_cast<const __m256i*>(green + 16 * h));
            blue_[h] = _mm256_load_si256(reinterpret_cast<const __m256i*>(blue + 16 * h));
            indexOrUnusable_[h] = _mm256_or_si256(
                _mm256_load_si256(reinterpret_cast<const __m256i*>(index + 16 * h)),
                _mm256_load_si256(reinterpret_cast<const __m256i*>(unusable + 16 * h)));
        }
    }

    // lanes: the pixel's blue, green and red as 32-bit whole numbers.
    __attribute__((target("avx2"))) SearchResult operator()(__m128i lanes) const {
        const __m256i vb = _mm256_broadcastw_epi16(lanes);
        const __m256i vg = _mm256_broadcastw_epi16(_mm_srli_si128(lanes, 4));
        const __m256i vr = _mm256_broadcastw_epi16(_mm_srli_si128(lanes, 8));
        const __m256i both = _mm256_min_epu16(keys(0, vb, vg, vr), keys(1, vb, vg, vr));
        const __m128i half =
            _mm_min_epu16(_mm256_castsi256_si128(both), _mm256_extracti128_si256(both, 1));
        const int key = _mm_cvtsi128_si32(_mm_minpos_epu16(half)) & 0xFFFF;
        const int distance = key >> 5;
        if (distance >= kRgbNoColourDistance)
            return {1, true};
        return {key & 31, distance > 0};
    }

  private:
    // The keys of colours 16 h to 16 h + 15.
    __attribute__((target("avx2"), always_inline)) __m256i keys(int h, __m256i vb, __m256i vg,
                                                                __m256i vr) const {
        __m256i d = _mm256_add_epi16(_mm256_abs_epi16(_mm256_sub_epi16(vg, green_[h])),
                                     _mm256_abs_epi16(_mm256_sub_epi16(vr, red_[h])));
        d = _mm256_add_epi16(d, _mm256_abs_epi16(_mm256_sub_epi16(vb, blue_[h])));
        return _mm256_or_si256(_mm256_slli_epi16(d, 5), indexOrUnusable_[h]);
    }

    __m256i red_[2], green_[2], blue_[2], indexOrUnusable_[2];
};

// Nearest colour by YCC distance, four candidates to a vector of doubles, without a branch.
// Each lane holds the key distance * 32 + ColourNumber for a usable colour 1 to 17 (the
// distance rounded, so the key is a whole number below 2^25 and exact), and the smallest
// key is the nearest colour with the lowest number, what a scan with a strict comparison
// finds. Colour 0 competes with its unrounded distance d0: a rounded distance is below d0
// exactly when it is below ceil(d0), so its key is 32 ceil(d0) - 1, above the key of every
// colour nearer than d0 and below the key of every other. A key of 31 or more means a
// distance above 0.
class Avx2YccSearch {
  public:
    static constexpr int kGroups = (kColourCount + 3) / 4;

    __attribute__((target("avx2")))
    Avx2YccSearch(const Palette& palette, const ConversionSettings& settings) {
        alignas(32) double y[4 * kGroups], u[4 * kGroups], v[4 * kGroups], key[4 * kGroups];
        int count = 0;
        int order[4 * kGroups];
        for (int n = 0; n < kColourCount; ++n) {
            if (n == 0 || settings.usable[n])
                order[count++] = n;
        }
        for (int i = 0; i < 4 * kGroups; ++i) {
            const bool used = i < count;
            const Ycc& c = palette[used ? order[i] : 0].ycc;
            y[i] = static_cast<double>(c.y);
            u[i] = static_cast<double>(c.ry);
            v[i] = static_cast<double>(c.by);
            key[i] = !used ? std::numeric_limits<double>::infinity() : i == 0 ? -1.0 : order[i];
        }
        for (int g = 0; g < kGroups; ++g) {
            y_[g] = _mm256_load_pd(y + 4 * g);
            u_[g] = _mm256_load_pd(u + 4 * g);
            v_[g] = _mm256_load_pd(v + 4 * g);
            key_[g] = _mm256_load_pd(key + 4 * g);
        }
    }

    // slot: the pixel's blue, green and red and 0, each plus kRoundingBias.
    __attribute__((target("avx2,fma"), always_inline)) SearchResult operator()(__m256d slot) const {
        SearchResult found;
        many<1>(&slot, &found);
        return found;
    }

    // The searches of several independent pixels, group by group, so that their chains of
    // dependent instructions run side by side instead of one after the other.
    template <int kRows>
    __attribute__((target("avx2,fma"), always_inline)) void many(const __m256d* slots,
                                                                 SearchResult* found) const {
        __m256d py[kRows], pu[kRows], pv[kRows], smallest[kRows];
#pragma GCC unroll 16
        for (int j = 0; j < kRows; ++j)
            components(slots[j], py[j], pu[j], pv[j]);
#pragma GCC unroll 16
        for (int j = 0; j < kRows; ++j)
            smallest[j] = keys(0, py[j], pu[j], pv[j]);
        static_assert(kGroups == 5);
#pragma GCC unroll 4
        for (int g = 1; g < kGroups; ++g) {
#pragma GCC unroll 16
            for (int j = 0; j < kRows; ++j)
                smallest[j] = _mm256_min_pd(smallest[j], keys(g, py[j], pu[j], pv[j]));
        }
#pragma GCC unroll 16
        for (int j = 0; j < kRows; ++j) {
            __m256d m =
                _mm256_min_pd(smallest[j], _mm256_permute2f128_pd(smallest[j], smallest[j], 0x01));
            m = _mm256_min_pd(m, _mm256_permute_pd(m, 0x5));
            const int key = _mm_cvttsd_si32(_mm256_castpd256_pd128(m));
            const int colour = key & 31;
            found[j] = {colour == 31 ? 0 : colour, key >= 31};
        }
    }

  private:
    // The pixel's Y, R - Y and B - Y, each in every lane.
    __attribute__((target("avx2,fma"), always_inline)) static void components(__m256d slot,
                                                                              __m256d& py,
                                                                              __m256d& pu,
                                                                              __m256d& pv) {
        // The components times the weights are the products rgbToYcc sums, and Y is summed
        // in its order, green + red + blue. rgbToYcc forms R - Y and B - Y in double and
        // rounds them to single; the differences are exact in double, so one
        // single-precision subtraction rounds them the same.
        const __m256d components = _mm256_sub_pd(slot, _mm256_set1_pd(kRoundingBias));
        const __m256d products =
            _mm256_mul_pd(components, _mm256_setr_pd(kLumaBlue, kLumaGreen, kLumaRed, 0.0));
        const __m128d blueGreen = _mm256_castpd256_pd128(products);
        const __m128d greenRed =
            _mm_add_sd(_mm_unpackhi_pd(blueGreen, blueGreen), _mm256_extractf128_pd(products, 1));
        const __m128 y = _mm_cvtsd_ss(_mm_setzero_ps(), _mm_add_sd(greenRed, blueGreen));
        const __m256d differences = _mm256_cvtps_pd(
            _mm_sub_ps(_mm256_cvtpd_ps(components), _mm_broadcastss_ps(y)));  // B - Y, _, R - Y
        py = _mm256_broadcastsd_pd(_mm_cvtss_sd(_mm_setzero_pd(), y));
        pu = _mm256_permute4x64_pd(differences, 0xAA);
        pv = _mm256_broadcastsd_pd(_mm256_castpd256_pd128(differences));
    }

    // The keys of the colours of group i: the rounded distance x 32 + the colour's key
    // (colour 0, first in group 0, with its distance rounded up).
    __attribute__((target("avx2,fma"), always_inline)) __m256d keys(int i, __m256d py, __m256d pu,
                                                                    __m256d pv) const {
        const __m256d du = _mm256_sub_pd(pu, u_[i]);
        const __m256d dy = _mm256_sub_pd(py, y_[i]);
        const __m256d dv = _mm256_sub_pd(pv, v_[i]);
        const __m256d d = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(du, du), _mm256_mul_pd(dy, dy)),
                                        _mm256_mul_pd(dv, dv));
        __m256d whole = _mm256_round_pd(d, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
        if (i == 0) {
            whole = _mm256_blend_pd(
                whole, _mm256_round_pd(d, _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC), 0x1);
        }
        // whole x 32 + key is a whole number below 2^53: exact in one rounding.
        return _mm256_fmadd_pd(whole, _mm256_set1_pd(32.0), key_[i]);
    }

    __m256d y_[kGroups], u_[kGroups], v_[kGroups], key_[kGroups];
};

// Lets the vector loop use a search that takes the components one by one.
template <typename Search>
struct ScalarSearchAdaptor {
    Search& search;
    __attribute__((target("avx2"))) SearchResult operator()(__m128i lanes) {
        return search(_mm_extract_epi32(lanes, 2), _mm_extract_epi32(lanes, 1),
                      _mm_cvtsi128_si32(lanes));
    }
};

// The vector loop keeps the pixels not yet converted of kSlotRows consecutive rows as
// doubles biased by 1.5 x 2^52 (kRoundingBiasBits): a pixel's slot holds bias + blue,
// bias + green, bias + red and bias, so a neighbour's update round(w x e + old) is one fused
// multiply-add (bias + old + w x e is rounded once, and since a double between 2^52 and
// 2^53 holds whole numbers only, to the nearest whole number with halves to even, the
// rounding of the rules; the bias is even, so it does not change which is even) and the
// clamp to 0..255 is a max and a min. Row y uses slot row y mod kSlotRows: when row y
// converts column x, no later row has touched column x of row y + kSlotRows yet (a row
// trails the one above by kLag pixels and reaches two rows down at most two columns
// ahead), so row y refills that slot with row y + kSlotRows's pixel as it goes. The slots
// of a column lie together, so every slot a band's step touches is a fixed offset from one
// pointer. Two columns of padding on each side take the updates that fall outside the
// picture, and rows below the picture land in slots nobody reads again, so no update needs
// a test.
constexpr int kSlotPadding = 2;

// Rows are converted in bands of kBandRows, each row trailing the one above by kLag
// pixels (see the notes before BandProgress). The slots hold two bands, so that two threads
// converting neighbouring bands share only the two rows below the upper band.
constexpr int kBandRows = 6;
constexpr int kLag = 5;
constexpr int kSlotRows = 2 * kBandRows;
constexpr int kColumnDoubles = 4 * kSlotRows;  // from one column's slots to the next

// The vector loop's slots take 384 bytes per column. It converts pictures for which that
// is at most a quarter of the picture, or little; a wide picture of few rows takes the
// plain loop, which needs no memory beside the result.
int64_t slotBytes(const PixelBuffer& pixels) {
    return int64_t{kColumnDoubles} * sizeof(double) * (pixels.width() + 2 * kSlotPadding);
}
bool slotsFit(const PixelBuffer& pixels) {
    constexpr int64_t kLittle = int64_t{256} << 10;
    // A quarter of the picture's four bytes a pixel is one byte a pixel.
    return slotBytes(pixels) <= kLittle || slotBytes(pixels) <= static_cast<int64_t>(pixels.size());
}

struct AlignedDelete {
    void operator()(double* p) const { ::operator delete[](p, std::align_val_t{32}); }
};

// A row of the band: its pixels in the result, the slots of column 0 of rows y, y + 1 and
// y + 2, and row y + kSlotRows's pixels in the picture, which refill row y's slots, or null
// below the picture.
struct BandRow {
    Pixel* result;
    double* slots[3];
    const Pixel* refill;
};

// The cells a run updates, by number, known when compiling so that the updates unroll into
// straight code with fixed offsets. Floyd&Steinberg's four cells, or all twelve for any
// other kernel: a cell without a positive weight is updated with the weight 0, which adds
// 0 to a value already within 0..255 and so leaves it exactly as skipping the cell would.
struct FloydSteinbergCells {
    static constexpr int kCount = 4;
    static constexpr int kCell[kCount] = {0, 3, 4, 5};
};
struct AllTwelveCells {
    static constexpr int kCount = 12;
    static constexpr int kCell[kCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
};

// What every pixel of a run needs, prepared once.
struct VectorRun {
    alignas(32) double densityRate[4];  // density x rate, exact in double; blue, green, red, 0
    alignas(32) double colourSlots[kColourCount][4];  // every colour as a biased slot
    alignas(32) double lowest[4];                     // the bias: 0 in every lane
    alignas(32) double highest[4];                    // bias + 255; the bias in lane 3
    Pixel colourPixels[kColourCount];
    double weight[kWeightCount];  // by cell number; 0 for a weight that is not positive
};

// A pixel of the picture as a slot. Its top byte lands in the fourth lane, which no search
// reads and no error leaves (that lane's density x rate is 0, and every update clamps the
// lane to the bias), so the picture's top bytes need not be cleared.
__attribute__((target("avx2"), always_inline)) inline __m256d slotOf(Pixel p) {
    return _mm256_castsi256_pd(
        _mm256_or_si256(_mm256_cvtepu8_epi64(_mm_cvtsi32_si128(static_cast<int>(p))),
                        _mm256_set1_epi64x(kRoundingBiasBits)));
}

// A slot's blue, green and red as 32-bit whole numbers: the low halves of the lanes.
__attribute__((target("avx2"), always_inline)) inline __m128i slotLanes(__m256d slot) {
    return _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(
        _mm256_castpd_si256(slot), _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
}

// The answer of a search for a slot's pixel: from the slot itself where the search takes
// one, else from its components.
template <typename Search>
__attribute__((target("avx2,fma"), always_inline)) inline SearchResult searchSlot(Search& search,
                                                                                  __m256d slot) {
    if constexpr (requires { search(slot); })
        return search(slot);
    else
        return search(slotLanes(slot));
}

// The clamp's bounds in registers. Left to itself the compiler folds them into every
// update as memory operands, three loads an update where one is needed, and with twelve
// cells the loads rather than the arithmetic set the pace; the empty asm hides where the
// values came from, so they stay in registers.
struct ClampBounds {
    __m256d lowest, highest;
};

__attribute__((target("avx2"), always_inline)) inline ClampBounds clampBounds(
    const VectorRun& run) {
    ClampBounds bounds{_mm256_load_pd(run.lowest), _mm256_load_pd(run.highest)};
    __asm__("" : "+x"(bounds.lowest), "+x"(bounds.highest));
    return bounds;
}

__attribute__((target("avx2,fma"), always_inline)) inline void updateNeighbour(
    const ClampBounds& bounds, double* slot, __m256d weight, __m256d scaled) {
    const __m256d sum = _mm256_fmadd_pd(weight, scaled, _mm256_load_pd(slot));
    _mm256_store_pd(slot, _mm256_min_pd(_mm256_max_pd(sum, bounds.lowest), bounds.highest));
}

// Converts one pixel and spreads its error. density x error x rate is formed as
// error x (density x rate): the product density x rate of two singles is exact in double,
// so both orders give the same single rounding of the same exact value. w x e + old is
// exact too, so updateNeighbour rounds it exactly as the plain loop does.
template <typename Cells, typename Search>
__attribute__((target("avx2,fma"), always_inline)) inline int convertOne(
    const VectorRun& run, Search& search, const BandRow& row, int x,
    std::array<int32_t, kColourCount>& counts) {
    double* own = row.slots[0] + kColumnDoubles * x;
    const __m256d value = _mm256_load_pd(own);
    const SearchResult found = searchSlot(search, value);
    const int colour = found.colour;
    ++counts[colour];
    row.result[x] = run.colourPixels[colour];
    if (row.refill)
        _mm256_store_pd(own, slotOf(row.refill[x]));
    if (!found.diffuse)
        return colour;
    const __m256d error = _mm256_sub_pd(value, _mm256_load_pd(run.colourSlots[colour]));
    const __m256d scaled = _mm256_round_pd(_mm256_mul_pd(error, _mm256_load_pd(run.densityRate)),
                                           _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const ClampBounds bounds = clampBounds(run);
#pragma GCC unroll 12
    for (int i = 0; i < Cells::kCount; ++i) {
        const int k = Cells::kCell[i];
        updateNeighbour(bounds, row.slots[kCellDy[k]] + kColumnDoubles * (x + kCellDx[k]),
                        _mm256_broadcast_sd(&run.weight[k]), scaled);
    }
    return colour;
}

// The pixels of a full band at one step, one from each row, converted stage by stage.
// They share nothing (a row writes at most two columns ahead of the row below, which trails
// it by kLag), so interleaving the stages only reorders independent work; it keeps several
// pixels' chains of dependent instructions in flight where one pixel after another would
// queue behind the first. A pixel that is not diffused gets a scaled error of 0, which
// leaves every neighbour as it is. The band's first row uses slot row kFirstSlotRow, so
// every slot of the step lies at a fixed offset from `column`, the slots of column `step`.
template <int kRows, int kRowLag, int kFirstSlotRow, typename Cells, typename Search>
__attribute__((target("avx2,fma"), always_inline)) inline int convertStep(
    const VectorRun& run, Search& search, const BandRow* rows, double* column, int step,
    std::array<int32_t, kColourCount>& counts) {
    const auto slot = [column](int j, int dy, int dx) {
        return column + kColumnDoubles * (dx - j * kRowLag) +
               4 * ((kFirstSlotRow + j + dy) % kSlotRows);
    };
    __m256d value[kRows];
    SearchResult found[kRows];
#pragma GCC unroll 16
    for (int j = 0; j < kRows; ++j)
        value[j] = _mm256_load_pd(slot(j, 0, 0));
    if constexpr (requires { search.template many<kRows>(value, found); }) {
        search.template many<kRows>(value, found);
    } else {
#pragma GCC unroll 16
        for (int j = 0; j < kRows; ++j)
            found[j] = searchSlot(search, value[j]);
    }
    __m256d scaled[kRows];
#pragma GCC unroll 16
    for (int j = 0; j < kRows; ++j) {
        const int x = step - j * kRowLag;
        const int colour = found[j].colour;
        ++counts[colour];
        rows[j].result[x] = run.colourPixels[colour];
        if (rows[j].refill)
            _mm256_store_pd(slot(j, 0, 0), slotOf(rows[j].refill[x]));
        const __m256d error = _mm256_sub_pd(value[j], _mm256_load_pd(run.colourSlots[colour]));
        const __m256d product =
            _mm256_round_pd(_mm256_mul_pd(error, _mm256_load_pd(run.densityRate)),
                            _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
        scaled[j] = _mm256_and_pd(
            product,
            _mm256_castsi256_pd(_mm256_set1_epi64x(-static_cast<int64_t>(found[j].diffuse))));
    }
    const ClampBounds bounds = clampBounds(run);
#pragma GCC unroll 12
    for (int i = 0; i < Cells::kCount; ++i) {
        const int k = Cells::kCell[i];
        const __m256d weight = _mm256_broadcast_sd(&run.weight[k]);
#pragma GCC unroll 16
        for (int j = 0; j < kRows; ++j)
            updateNeighbour(bounds, slot(j, kCellDy[k], kCellDx[k]), weight, scaled[j]);
    }
    return found[kRows - 1].colour;
}

// Rows are converted in bands of kBandRows, each row trailing the one above by kLag
// pixels, so that several independent chains of work are in flight at once. The lag keeps
// every pixel's contributions in raster order: a pixel of row y + 1 receives from row y
// (sources up to two columns to its right) before row y + 1 itself reaches it, and every
// target two rows down receives all of row y's contributions (sources up to two columns to
// its right) before the first of row y + 1's (sources from two columns to its left).
// So row y + 1 may convert column x only once row y has converted column x + 4: else a
// target (x + 2, y + 2) would receive row y + 1's contribution from (x, y + 1) before row
// y's from (x + 4, y), and the roundings and clamps could differ (with a lag of 3 the
// pinned Jarvis,Judice&Ninke checksums change). Inside a band, where the rows take turns
// within a step, a lag of 4 would do; between threads the wait asks for x + 4 done.
// Pixels not yet converted live in the slots; the result receives each palette colour.

// The same lag holds between bands, which lets bands run on several threads as a
// wavefront: band b + 1's first row follows band b's last row kLag pixels behind, waiting
// for it where it would catch up. Every pixel then receives the same additions in the same
// order as on one thread, so the results are identical bit for bit.
//
// How far the last row of each band has got, in pixels converted; each on a cache line of
// its own, published every kPublishEvery pixels and at the end of the row.
struct alignas(64) BandProgress {
    std::atomic<int> done{0};
};
constexpr int kPublishEvery = 32;

// Waits until a band's last row has converted at least `needed` pixels and returns what it
// has seen, so that the caller need not look again until it wants more. A wait spins for
// up to kSpinTime, long enough to ride out an interrupt or a page fault on the other
// thread; a longer one (the other thread lost its core) sleeps until the publications bring
// what is needed, and adds the time it slept to `slept`.
constexpr auto kSpinTime = std::chrono::microseconds(50);

int waitForProgress(const BandProgress& progress, int needed, std::chrono::nanoseconds& slept) {
    int seen = progress.done.load(std::memory_order_acquire);
    if (seen >= needed)
        return seen;
    const auto spinUntil = std::chrono::steady_clock::now() + kSpinTime;
    for (int spins = 1; seen < needed; ++spins) {
#if defined(__x86_64__)
        _mm_pause();
#endif
        seen = progress.done.load(std::memory_order_acquire);
        if (seen < needed && spins % 64 == 0 && std::chrono::steady_clock::now() > spinUntil)
            break;
    }
    if (seen >= needed)
        return seen;
    const auto sleepFrom = std::chrono::steady_clock::now();
    while (seen < needed) {
        progress.done.wait(seen, std::memory_order_acquire);
        seen = progress.done.load(std::memory_order_acquire);
    }
    slept += std::chrono::steady_clock::now() - sleepFrom;
    return seen;
}

void publishProgress(BandProgress& progress, int done) {
    progress.done.store(done, std::memory_order_release);
    progress.done.notify_all();
}

// The number of threads a conversion runs on: `requested` when above 0, else one per
// core for pictures large enough to repay them; never more than there are bands.
int conversionThreadCount(int requested, int width, int height) {
    const int bands = (height + kBandRows - 1) / kBandRows;
    if (requested > 0)
        return std::max(1, std::min(requested, bands));
    constexpr int64_t kMinimumPixels = int64_t{1} << 17;
    if (int64_t{width} * height < kMinimumPixels || width < 4 * kLag)
        return 1;
    return rowBandCount(0, bands, int64_t{width} * kBandRows);
}

enum class CellSet { FloydSteinberg, AllTwelve };

CellSet cellSetOf(const Factors& factors) {
    bool floydSteinberg = true;
    for (int k = 0; k < kWeightCount; ++k)
        floydSteinberg =
            floydSteinberg && (factors.weights[k] > 0.0f) == (k == 0 || k == 3 || k == 4 || k == 5);
    return floydSteinberg ? CellSet::FloydSteinberg : CellSet::AllTwelve;
}

// What every band of a run shares.
template <typename Search>
struct BandJob {
    const VectorRun* run;
    Search* search;
    const PixelBuffer* source;  // the picture; may be *pixels itself
    PixelBuffer* pixels;
    double* slots;           // the slots of column 0
    BandProgress* progress;  // one per band, or null on one thread
    CellSet cells;           // the cells the kernel updates
};

// Converts one band; with threads, waiting for the band above where it would catch up.
// Returns the colour of the band's bottom-right pixel, which it converts last.
template <typename Cells, int kFirstSlotRow, typename Search>
__attribute__((target("avx2,fma"))) int convertBand(const BandJob<Search>& job, int band,
                                                    std::array<int32_t, kColourCount>& counts,
                                                    std::chrono::nanoseconds& slept) {
    const VectorRun& run = *job.run;
    Search& search = *job.search;
    PixelBuffer& pixels = *job.pixels;
    const int width = pixels.width();
    const int height = pixels.height();
    const int y0 = band * kBandRows;
    const int bandRows = std::min(kBandRows, height - y0);
    BandRow rows[kBandRows];
    for (int j = 0; j < bandRows; ++j) {
        const int y = y0 + j;
        BandRow& row = rows[j];
        row.result = pixels.row(y);
        for (int dy = 0; dy < 3; ++dy)
            row.slots[dy] = job.slots + 4 * ((y + dy) % kSlotRows);
        row.refill = y + kSlotRows < height ? job.source->row(y + kSlotRows) : nullptr;
    }
    const BandProgress* above = job.progress && band > 0 ? &job.progress[band - 1] : nullptr;
    BandProgress* own = job.progress ? &job.progress[band] : nullptr;
    int aboveDone = above ? 0 : width;  // pixels of the row above known to be converted
    int published = 0;
    int colour = 0;
    const int steps = width + (bandRows - 1) * kLag;
    // From fullFrom to fullTo every row of the band has a pixel to convert.
    const int fullFrom = (bandRows - 1) * kLag;
    const int fullTo = width;
    for (int step = 0; step < steps; ++step) {
        // The first row converts column `step`: the row above must have converted columns
        // up to step + kLag - 1.
        const int needed = std::min(width, step + kLag);
        if (aboveDone < needed)
            aboveDone = waitForProgress(*above, needed, slept);
        if (bandRows == kBandRows && step >= fullFrom && step < fullTo) {
            colour = convertStep<kBandRows, kLag, kFirstSlotRow, Cells>(
                run, search, rows, job.slots + kColumnDoubles * step, step, counts);
        } else {
            for (int j = 0; j < bandRows; ++j) {
                const int x = step - j * kLag;
                if (x >= 0 && x < width)
                    colour = convertOne<Cells>(run, search, rows[j], x, counts);
            }
        }
        if (own) {
            const int lastDone = std::clamp(step - (bandRows - 1) * kLag + 1, 0, width);
            if (lastDone == width || lastDone - published >= kPublishEvery) {
                publishProgress(*own, lastDone);
                published = lastDone;
            }
        }
    }
    return colour;
}

// Converts a band with the cells the kernel updates.
template <int kFirstSlotRow, typename Search>
int convertCellsBand(const BandJob<Search>& job, int band,
                     std::array<int32_t, kColourCount>& counts, std::chrono::nanoseconds& slept) {
    if (job.cells == CellSet::FloydSteinberg)
        return convertBand<FloydSteinbergCells, kFirstSlotRow>(job, band, counts, slept);
    return convertBand<AllTwelveCells, kFirstSlotRow>(job, band, counts, slept);
}

// Bands alternate between the two halves of the slots.
template <typename Search>
int convertAnyBand(const BandJob<Search>& job, int band, std::array<int32_t, kColourCount>& counts,
                   std::chrono::nanoseconds& slept) {
    if (band % 2 == 1)
        return convertCellsBand<kBandRows>(job, band, counts, slept);
    return convertCellsBand<0>(job, band, counts, slept);
}

template <typename Search>
__attribute__((target("avx2"))) void diffuseAvx2(const PixelBuffer& source, const Palette& palette,
                                                 const Factors& factors, Search& search,
                                                 ConversionResult& result, int requestedThreads) {
    PixelBuffer& pixels = result.pixels;
    const int width = pixels.width();
    const int height = pixels.height();

    VectorRun run;
    const double bias = kRoundingBias;
    for (int c = 0; c < 3; ++c) {
        // Lanes run blue, green, red; densities are stored red, green, blue.
        run.densityRate[c] =
            static_cast<double>(factors.density[2 - c]) * static_cast<double>(factors.rate);
        run.lowest[c] = bias;
        run.highest[c] = bias + 255;
    }
    run.densityRate[3] = 0.0;
    run.lowest[3] = bias;
    run.highest[3] = bias;
    for (int n = 0; n < kColourCount; ++n) {
        run.colourPixels[n] = makePixel(palette[n].red, palette[n].green, palette[n].blue);
        _mm256_store_pd(run.colourSlots[n], slotOf(run.colourPixels[n]));
    }
    for (int k = 0; k < kWeightCount; ++k)
        run.weight[k] = factors.weights[k] > 0.0f ? static_cast<double>(factors.weights[k]) : 0.0;

    // The slots, every one first the bias (a clamped value), then the picture's first rows.
    const int64_t slotCount = int64_t{kColumnDoubles} * (width + 2 * kSlotPadding);
    std::unique_ptr<double[], AlignedDelete> slots(
        static_cast<double*>(::operator new[](sizeof(double) * slotCount, std::align_val_t{32})));
    std::fill_n(slots.get(), slotCount, bias);
    double* const columnZero = slots.get() + kColumnDoubles * kSlotPadding;
    for (int y = 0; y < std::min(height, kSlotRows); ++y) {
        double* row = columnZero + 4 * y;
        const Pixel* picture = source.row(y);
        for (int x = 0; x < width; ++x)
            _mm256_store_pd(row + kColumnDoubles * x, slotOf(picture[x]));
    }

    const int bandCount = (height + kBandRows - 1) / kBandRows;
    const int threads = conversionThreadCount(requestedThreads, width, height);
    std::unique_ptr<BandProgress[]> progress(threads > 1 ? new BandProgress[bandCount] : nullptr);
    const BandJob<Search> job{&run,       &search,        &source,           &pixels,
                              columnZero, progress.get(), cellSetOf(factors)};

    if (threads == 1) {
        int lastColour = 0;
        std::chrono::nanoseconds slept{0};
        for (int band = 0; band < bandCount; ++band)
            lastColour = convertAnyBand(job, band, result.counts, slept);
        result.lastColour = lastColour;
        return;
    }
    // The threads take the bands in order, each counting in an array of its own. A
    // wavefront pays only while its threads run at the same time: on a machine busy with
    // other work, one that has lost its core holds up the other at every band, and two threads
    // that each sleep half their time do no more than one. So once a thread has run for
    // kJudgeAfter and slept for half of that time, the helpers finish the band they hold
    // and stop, and the calling thread converts the rest alone. On an idle machine sleeps
    // are rare and short (an interrupt, or this virtual processor held for a few
    // milliseconds), so the time is long enough that one of them does not end the wavefront.
    constexpr auto kJudgeAfter = std::chrono::milliseconds(40);
    std::atomic<int> nextBand{0};
    std::atomic<bool> alone{false};
    int lastColour = 0;  // written by the thread that converts the last band
    struct alignas(64) ThreadCounts {
        std::array<int32_t, kColourCount> counts{};
    };
    std::vector<ThreadCounts> results(static_cast<size_t>(threads));
    const auto work = [&](int thread) {
        std::array<int32_t, kColourCount> counts{};
        std::chrono::nanoseconds slept{0};
        const auto start = std::chrono::steady_clock::now();
        while (thread == 0 || !alone.load(std::memory_order_relaxed)) {
            const int band = nextBand.fetch_add(1, std::memory_order_relaxed);
            if (band >= bandCount)
                break;
            const int colour = convertAnyBand(job, band, counts, slept);
            if (band == bandCount - 1)
                lastColour = colour;
            const auto ran = std::chrono::steady_clock::now() - start;
            if (ran >= kJudgeAfter && 2 * slept > ran)
                alone.store(true, std::memory_order_relaxed);
        }
        results[static_cast<size_t>(thread)].counts = counts;
    };
    std::vector<std::thread> workers;
    workers.reserve(static_cast<size_t>(threads - 1));
    for (int t = 1; t < threads; ++t)
        workers.emplace_back(work, t);
    work(0);
    for (auto& worker : workers)
        worker.join();
    for (const ThreadCounts& r : results)
        for (int n = 0; n < kColourCount; ++n)
            result.counts[n] += r.counts[n];
    result.lastColour = lastColour;
}

bool avx2Available() {
    static const bool available = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return available;
}

#endif

bool& vectorPathAllowed() {
    static bool allowed = true;
    return allowed;
}

bool vectorLoopUsable() {
#if defined(__x86_64__)
    return vectorPathAllowed() && avx2Available();
#else
    return false;
#endif
}

// Whether the vector loop converts this picture.
bool vectorLoopTakes(const PixelBuffer& pixels) {
#if defined(__x86_64__)
    return vectorLoopUsable() && slotsFit(pixels);
#else
    return false;
#endif
}

// What the CIE answers may take, as the pixel count RememberedSearch sizes its table by
// (at most two bytes a pixel): less the vector loop's slots, so that both together stay
// within half the picture.
size_t rememberedBudget(const PixelBuffer& pixels) {
    int64_t budget = static_cast<int64_t>(pixels.size());
#if defined(__x86_64__)
    if (vectorLoopTakes(pixels))
        budget -= slotBytes(pixels) / 2;
#endif
    return static_cast<size_t>(std::max<int64_t>(budget, 0));
}

// The CIE answers of a run, each colour searched once.
RememberedSearch<CieAnswers> rememberedCie(const CieSearch& cie, const PixelBuffer& pixels) {
    return RememberedSearch(CieAnswers{&cie, vectorLoopUsable() && CieSearch::estimatesAvailable()},
                            rememberedBudget(pixels));
}

}  // namespace

void setVectorConversionAllowed(bool allowed) {
    vectorPathAllowed() = allowed;
}

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
            return CieSearch(palette, settings.usable).plain(red, green, blue);
    }
    return {0, 0};
}

namespace {

// The plain loop works in the result itself: it starts as the picture's colours, the top
// bytes cleared. The vector loop reads the picture and writes each pixel of the result once,
// so it needs neither.
void startFromPicture(const PixelBuffer& source, PixelBuffer& pixels, int threads) {
    const Pixel* from = source.data();
    Pixel* to = pixels.data();
    forEachRowBand(source.height(), source.width(), threads, [&](int first, int end) {
        const size_t begin = static_cast<size_t>(first) * source.width();
        const size_t stop = static_cast<size_t>(end) * source.width();
        for (size_t i = begin; i < stop; ++i)
            to[i] = from[i] & 0x00FFFFFFu;
    });
}

#if defined(__x86_64__)
// Has the system map a fresh picture's pages, a row band on each thread, so that the
// wavefront's threads do not wait on each other's page faults (clearing a huge page takes
// longer than a wait spins).
void mapPages(PixelBuffer& pixels, int threads) {
    constexpr size_t kPixelsPerPage = 4096 / sizeof(Pixel);
    Pixel* p = pixels.data();
    forEachRowBand(pixels.height(), pixels.width(), threads, [&](int first, int end) {
        const size_t stop = static_cast<size_t>(end) * pixels.width();
        for (size_t i = static_cast<size_t>(first) * pixels.width(); i < stop; i += kPixelsPerPage)
            p[i] = 0;
    });
}
#endif

// Converts `source` into result.pixels, which is either `source` itself or a picture of its
// size whose pixels are not set yet.
void convertInto(const PixelBuffer& source, ConversionResult& result, const Palette& palette,
                 const ConversionSettings& settings, int threads) {
    const Factors factors = prepareFactors(settings);
#if defined(__x86_64__)
    if (vectorLoopTakes(result.pixels)) {
        if (&source != &result.pixels)
            mapPages(result.pixels, threads);
        switch (settings.space) {
            case ColourSpace::Rgb: {
                Avx2RgbSearch search(palette, settings);
                diffuseAvx2(source, palette, factors, search, result, threads);
                return;
            }
            case ColourSpace::Ycc: {
                Avx2YccSearch search(palette, settings);
                diffuseAvx2(source, palette, factors, search, result, threads);
                return;
            }
            case ColourSpace::Cie: {
                const CieSearch cie(palette, settings.usable);
                auto remembered = rememberedCie(cie, result.pixels);
                ScalarSearchAdaptor<decltype(remembered)> search{remembered};
                diffuseAvx2(source, palette, factors, search, result, threads);
                return;
            }
        }
    }
#endif
    startFromPicture(source, result.pixels, threads);
    switch (settings.space) {
        case ColourSpace::Rgb: {
            RgbSearch search(palette, settings);
            diffuse(palette, factors, search, result);
            break;
        }
        case ColourSpace::Ycc: {
            YccSearch search(palette, settings);
            diffuse(palette, factors, search, result);
            break;
        }
        case ColourSpace::Cie: {
            const CieSearch cie(palette, settings.usable);
            auto search = rememberedCie(cie, result.pixels);
            diffuse(palette, factors, search, result);
            break;
        }
    }
}

Result<void> checkConvertible(const PixelBuffer& source, const ConversionSettings& settings) {
    if (auto valid = validateSettings(settings); !valid)
        return makeError(valid.error());
    if (source.empty()) {
        return makeError("the picture has no pixels (" + std::to_string(source.width()) + " x " +
                         std::to_string(source.height()) + ")");
    }
    return {};
}

}  // namespace

Result<ConversionResult> convertPicture(const PixelBuffer& source, const Palette& palette,
                                        const ConversionSettings& settings, int threads) {
    if (auto convertible = checkConvertible(source, settings); !convertible)
        return makeError(convertible.error());
    auto pixels = PixelBuffer::createUnset(source.width(), source.height());
    if (!pixels)
        return makeError(pixels.error());
    ConversionResult result;
    result.pixels = std::move(*pixels);
    convertInto(source, result, palette, settings, threads);
    return result;
}

Result<ConversionResult> convertPicture(PixelBuffer&& source, const Palette& palette,
                                        const ConversionSettings& settings, int threads) {
    if (auto convertible = checkConvertible(source, settings); !convertible)
        return makeError(convertible.error());
    ConversionResult result;
    result.pixels = std::move(source);
    convertInto(result.pixels, result, palette, settings, threads);
    return result;
}

}  // namespace kirimo
