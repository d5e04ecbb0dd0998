#include "imaging/cie_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace kirimo {

CieSearch::CieSearch(const Palette& palette, const std::array<bool, kColourCount>& usable) {
    for (int n = 0; n < kColourCount; ++n) {
        labs_[n] = srgbToLab(palette[n].red, palette[n].green, palette[n].blue);
        chromas_[n] = labChroma(labs_[n]);
        if (usable[n])
            order_[count_++] = n;
    }
    // Past sixteen colours, those farthest from middle lightness go last, where a pixel
    // of middle lightness usually rules them out by lightness alone.
    std::copy(order_, order_ + count_, lanes_);
    if (count_ > 2 * kGroup) {
        std::stable_sort(lanes_, lanes_ + count_, [this](int m, int n) {
            return std::fabs(labs_[m].l - 50.0) < std::fabs(labs_[n].l - 50.0);
        });
    }
    for (int i = 0; i < kLanes; ++i) {
        const bool unused = i >= count_;
        const int n = unused ? 0 : lanes_[i];
        const bool grey = unused || chromas_[n] == 0.0;
        l_[i] = unused ? 0.0f : static_cast<float>(labs_[n].l);
        c_[i] = unused ? 0.0f : static_cast<float>(chromas_[n]);
        aUnit_[i] = grey ? 0.0f : static_cast<float>(labs_[n].a / chromas_[n]);
        bUnit_[i] = grey ? 0.0f : static_cast<float>(labs_[n].b / chromas_[n]);
        grey_[i] = grey ? 1.0f : 0.0f;
        past_[i] = unused ? std::numeric_limits<float>::infinity() : 0.0f;
    }
}

NearestColour CieSearch::plain(int red, int green, int blue) const {
    const Lab lab = srgbToLab(red, green, blue);
    if (count_ == 0)
        return {1, ciede2000(lab, labs_[1])};
    const double chroma = labChroma(lab);
    int best = -1;
    double bestDist = 0;
    for (int i = 0; i < count_; ++i) {
        const int n = order_[i];
        const double d = ciede2000(lab, chroma, labs_[n], chromas_[n]);
        if (best < 0 || d < bestDist) {
            best = n;
            bestDist = d;
        }
    }
    return {best, bestDist};
}

NearestColour CieSearch::pruned(int red, int green, int blue) const {
    const Lab lab = srgbToLab(red, green, blue);
    if (count_ == 0)
        return {1, ciede2000(lab, labs_[1])};
    const double chroma = labChroma(lab);
    int tryOrder[kColourCount];
    double guess[kColourCount];
    for (int i = 0; i < count_; ++i) {
        const Lab& c = labs_[order_[i]];
        const double dl = c.l - lab.l, da = c.a - lab.a, db = c.b - lab.b;
        guess[i] = dl * dl + da * da + db * db;
        int j = i;
        for (; j > 0 && guess[tryOrder[j - 1]] > guess[i]; --j)
            tryOrder[j] = tryOrder[j - 1];
        tryOrder[j] = i;
    }
    int best = -1;
    double bestDist = 0;
    for (int i = 0; i < count_; ++i) {
        const int n = order_[tryOrder[i]];
        if (best >= 0 && (ciede2000LightnessBound(lab, labs_[n]) > bestDist ||
                          ciede2000LowerBound(lab, chroma, labs_[n], chromas_[n]) > bestDist))
            continue;
        const double d = ciede2000(lab, chroma, labs_[n], chromas_[n]);
        if (best < 0 || d < bestDist || (d == bestDist && n < best)) {
            best = n;
            bestDist = d;
        }
    }
    return {best, bestDist};
}

