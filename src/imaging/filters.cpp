#include "imaging/filters.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "imaging/row_threads.h"

namespace kirimo {

namespace {

// Each literal is the binary32 number nearest to the decimal weight.
constexpr ConvolveKernel kKernels[] = {
    // SharpenWeak
    {{{-0.1f, -0.1f, -0.1f}, {-0.1f, 1.8f, -0.1f}, {-0.1f, -0.1f, -0.1f}}, 0, false},
    // SharpenMedium
    {{{0.0f, -1.0f, 0.0f}, {-1.0f, 5.0f, -1.0f}, {0.0f, -1.0f, 0.0f}}, 0, false},
    // SharpenStrong
    {{{-1.0f, -1.0f, -1.0f}, {-1.0f, 9.0f, -1.0f}, {-1.0f, -1.0f, -1.0f}}, 0, false},
    // Blur
    {{{0.08f, 0.12f, 0.08f}, {0.12f, 0.2f, 0.12f}, {0.08f, 0.12f, 0.08f}}, 0, false},
    // Average
    {{{0.1f, 0.1f, 0.1f}, {0.1f, 0.2f, 0.1f}, {0.1f, 0.1f, 0.1f}}, 0, false},
    // Emboss
    {{{-1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}}, 128, false},
    // Outline
    {{{-1.0f, -1.0f, -1.0f}, {-1.0f, 8.0f, -1.0f}, {-1.0f, -1.0f, -1.0f}}, 0, true},
};

// One weighted term, round(v x weight) for a byte v, in 16-bit whole-number arithmetic.
//
// A binary32 weight is exactly multiplier x 2^-shift. For shift 0 the term is the exact
// product. Otherwise, with an odd multiplier and shift >= 9, v x weight is never exactly
// halfway between two whole numbers for v in 0..255, so rounding half to even is rounding
// half up: floor((v x multiplier + 2^(shift-1)) / 2^shift). For the same reason
// round(acc + v x weight) equals acc + round(v x weight) for every whole acc, so rounding
// after every term is the same as summing terms rounded on their own, in any order. A
// byte of 0 gives a term of 0, which lets zero padding stand for the neighbours outside
// the picture.
//
// The term is computed as whole x v + floor((v x fraction + 2^15) / 2^16), negated for a
// negative weight: `whole` is the weight's whole part and `fraction` a 16-bit multiplier
// for the rest, chosen and checked at compile time to give the exact term for all 256
// bytes. That keeps every lane 16 bits wide.
struct ExactWeight {
    uint64_t multiplier = 0;
    int shift = 0;
    bool negative = false;
    bool valid = true;
};

constexpr ExactWeight exactWeightOf(float weight) {
    if (weight == 0.0f)
        return {};
    const auto bits = std::bit_cast<uint32_t>(weight);
    const int exponent = static_cast<int>((bits >> 23) & 0xFF);
    if (exponent == 0 || exponent == 0xFF || exponent > 150 + 8)
        return {0, 0, false, false};  // subnormal, infinite, or far too large
    uint64_t mantissa = (bits & 0x7FFFFFu) | 0x800000u;
    int shift = 150 - exponent;
    while (shift > 0 && mantissa % 2 == 0) {
        mantissa /= 2;
        --shift;
    }
    while (shift < 0) {
        mantissa *= 2;
        ++shift;
    }
    return {mantissa, shift, (bits >> 31) != 0, shift == 0 || shift >= 9};
}

// round(v x |weight|), from the weight's exact value.
constexpr uint64_t exactMagnitude(const ExactWeight& w, uint64_t v) {
    if (w.shift == 0)
        return v * w.multiplier;
    return (v * w.multiplier + (uint64_t{1} << (w.shift - 1))) >> w.shift;
}

struct Term {
    uint16_t whole = 0;
    uint16_t fraction = 0;
    bool negative = false;
    bool exact = true;
};

constexpr uint64_t termMagnitude(const Term& t, uint64_t v) {
    return t.whole * v + ((v * t.fraction + 0x8000) >> 16);
}

constexpr Term termOf(float weight) {
    const ExactWeight w = exactWeightOf(weight);
    if (!w.valid || (w.multiplier >> w.shift) > 255)
        return {0, 0, false, false};
    const auto whole = static_cast<uint16_t>(w.multiplier >> w.shift);
    const uint64_t rest = w.multiplier - (uint64_t{whole} << w.shift);
    const uint64_t nearest = w.shift >= 16 ? rest >> (w.shift - 16) : rest << (16 - w.shift);
    for (uint64_t candidate = nearest > 0 ? nearest - 1 : 0; candidate <= nearest + 2;
         ++candidate) {
        if (candidate > 0xFFFF)
            break;
        const Term term{whole, static_cast<uint16_t>(candidate), w.negative, true};
        bool matches = true;
        for (uint64_t v = 0; v < 256; ++v)
            matches = matches && termMagnitude(term, v) == exactMagnitude(w, v);
        if (matches)
            return term;
    }
    return {0, 0, false, false};
}

// Every term exact, and the largest possible sum within a 16-bit lane.
constexpr bool kernelTermsFitSixteenBits() {
    for (const auto& kernel : kKernels) {
        int64_t largest = kernel.offset < 0 ? -int64_t{kernel.offset} : kernel.offset;
        for (const auto& row : kernel.weights) {
            for (float weight : row) {
                const Term term = termOf(weight);
                if (!term.exact)
                    return false;
                largest += static_cast<int64_t>(termMagnitude(term, 255));
            }
        }
        if (largest > INT16_MAX)
            return false;
    }
    return true;
}
static_assert(kernelTermsFitSixteenBits(),
              "every kernel weight must give exact terms whose sum fits 16 bits");

template <Term T>
inline int16_t termValue(uint16_t v) {
    if constexpr (T.whole == 0 && T.fraction == 0) {
        return 0;
    } else {
        uint16_t magnitude = 0;
        if constexpr (T.whole != 0)
            magnitude = static_cast<uint16_t>(magnitude + v * T.whole);
        if constexpr (T.fraction != 0) {
            // (v x fraction + 2^15) >> 16 from the high and low halves of the product.
            const uint32_t product = uint32_t{v} * T.fraction;
            const auto high = static_cast<uint16_t>(product >> 16);
            const auto low = static_cast<uint16_t>(product);
            magnitude = static_cast<uint16_t>(magnitude + high + (low >> 15));
        }
        return T.negative ? static_cast<int16_t>(-magnitude) : static_cast<int16_t>(magnitude);
    }
}

// Rows are processed in chunks of a fixed number of pixels so that the compiler turns
// the inner loops into vector code; row arrays are padded to whole chunks.
constexpr int kChunk = 16;

int paddedLength(int width) {
    return (width + kChunk - 1) / kChunk * kChunk + kChunk + 2;
}

// The input rows one band of a filter reads: its own rows and the one on each side, or
// null outside the picture. A filter working in place writes row y only after reading
// row y + 1, so its own rows are still the input when read; the rows on each side belong to
// other bands, which may already have written them, so those are copies made before any
// band started.
struct BandRows {
    const PixelBuffer* picture;
    const Pixel* before;  // row first - 1
    const Pixel* after;   // row end
    int first, end;