// The estimate follows the difference's definition step by step in single precision,
// eight colours at a time, with three changes that make it cheap:
// - hue angles are not formed: with u1, u2 the unit vectors of (a', b) of the two colours,
//   the hue difference term is sqrt(C1' C2') |u2 - u1| with the sign of u1 x u2, and the
//   mean hue is the bisector of the shorter arc (what the definition's case analysis
//   picks): the direction of u1 + u2 for hues within 90 degrees, else that of u2 - u1
//   turned a quarter towards u2 (u1 x u2 above 0) or away; either vector is then at
//   least 1 long, so its direction is as exact as its components;
// - the hue rotation's sine is a piecewise polynomial in the cosine of the angle between
//   the mean hue and 275 degrees: error below 7.2e-7, and the cosine's rounding (a few
//   units of 6e-8) moves it by at most 6 times that; below 2.5e-6 in the rotation term;
// - where the mean hue passes 0 degrees the definition's rotation angle jumps from
//   30 exp(-11.56) degrees to almost 0; measured either way from 275 degrees the jump moves
//   to 95 degrees, where it is as small, so the rotation term differs by at most 2e-5 there.
// The difference is the root of a quadratic form in (l, c, h) whose cross term has a
// factor at most 2 sin 60 degrees, so a change of d in the rotation term changes the root
// by at most about 2 d times the root: 4e-5 relative. Single precision adds a few units of
// 6e-8 relative per step and, from the rounded inputs (lightness and chroma up to about
// 130, unit vectors), below 3e-5 absolute; together ten times inside estimateMargin.
// Where the hues are within 1e-5 radians of opposite the sign of u1 x u2, which turns the
// mean hue half round, is not certain and the estimate is marked unreliable.
#if defined(__x86_64__)

namespace {

using V = __m256;

#define KIRIMO_SIMD __attribute__((target("avx2,fma"), always_inline)) inline

KIRIMO_SIMD V splat(double v) {
    return _mm256_set1_ps(static_cast<float>(v));
}

// N vectors of eight lanes worked on side by side, so that the processor overlaps their
// long chains of dependent steps; a single vector stands for N copies of itself. The loops
// over the vectors are unrolled by request: only then does the compiler keep the vectors in
// registers rather than in memory, which made the estimates five times slower.
template <int N>
struct Lanes {
    V v[N];

    Lanes() = default;
    KIRIMO_SIMD Lanes(V x) {  // NOLINT(google-explicit-constructor): constants mix in freely
#pragma GCC unroll 4
        for (int i = 0; i < N; ++i)
            v[i] = x;
    }
    KIRIMO_SIMD static Lanes load(const float* p) {
        Lanes r;
#pragma GCC unroll 4
        for (int i = 0; i < N; ++i)
            r.v[i] = _mm256_load_ps(p + 8 * i);
        return r;
    }

#define KIRIMO_LANEWISE(expr)                                            \
    Lanes r;                                                             \
    _Pragma("GCC unroll 4") for (int i = 0; i < N; ++i) r.v[i] = (expr); \
    return r
    KIRIMO_SIMD friend Lanes operator+(Lanes a, Lanes b) {
        KIRIMO_LANEWISE(a.v[i] + b.v[i]);
    }
    KIRIMO_SIMD friend Lanes operator-(Lanes a, Lanes b) {
        KIRIMO_LANEWISE(a.v[i] - b.v[i]);
    }
    KIRIMO_SIMD friend Lanes operator*(Lanes a, Lanes b) {
        KIRIMO_LANEWISE(a.v[i] * b.v[i]);
    }
    KIRIMO_SIMD friend Lanes operator/(Lanes a, Lanes b) {
        KIRIMO_LANEWISE(a.v[i] / b.v[i]);
    }
    // a * b + c, rounded once.
    KIRIMO_SIMD friend Lanes fused(Lanes a, Lanes b, Lanes c) {
        KIRIMO_LANEWISE(_mm256_fmadd_ps(a.v[i], b.v[i], c.v[i]));
    }
    KIRIMO_SIMD friend Lanes root(Lanes a) {
        KIRIMO_LANEWISE(_mm256_sqrt_ps(a.v[i]));
    }
    KIRIMO_SIMD friend Lanes smaller(Lanes a, Lanes b) {
        KIRIMO_LANEWISE(_mm256_min_ps(a.v[i], b.v[i]));
    }
    KIRIMO_SIMD friend Lanes larger(Lanes a, Lanes b) {
        KIRIMO_LANEWISE(_mm256_max_ps(a.v[i], b.v[i]));
    }
    KIRIMO_SIMD friend Lanes magnitude(Lanes a) {
        KIRIMO_LANEWISE(_mm256_andnot_ps(splat(-0.0), a.v[i]));
    }
    KIRIMO_SIMD friend Lanes signOf(Lanes a) {
        KIRIMO_LANEWISE(_mm256_and_ps(a.v[i], splat(-0.0)));
    }
    KIRIMO_SIMD friend Lanes bitsXor(Lanes a, Lanes b) {
        KIRIMO_LANEWISE(_mm256_xor_ps(a.v[i], b.v[i]));
    }
    KIRIMO_SIMD friend Lanes bitsAndNot(Lanes a, Lanes b) {  // ~a & b
        KIRIMO_LANEWISE(_mm256_andnot_ps(a.v[i], b.v[i]));
    }
    // Masks of the comparisons (all bits set where true).
    KIRIMO_SIMD friend Lanes less(Lanes a, Lanes b) {
        KIRIMO_LANEWISE(_mm256_cmp_ps(a.v[i], b.v[i], _CMP_LT_OQ));
    }
    KIRIMO_SIMD friend Lanes notLess(Lanes a, Lanes b) {
        KIRIMO_LANEWISE(_mm256_cmp_ps(a.v[i], b.v[i], _CMP_GE_OQ));
    }
    // Lanes of onTrue where the mask is set, else of onFalse.
    KIRIMO_SIMD friend Lanes select(Lanes mask, Lanes onTrue, Lanes onFalse) {
        KIRIMO_LANEWISE(_mm256_blendv_ps(onFalse.v[i], onTrue.v[i], mask.v[i]));
    }
#undef KIRIMO_LANEWISE
};

// sin(2 dtheta) of the rotation term, where dtheta = 30 exp(-(a / 25)^2) degrees and a is
// the angle between the mean hue and 275 degrees, as a function of x = cos a: a polynomial
// of degree 7 on each of eight equal pieces of [-0.2, 1], fitted at the Chebyshev points
// (error below 7.2e-7). Below -0.2 (a above 101 degrees) the value is below 7.2e-8 and the
// piece at -0.2 stands for it.
struct RotationPieces {
    static constexpr int kPieces = 8, kTerms = 8;
    static constexpr double kFrom = -0.2, kWidth = 1.2 / kPieces;
    // coefficient[j][p]: the coefficient of t^j on piece p, t in [-1, 1] across the piece.
    alignas(32) float coefficient[kTerms][kPieces];