    const Pixel* row(int y) const {
        if (y == first - 1)
            return before;
        if (y == end)
            return after;
        return picture->row(y);
    }
};

// Three channel planes of one input row: plane c holds the channel at index x + 1 for
// pixel x, and zeros before and after the row.
class ChannelRows {
  public:
    explicit ChannelRows(int width)
        : width_(width), stride_(paddedLength(width)), data_(static_cast<size_t>(stride_) * 9, 0) {}

    // Slot s (0..2) takes an input row, or zeros for a row outside the picture (null).
    __attribute__((always_inline)) void load(int slot, const Pixel* row) {
        uint16_t* red = plane(slot, 0);
        uint16_t* green = plane(slot, 1);
        uint16_t* blue = plane(slot, 2);
        if (row == nullptr) {
            std::fill_n(red, stride_, uint16_t{0});
            std::fill_n(green, stride_, uint16_t{0});
            std::fill_n(blue, stride_, uint16_t{0});
            return;
        }
        split(row, width_, red + 1, green + 1, blue + 1);
    }

    uint16_t* plane(int slot, int channel) {
        return data_.data() + static_cast<size_t>(slot * 3 + channel) * stride_;
    }

  private:
    // Rows that cannot overlap, so that the loop becomes vector code.
    __attribute__((always_inline)) static void split(const Pixel* __restrict source, int width,
                                                     uint16_t* __restrict red,
                                                     uint16_t* __restrict green,
                                                     uint16_t* __restrict blue) {
        for (int x = 0; x < width; ++x) {
            red[x] = (source[x] >> 16) & 0xFF;
            green[x] = (source[x] >> 8) & 0xFF;
            blue[x] = source[x] & 0xFF;
        }
    }