    RotationPieces() {
        constexpr double kSpread = 25 * std::numbers::pi / 180;
        const auto exact = [&](double x) {
            const double a = std::acos(std::clamp(x, -1.0, 1.0)) / kSpread;
            return std::sin(std::numbers::pi / 3 * std::exp(-a * a));
        };
        for (int p = 0; p < kPieces; ++p) {
            // Chebyshev coefficients from the values at the Chebyshev points, then the
            // powers of t that each Chebyshev polynomial holds (T(j) = 2 t T(j-1) - T(j-2)).
            double chebyshev[kTerms] = {};
            for (int k = 0; k < kTerms; ++k) {
                const double angle = std::numbers::pi * (k + 0.5) / kTerms;
                const double value = exact(kFrom + kWidth * (p + (std::cos(angle) + 1) / 2));
                for (int j = 0; j < kTerms; ++j)
                    chebyshev[j] += value * std::cos(j * angle) * (j == 0 ? 1.0 : 2.0) / kTerms;
            }
            double power[kTerms] = {}, before[kTerms] = {}, current[kTerms] = {1.0};
            for (int j = 0; j < kTerms; ++j) {
                for (int i = 0; i < kTerms; ++i)
                    power[i] += chebyshev[j] * current[i];
                double next[kTerms];
                for (int i = 0; i < kTerms; ++i)
                    next[i] = (i > 0 ? (j == 0 ? 1.0 : 2.0) * current[i - 1] : 0.0) - before[i];
                std::copy(current, current + kTerms, before);
                std::copy(next, next + kTerms, current);
            }
            for (int j = 0; j < kTerms; ++j)
                coefficient[j][p] = static_cast<float>(power[j]);
        }
    }
};

// Fitted on first use, so that a search made while the program starts finds it ready.
const RotationPieces& rotationPieces() {
    static const RotationPieces pieces;
    return pieces;
}

// The coefficient of t^j of each lane's piece.
template <int N>
KIRIMO_SIMD Lanes<N> pieceCoefficient(const RotationPieces& pieces, int j, const __m256i* piece) {
    const V table = _mm256_load_ps(pieces.coefficient[j]);
    Lanes<N> c;
#pragma GCC unroll 4
    for (int i = 0; i < N; ++i)
        c.v[i] = _mm256_permutevar8x32_ps(table, piece[i]);
    return c;
}

template <int N>
KIRIMO_SIMD Lanes<N> rotationSine(Lanes<N> x) {
    using W = Lanes<N>;
    constexpr int kLastPiece = RotationPieces::kPieces - 1;
    const W within = smaller(larger(x, splat(RotationPieces::kFrom)), splat(1.0));
    const W place = (within - splat(RotationPieces::kFrom)) * splat(1.0 / RotationPieces::kWidth);
    __m256i piece[N];
    W t;
#pragma GCC unroll 4
    for (int i = 0; i < N; ++i) {
        piece[i] = _mm256_min_epi32(_mm256_cvttps_epi32(place.v[i]), _mm256_set1_epi32(kLastPiece));
        t.v[i] = _mm256_fmsub_ps(_mm256_set1_ps(2.0f),
                                 _mm256_sub_ps(place.v[i], _mm256_cvtepi32_ps(piece[i])),
                                 _mm256_set1_ps(1.0f));
    }
    const RotationPieces& pieces = rotationPieces();
    W p = pieceCoefficient<N>(pieces, RotationPieces::kTerms - 1, piece);
#pragma GCC unroll 8
    for (int j = RotationPieces::kTerms - 2; j >= 0; --j)
        p = fused(p, t, pieceCoefficient<N>(pieces, j, piece));
    return p;
}

// The smallest of the eight lanes, in every lane.
KIRIMO_SIMD V smallestLane(V v) {
    v = _mm256_min_ps(v, _mm256_permute2f128_ps(v, v, 0x01));
    v = _mm256_min_ps(v, _mm256_permute_ps(v, 0x4E));
    return _mm256_min_ps(v, _mm256_permute_ps(v, 0xB1));
}

constexpr double kDegree = std::numbers::pi / 180.0;

// What the estimates need of the pixel's colour, in every lane.
struct PixelTerms {
    V l, c, aUnit, bUnit, grey;
};

KIRIMO_SIMD PixelTerms pixelTerms(const Lab& lab) {
    const double chroma = std::sqrt(lab.a * lab.a + lab.b * lab.b);
    const bool grey = chroma == 0.0;
    return {splat(lab.l), splat(chroma), splat(grey ? 0.0 : lab.a / chroma),
            splat(grey ? 0.0 : lab.b / chroma), splat(grey ? 1.0 : 0.0)};
}

// SL, the weight of the lightness difference, from the mean lightness.
template <int N>
KIRIMO_SIMD Lanes<N> lightnessWeight(Lanes<N> meanL) {
    const Lanes<N> fromMiddle = meanL - splat(50.0);
    const Lanes<N> square = fromMiddle * fromMiddle;
    return splat(1.0) + splat(0.015) * square / root(splat(20.0) + square);
}

// The colours' terms, eight to a vector.
struct ColourLanes {
    const float *lightness, *chroma, *aUnit, *bUnit, *grey;
};

// The estimates of the first 8 N colours; -1 where unreliable.
template <int N>
KIRIMO_SIMD Lanes<N> estimateLanes(const PixelTerms& pixel, const ColourLanes& colours) {
    using W = Lanes<N>;
    constexpr double k25To7 = 6103515625.0;
    const W l1 = pixel.l, c1 = pixel.c, a1Unit = pixel.aUnit, b1Unit = pixel.bUnit,
            grey1 = pixel.grey;
    const W l2 = W::load(colours.lightness), c2 = W::load(colours.chroma);
    const W a2Unit = W::load(colours.aUnit), b2Unit = W::load(colours.bUnit);
    const W grey2 = W::load(colours.grey);
    const W one = splat(1.0), half = splat(0.5);

    const W meanC = (c1 + c2) * half;
    const W meanC2 = meanC * meanC;
    const W meanC7 = meanC2 * meanC2 * meanC2 * meanC;
    const W stretch = one + half * (one - root(meanC7 / (meanC7 + splat(k25To7))));
    // (a', b) / C of each colour and its length; a colour without chroma gets length 1
    // and direction 0, so that its C' is 0 and it leaves the mean hue to the other.
    const W x1 = stretch * a1Unit, x2 = stretch * a2Unit;
    const W w1 = root(x1 * x1 + b1Unit * b1Unit + grey1);
    const W w2 = root(x2 * x2 + b2Unit * b2Unit + grey2);
    const W cp1 = c1 * w1, cp2 = c2 * w2;
    const W inverse1 = one / w1, inverse2 = one / w2;
    const W u1x = x1 * inverse1, u1y = b1Unit * inverse1;
    const W u2x = x2 * inverse2, u2y = b2Unit * inverse2;

    const W dx = u2x - u1x, dy = u2y - u1y;
    const W d2 = dx * dx + dy * dy;
    const W cross = u1x * u2y - u1y * u2x;
    const W turn = signOf(cross);
    const W deltaH = bitsXor(root(cp1 * cp2 * d2), turn);

    const W mx = u1x + u2x + grey1 * grey2, my = u1y + u2y;  // both grey: hue 0
    const W m2 = mx * mx + my * my;
    const W close = notLess(m2, d2);
    const W px = select(close, mx, bitsXor(dy, turn));
    const W py = select(close, my, bitsXor(dx, bitsXor(turn, splat(-0.0))));
    const W unreliable = bitsAndNot(close, less(magnitude(cross), splat(1e-5)));
    const W inverseP = one / root(select(close, m2, d2));
    const W ch = px * inverseP, sh = py * inverseP;  // cosine and sine of the mean hue

    const W c2h = ch * ch - sh * sh, s2h = splat(2.0) * sh * ch;
    const W c3h = ch * (splat(4.0) * ch * ch - splat(3.0));
    const W s3h = sh * (splat(3.0) - splat(4.0) * sh * sh);
    const W c4h = c2h * c2h - s2h * s2h, s4h = splat(2.0) * s2h * c2h;
    const W t =
        one -
        splat(0.17) * (ch * splat(std::cos(30 * kDegree)) + sh * splat(std::sin(30 * kDegree))) +
        splat(0.24) * c2h +
        splat(0.32) * (c3h * splat(std::cos(6 * kDegree)) - s3h * splat(std::sin(6 * kDegree))) -
        splat(0.20) * (c4h * splat(std::cos(63 * kDegree)) + s4h * splat(std::sin(63 * kDegree)));

    // The cosine of the mean hue's angle from 275 degrees.
    const W rc = ch * splat(std::cos(275 * kDegree)) + sh * splat(std::sin(275 * kDegree));

    const W meanCp = (cp1 + cp2) * half;
    const W meanCp2 = meanCp * meanCp;
    const W meanCp7 = meanCp2 * meanCp2 * meanCp2 * meanCp;
    const W rotation = splat(-2.0) * rotationSine(rc) * root(meanCp7 / (meanCp7 + splat(k25To7)));
    const W sl = lightnessWeight((l1 + l2) * half);
    const W sc = one + splat(0.045) * meanCp;
    const W shue = one + splat(0.015) * meanCp * t;

    const W scHue = sc * shue;
    const W inverse = one / (sl * scHue);
    const W l = (l2 - l1) * (scHue * inverse);
    const W c = (cp2 - cp1) * (sl * shue * inverse);
    const W h = deltaH * (sl * sc * inverse);
    const W e2 = l * l + c * c + h * h + rotation * c * h;
    const W e = root(larger(e2, splat(0.0)));
    return select(unreliable, splat(-1.0), e);
}

// The lowest and highest possible difference of each colour from its estimate: nothing
// bounded where the estimate is unreliable, and +infinity as the highest in lanes that
// hold no colour (`past` is +infinity there, else 0).
template <int N>
struct Bounds {
    Lanes<N> low, high;
};

template <int N>
KIRIMO_SIMD Bounds<N> boundsOf(Lanes<N> v, const float* past) {
    using W = Lanes<N>;
    const W infinity = splat(std::numeric_limits<double>::infinity());
    const W reliable = notLess(v, splat(0.0));
    const W margin = fused(splat(CieSearch::kMarginPart), v, splat(CieSearch::kMarginBase));
    return {select(reliable, v - margin, splat(0.0) - infinity),
            select(reliable, v + margin, infinity) + W::load(past)};
}

// The smallest of all lanes, in every lane.
template <int N>
KIRIMO_SIMD V lowestOf(const Lanes<N>& high) {
    V lowest = high.v[0];
    for (int i = 1; i < N; ++i)
        lowest = _mm256_min_ps(lowest, high.v[i]);
    return smallestLane(lowest);
}

// A bit for each lane whose lowest possible difference is not above `lowestHigh`.
template <int N>
KIRIMO_SIMD unsigned mayBeNearest(const Lanes<N>& low, V lowestHigh) {
    unsigned bits = 0;
    for (int i = 0; i < N; ++i) {
        const V mayBe = _mm256_cmp_ps(low.v[i], lowestHigh, _CMP_LE_OQ);
        bits |= static_cast<unsigned>(_mm256_movemask_ps(mayBe)) << (8 * i);
    }
    return bits;
}

template <int N>
KIRIMO_SIMD void store(const Lanes<N>& v, float* out) {
    for (int i = 0; i < N; ++i)
        _mm256_store_ps(out + 8 * i, v.v[i]);
}

// Stores the estimates of the first 8 N colours in out and returns, a bit for each, the
// colours that may be the nearest: those whose lowest possible difference is not above the
// lowest highest possible difference of a colour.
template <int N>
KIRIMO_SIMD unsigned estimateCandidates(const PixelTerms& pixel, const ColourLanes& colours,
                                        const float* past, float* out) {
    const Lanes<N> v = estimateLanes<N>(pixel, colours);
    const Bounds<N> b = boundsOf(v, past);
    store(v, out);
    return mayBeNearest(b.low, lowestOf(b.high));
}

// The same for more than sixteen colours, the last eight lanes holding those farthest from
// middle lightness. Their lightness term alone, |L2 - L1| / SL, never above the difference,
// usually rules them all out against the first sixteen; their estimates are then not made
// (nor stored).
KIRIMO_SIMD unsigned estimateCandidatesLastApart(const PixelTerms& pixel,
                                                 const ColourLanes& colours, const float* past,
                                                 float* out) {
    const Lanes<2> first = estimateLanes<2>(pixel, colours);
    const Bounds<2> firstBounds = boundsOf(first, past);
    store(first, out);
    V lowestHigh = lowestOf(firstBounds.high);

    using W = Lanes<1>;
    const W l1 = pixel.l, l2 = W::load(colours.lightness + 16);
    // Taken down far beyond the rounding of these few steps.
    const W lightness = magnitude(l2 - l1) / lightnessWeight((l1 + l2) * splat(0.5));
    const W lastLow = fused(lightness, splat(1.0 - 1e-5), splat(-1e-5)) + W::load(past + 16);
    if (mayBeNearest(lastLow, lowestHigh) == 0)
        return mayBeNearest(firstBounds.low, lowestHigh);

    const ColourLanes last{colours.lightness + 16, colours.chroma + 16, colours.aUnit + 16,
                           colours.bUnit + 16, colours.grey + 16};
    const Lanes<1> rest = estimateLanes<1>(pixel, last);
    const Bounds<1> restBounds = boundsOf(rest, past + 16);
    store(rest, out + 16);
    lowestHigh = _mm256_min_ps(lowestHigh, lowestOf(restBounds.high));
    return mayBeNearest(firstBounds.low, lowestHigh) | mayBeNearest(restBounds.low, lowestHigh)
                                                           << 16;
}

#undef KIRIMO_SIMD

}  // namespace