    int width_;
    int stride_;
    std::vector<uint16_t> data_;
};

// One channel of kChunk output pixels; up, mid and down point at the plane entries of
// the left neighbours of the chunk's first pixel in the rows above, at and below it.
template <WeightedFilter F>
__attribute__((always_inline)) inline void weightedChunk(const uint16_t* __restrict up,
                                                         const uint16_t* __restrict mid,
                                                         const uint16_t* __restrict down,
                                                         int16_t* __restrict result) {
    constexpr const ConvolveKernel& k = kKernels[static_cast<int>(F)];
    constexpr Term t00 = termOf(k.weights[0][0]);
    constexpr Term t10 = termOf(k.weights[0][1]);
    constexpr Term t20 = termOf(k.weights[0][2]);
    constexpr Term t01 = termOf(k.weights[1][0]);
    constexpr Term t11 = termOf(k.weights[1][1]);
    constexpr Term t21 = termOf(k.weights[1][2]);
    constexpr Term t02 = termOf(k.weights[2][0]);
    constexpr Term t12 = termOf(k.weights[2][1]);
    constexpr Term t22 = termOf(k.weights[2][2]);
    for (int i = 0; i < kChunk; ++i) {
        // The sum always fits 16 bits (checked above for every kernel).
        auto acc = static_cast<int16_t>(termValue<t00>(up[i]) + termValue<t10>(up[i + 1]) +
                                        termValue<t20>(up[i + 2]) + termValue<t01>(mid[i]) +
                                        termValue<t21>(mid[i + 2]) + termValue<t02>(down[i]) +
                                        termValue<t12>(down[i + 1]) + termValue<t22>(down[i + 2]) +
                                        termValue<t11>(mid[i + 1]) + k.offset);
        acc = std::min<int16_t>(std::max<int16_t>(acc, 0), 255);
        if constexpr (k.invertAfter)
            acc = static_cast<int16_t>(255 - acc);
        result[i] = acc;
    }
}

template <WeightedFilter F>
__attribute__((always_inline)) inline void weightedRowsBody(const BandRows& in, PixelBuffer& out) {
    const int w = out.width();
    ChannelRows rows(w);
    // Slots hold rows y - 1, y and y + 1 in turn.
    int slotOf[3] = {0, 1, 2};
    rows.load(slotOf[0], in.row(in.first - 1));
    rows.load(slotOf[1], in.row(in.first));
    for (int y = in.first; y < in.end; ++y) {
        rows.load(slotOf[2], in.row(y + 1));
        Pixel* target = out.row(y);
        alignas(64) int16_t red[kChunk];
        alignas(64) int16_t green[kChunk];
        alignas(64) int16_t blue[kChunk];
        alignas(64) Pixel packed[kChunk];
        for (int x = 0; x < w; x += kChunk) {
            weightedChunk<F>(rows.plane(slotOf[0], 0) + x, rows.plane(slotOf[1], 0) + x,
                             rows.plane(slotOf[2], 0) + x, red);
            weightedChunk<F>(rows.plane(slotOf[0], 1) + x, rows.plane(slotOf[1], 1) + x,
                             rows.plane(slotOf[2], 1) + x, green);
            weightedChunk<F>(rows.plane(slotOf[0], 2) + x, rows.plane(slotOf[1], 2) + x,
                             rows.plane(slotOf[2], 2) + x, blue);
            for (int i = 0; i < kChunk; ++i)
                packed[i] = (static_cast<Pixel>(static_cast<uint16_t>(red[i])) << 16) |
                            (static_cast<Pixel>(static_cast<uint16_t>(green[i])) << 8) |
                            static_cast<Pixel>(static_cast<uint16_t>(blue[i]));
            std::memcpy(target + x, packed, sizeof(Pixel) * std::min(kChunk, w - x));
        }
        std::rotate(slotOf, slotOf + 1, slotOf + 3);
    }
}

// The same loops compiled twice: for any x86-64 and, where the processor has it, for
// AVX2, whose vectors hold twice the lanes (the results are the same: whole numbers).
template <WeightedFilter F>
void weightedRows(const BandRows& in, PixelBuffer& out) {
    weightedRowsBody<F>(in, out);
}

bool avx2Available() {
#if defined(__x86_64__)
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
#else
    return false;
#endif
}

using WeightedRowsFunction = void (*)(const BandRows&, PixelBuffer&);

#if defined(__x86_64__)
template <WeightedFilter F>
__attribute__((target("avx2"))) void weightedRowsAvx2(const BandRows& in, PixelBuffer& out) {
    weightedRowsBody<F>(in, out);
}

WeightedRowsFunction weightedRowsAvx2For(WeightedFilter filter) {
    switch (filter) {
        case WeightedFilter::SharpenWeak:
            return weightedRowsAvx2<WeightedFilter::SharpenWeak>;
        case WeightedFilter::SharpenMedium:
            return weightedRowsAvx2<WeightedFilter::SharpenMedium>;
        case WeightedFilter::SharpenStrong:
            return weightedRowsAvx2<WeightedFilter::SharpenStrong>;
        case WeightedFilter::Blur:
            return weightedRowsAvx2<WeightedFilter::Blur>;
        case WeightedFilter::Average:
            return weightedRowsAvx2<WeightedFilter::Average>;
        case WeightedFilter::Emboss:
            return weightedRowsAvx2<WeightedFilter::Emboss>;
        case WeightedFilter::Outline:
            return weightedRowsAvx2<WeightedFilter::Outline>;
    }
    return weightedRowsAvx2<WeightedFilter::Average>;
}
#endif

WeightedRowsFunction weightedRowsFor(WeightedFilter filter) {
#if defined(__x86_64__)
    if (avx2Available())
        return weightedRowsAvx2For(filter);
#endif
    switch (filter) {
        case WeightedFilter::SharpenWeak:
            return weightedRows<WeightedFilter::SharpenWeak>;
        case WeightedFilter::SharpenMedium:
            return weightedRows<WeightedFilter::SharpenMedium>;
        case WeightedFilter::SharpenStrong:
            return weightedRows<WeightedFilter::SharpenStrong>;
        case WeightedFilter::Blur:
            return weightedRows<WeightedFilter::Blur>;
        case WeightedFilter::Average:
            return weightedRows<WeightedFilter::Average>;
        case WeightedFilter::Emboss:
            return weightedRows<WeightedFilter::Emboss>;
        case WeightedFilter::Outline:
            return weightedRows<WeightedFilter::Outline>;
    }
    return weightedRows<WeightedFilter::Average>;
}

// Median of nine keys by a 19-comparator selection network; the fifth smallest ends up
// in k[4].
inline int32_t medianOfNine(int32_t k[9]) {
    const auto order = [&](int a, int b) {
        const int32_t low = std::min(k[a], k[b]);
        k[b] = std::max(k[a], k[b]);
        k[a] = low;
    };
    order(1, 2), order(4, 5), order(7, 8), order(0, 1), order(3, 4), order(6, 7);
    order(1, 2), order(4, 5), order(7, 8), order(0, 3), order(5, 8), order(4, 7);
    order(3, 6), order(1, 4), order(2, 5), order(4, 7), order(4, 2), order(6, 4);
    order(4, 2);
    return k[4];
}

// The median at column x from the keys of the rows above, at and below (null outside the
// picture), every position outside the picture taking the centre.
int32_t medianAtBorder(const int32_t* up, const int32_t* at, const int32_t* down, int x, int w) {
    const int32_t centre = at[x];
    int32_t keys[9];
    int n = 0;
    for (const int32_t* row : {up, at, down}) {
        for (int px = x - 1; px <= x + 1; ++px)
            keys[n++] = row != nullptr && px >= 0 && px < w ? row[px] : centre;
    }
    return medianOfNine(keys);
}

__attribute__((always_inline)) inline int32_t medianOfThree(int32_t a, int32_t b, int32_t c) {
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// The keys of a row of w pixels. A function rather than a lambda: the same loop in a
// lambda stayed scalar even where it was called from the AVX2 function.
__attribute__((always_inline)) inline void rowKeys(const Pixel* __restrict source,
                                                   int32_t* __restrict keys, int w) {
    for (int x = 0; x < w; ++x)
        keys[x] = medianKey(source[x]);
}

// Interior rows: each column of three keys is sorted once into low, middle and high and
// shared by the three pixels that see it; the median of the nine is then the median of
// the largest low, the median of the middles and the smallest high.
__attribute__((always_inline)) inline void medianRowsBody(const BandRows& in, PixelBuffer& out) {
    const int w = out.width();
    const int h = out.height();
    const auto length = static_cast<size_t>(paddedLength(w));
    std::vector<int32_t> keyRows(length * 3, 0);
    std::vector<int32_t> low(length, 0), middle(length, 0), high(length, 0);
    const auto keysOf = [&](int slot) { return keyRows.data() + length * slot; };
    // Slots hold the keys of rows y - 1, y and y + 1 in turn.
    int slotOf[3] = {0, 1, 2};
    const auto load = [&](int slot, int y) {
        if (y >= 0 && y < h)
            rowKeys(in.row(y), keysOf(slot), w);
    };
    load(slotOf[0], in.first - 1);
    load(slotOf[1], in.first);
    alignas(64) int32_t result[kChunk];
    for (int y = in.first; y < in.end; ++y) {
        load(slotOf[2], y + 1);
        const int32_t* up = y > 0 ? keysOf(slotOf[0]) : nullptr;
        const int32_t* at = keysOf(slotOf[1]);
        const int32_t* down = y < h - 1 ? keysOf(slotOf[2]) : nullptr;
        Pixel* target = out.row(y);
        std::rotate(slotOf, slotOf + 1, slotOf + 3);
        if (up == nullptr || down == nullptr || w < 3) {
            for (int x = 0; x < w; ++x)
                target[x] = colourValueToPixel(medianAtBorder(up, at, down, x, w));
            continue;
        }
        for (int x = 0; x < w; x += kChunk) {
            for (int i = x; i < x + kChunk; ++i) {
                const int32_t a = up[i];
                const int32_t b = at[i];
                const int32_t c = down[i];
                low[i] = std::min(a, std::min(b, c));
                high[i] = std::max(a, std::max(b, c));
                middle[i] = medianOfThree(a, b, c);
            }
        }
        for (int x = 1; x < w - 1; x += kChunk) {
            const int32_t* lo = low.data() + x - 1;
            const int32_t* mid = middle.data() + x - 1;
            const int32_t* hi = high.data() + x - 1;
            for (int i = 0; i < kChunk; ++i) {
                const int32_t largestLow = std::max(lo[i], std::max(lo[i + 1], lo[i + 2]));
                const int32_t middleMiddle = medianOfThree(mid[i], mid[i + 1], mid[i + 2]);
                const int32_t smallestHigh = std::min(hi[i], std::min(hi[i + 1], hi[i + 2]));
                result[i] = medianOfThree(largestLow, middleMiddle, smallestHigh);
            }
            const int count = std::min(kChunk, w - 1 - x);
            for (int i = 0; i < count; ++i)
                target[x + i] = colourValueToPixel(result[i]);
        }
        target[0] = colourValueToPixel(medianAtBorder(up, at, down, 0, w));
        target[w - 1] = colourValueToPixel(medianAtBorder(up, at, down, w - 1, w));
    }
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void medianRowsAvx2(const BandRows& in, PixelBuffer& out) {
    medianRowsBody(in, out);
}
#endif

void medianRows(const BandRows& in, PixelBuffer& out) {
#if defined(__x86_64__)
    if (avx2Available()) {
        medianRowsAvx2(in, out);
        return;
    }
#endif
    medianRowsBody(in, out);
}

// The output of a filter, its pixels unset: every filter writes each of them.
PixelBuffer sameSizeAs(const PixelBuffer& in) {
    return std::move(PixelBuffer::createUnset(in.width(), in.height())).value();
}

// Runs a filter's rows over `in` into `out` in bands, one per thread; `out` may be `in`
// itself (see BandRows).
template <typename FilterRows>
void filterInBands(const PixelBuffer& in, PixelBuffer& out, int threads, FilterRows filterRows) {
    if (in.empty())
        return;
    const int h = in.height();
    const auto w = static_cast<size_t>(in.width());
    const std::vector<int> bounds = rowBandBounds(h, in.width(), threads);
    const size_t bands = bounds.size() - 1;
    // In place, the rows on each side of every band, copied before any band writes.
    const bool inPlace = &in == &out;
    std::vector<Pixel> sides(inPlace ? 2 * bands * w : 0);
    std::vector<BandRows> work(bands);
    for (size_t band = 0; band < bands; ++band) {
        BandRows& rows = work[band];
        rows = {&in, nullptr, nullptr, bounds[band], bounds[band + 1]};
        if (rows.first > 0)
            rows.before = in.row(rows.first - 1);
        if (rows.end < h)
            rows.after = in.row(rows.end);
        if (inPlace) {
            Pixel* before = sides.data() + 2 * band * w;
            Pixel* after = before + w;
            if (rows.before) {
                std::copy_n(rows.before, w, before);
                rows.before = before;
            }
            if (rows.after) {
                std::copy_n(rows.after, w, after);
                rows.after = after;
            }
        }
    }
    forEachBand(bands, [&](size_t band) { filterRows(work[band], out); });
}

}  // namespace

const ConvolveKernel& convolveKernel(WeightedFilter filter) {
    return kKernels[static_cast<int>(filter)];
}

PixelBuffer applyWeightedFilter(const PixelBuffer& in, WeightedFilter filter, int threads) {
    PixelBuffer out = sameSizeAs(in);
    filterInBands(in, out, threads, weightedRowsFor(filter));
    return out;
}

void applyWeightedFilterInPlace(PixelBuffer& picture, WeightedFilter filter, int threads) {
    filterInBands(picture, picture, threads, weightedRowsFor(filter));
}

PixelBuffer applyMedianFilter(const PixelBuffer& in, int threads) {
    PixelBuffer out = sameSizeAs(in);
    filterInBands(in, out, threads, medianRows);
    return out;
}

void applyMedianFilterInPlace(PixelBuffer& picture, int threads) {
    filterInBands(picture, picture, threads, medianRows);
}

PixelBuffer invertColours(const PixelBuffer& in, int threads) {
    PixelBuffer out = sameSizeAs(in);
    const auto w = static_cast<size_t>(in.width());
    forEachRowBand(in.height(), in.width(), threads, [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            const Pixel* source = in.row(y);
            Pixel* target = out.row(y);
            for (size_t x = 0; x < w; ++x)
                target[x] = source[x] ^ 0x00FFFFFFu;
        }
    });
    return out;
}

}  // namespace kirimo