bool CieSearch::estimatesAvailable() {
    static const bool available = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return available;
}

__attribute__((target("avx2,fma"))) unsigned CieSearch::candidates(const Lab& lab, float* out,
                                                                   bool every) const {
    static_assert(kLanes == 3 * kGroup);
    const PixelTerms pixel = pixelTerms(lab);
    const ColourLanes colours{l_, c_, aUnit_, bUnit_, grey_};
    unsigned bits;
    if (count_ <= kGroup)
        bits = estimateCandidates<1>(pixel, colours, past_, out);
    else if (count_ <= 2 * kGroup)
        bits = estimateCandidates<2>(pixel, colours, past_, out);
    else if (every)
        bits = estimateCandidates<3>(pixel, colours, past_, out);
    else
        bits = estimateCandidatesLastApart(pixel, colours, past_, out);
    return bits & ((1u << count_) - 1);
}

void CieSearch::estimate(const Lab& lab, std::array<double, kLanes>& out) const {
    alignas(32) float e[kLanes];
    candidates(lab, e, true);
    for (int i = 0; i < count_; ++i)
        out[i] = e[i];
}

// Every colour's difference lies within its estimate's margin, so a colour whose lowest
// possible difference is above the highest possible difference of another cannot be the
// nearest; an unreliable estimate bounds nothing. What is left is computed exactly.
CieChoice CieSearch::estimated(int red, int green, int blue) const {
    if (!estimatesAvailable()) {
        const NearestColour n = pruned(red, green, blue);
        return {n.colour, n.distance > 0};
    }
    if (count_ == 0)
        return {1, ciede2000(srgbToLab(red, green, blue), labs_[1]) > 0};
    alignas(32) float e[kLanes];
    unsigned bits = candidates(srgbToLabNear(red, green, blue), e, false);
    if (bits == 0)
        bits = (1u << count_) - 1;  // only if every estimate failed
    // One colour left, surely apart from the pixel's colour: no difference to compute.
    if ((bits & (bits - 1)) == 0) {
        const int i = __builtin_ctz(bits);
        if (e[i] - estimateMargin(e[i]) > 0)
            return {lanes_[i], true};
    }
    const Lab lab = srgbToLab(red, green, blue);
    const double chroma = labChroma(lab);
    int best = -1;
    double bestDist = 0;
    for (; bits != 0; bits &= bits - 1) {
        const int n = lanes_[__builtin_ctz(bits)];
        const double d = ciede2000(lab, chroma, labs_[n], chromas_[n]);
        if (best < 0 || d < bestDist || (d == bestDist && n < best)) {
            best = n;
            bestDist = d;
        }
    }
    return {best, bestDist > 0};
}

#else

bool CieSearch::estimatesAvailable() {
    return false;
}

void CieSearch::estimate(const Lab&, std::array<double, kLanes>& out) const {
    out.fill(-1.0);
}

CieChoice CieSearch::estimated(int red, int green, int blue) const {
    const NearestColour n = pruned(red, green, blue);
    return {n.colour, n.distance > 0};
}

#endif

}  // namespace kirimo
