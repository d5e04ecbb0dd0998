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
    // The estimates' places: by lightness, so that each group of four spans few lightnesses.
    for (int i = 0; i < count_; ++i) {
        int j = i;
        for (; j > 0 && labs_[lane_[j - 1]].l > labs_[order_[i]].l; --j)
            lane_[j] = lane_[j - 1];
        lane_[j] = order_[i];
    }
    for (int i = 0; i < kLanes; ++i) {
        const int n = i < count_ ? lane_[i] : 0;
        const bool unused = count_ == 0 || i >= count_;
        const bool grey = unused || chromas_[n] == 0.0;
        l_[i] = unused ? 0.0 : labs_[n].l;
        c_[i] = unused ? 0.0 : chromas_[n];
        aUnit_[i] = grey ? 0.0 : labs_[n].a / chromas_[n];
        bUnit_[i] = grey ? 0.0 : labs_[n].b / chromas_[n];
        grey_[i] = grey ? 1.0 : 0.0;
    }
    for (int g = 0; 4 * g < count_; ++g) {
        const int last = std::min(count_, 4 * g + 4) - 1;
        lightMin_[g] = l_[4 * g];
        lightMax_[g] = l_[last];
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

// The estimate follows the difference's definition step by step in double precision, with
// three changes that make it cheap and four colours at a time:
// - hue angles are not formed: with u1, u2 the unit vectors of (a', b) of the two colours,
//   the hue difference term is sqrt(C1' C2') |u2 - u1| with the sign of u1 x u2, and the
//   mean hue is the direction of u1 + u2 (the bisector of the shorter arc, which is what
//   the definition's case analysis picks); its cosines follow from that direction;
// - the hue rotation's angle is measured from 275 degrees by a polynomial arctangent
//   (error below 1.2e-8 on [0, 1]), the exponential is a Taylor polynomial raised to the
//   64th power and the sine a Taylor polynomial; together below 1e-6 in the rotation term;
// - where the mean hue passes 0 degrees the definition's rotation angle jumps from
//   30 exp(-11.56) degrees to almost 0; measured from 275 degrees the jump moves to 95
//   degrees, where it is as small, so the rotation term differs by at most 2e-5 there.
// The difference is the root of a quadratic form in (l, c, h) whose cross term has a
// factor at most 2 sin 60 degrees, so a change of d in the rotation term changes the
// root by at most about 2 d times the root: the estimate is within 5e-5 relative (plus
// rounding, far below 1e-9) of the computed difference, twenty times inside
// estimateMargin. Where u1 + u2 almost vanishes (hues within 1e-4 radians of opposite)
// the shorter arc is not certain and the estimate is marked unreliable.
#if defined(__x86_64__)

namespace {

using V = __m256d;

#define KIRIMO_AVX2 __attribute__((target("avx2"), always_inline)) inline

KIRIMO_AVX2 V splat(double v) {
    return _mm256_set1_pd(v);
}
KIRIMO_AVX2 V root(V v) {
    return _mm256_sqrt_pd(v);
}
KIRIMO_AVX2 V smaller(V a, V b) {
    return _mm256_min_pd(a, b);
}
// Lanes of onTrue where the mask is set, else of onFalse.
KIRIMO_AVX2 V select(V mask, V onTrue, V onFalse) {
    return _mm256_blendv_pd(onFalse, onTrue, mask);
}

// atan(y / x) for 0 <= y, x not both 0, in [0, pi].
KIRIMO_AVX2 V arcTangent(V y, V x) {
    const V ax = _mm256_andnot_pd(splat(-0.0), x);
    const V steep = _mm256_cmp_pd(y, ax, _CMP_GT_OQ);
    const V t = select(steep, ax, y) / select(steep, y, ax);
    const V s = t * t;
    V p = splat(0.002834064299313468);
    p = p * s + splat(-0.016005030504602474);
    p = p * s + splat(0.042587607465986825);
    p = p * s + splat(-0.07495445443168593);
    p = p * s + splat(0.10636754097864427);
    p = p * s + splat(-0.1420257051154517);
    p = p * s + splat(0.19992483578459433);
    p = p * s + splat(-0.3333306678068699);
    p = p * s + splat(0.9999999842426349);
    V a = t * p;
    a = select(steep, splat(std::numbers::pi / 2) - a, a);
    return select(_mm256_cmp_pd(x, splat(0.0), _CMP_LT_OQ), splat(std::numbers::pi) - a, a);
}

// exp(-y) for 0 <= y: (exp(-y / 64))^64 with y capped at 40 (exp(-40) is 4e-18).
KIRIMO_AVX2 V expMinus(V y) {
    const V z = smaller(y, splat(40.0)) * splat(-1.0 / 64.0);
    V p = splat(1.0 / 362880.0);
    p = p * z + splat(1.0 / 40320.0);
    p = p * z + splat(1.0 / 5040.0);
    p = p * z + splat(1.0 / 720.0);
    p = p * z + splat(1.0 / 120.0);
    p = p * z + splat(1.0 / 24.0);
    p = p * z + splat(1.0 / 6.0);
    p = p * z + splat(0.5);
    p = p * z + splat(1.0);
    p = p * z + splat(1.0);
    p = p * p;
    p = p * p;
    p = p * p;
    p = p * p;
    p = p * p;
    return p * p;
}

// sin(x) for 0 <= x <= pi / 3.
KIRIMO_AVX2 V sine(V x) {
    const V s = x * x;
    V p = splat(-1.0 / 39916800.0);
    p = p * s + splat(1.0 / 362880.0);
    p = p * s + splat(-1.0 / 5040.0);
    p = p * s + splat(1.0 / 120.0);
    p = p * s + splat(-1.0 / 6.0);
    p = p * s + splat(1.0);
    return x * p;
}

#undef KIRIMO_AVX2

constexpr double kDegree = std::numbers::pi / 180.0;

}  // namespace

bool CieSearch::estimatesAvailable() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

namespace {

// What the estimates need of the pixel's colour, in every lane.
struct PixelTerms {
    V l, c, aUnit, bUnit, grey;
};

__attribute__((target("avx2"))) PixelTerms pixelTerms(const Lab& lab) {
    const double chroma = std::sqrt(lab.a * lab.a + lab.b * lab.b);
    const bool grey = chroma == 0.0;
    return {splat(lab.l), splat(chroma), splat(grey ? 0.0 : lab.a / chroma),
            splat(grey ? 0.0 : lab.b / chroma), splat(grey ? 1.0 : 0.0)};
}

// The estimates for the four colours from place i of the arrays; -1 where unreliable.
__attribute__((target("avx2"))) V estimateFour(const PixelTerms& pixel, const double* lightness,
                                               const double* chroma, const double* aUnit,
                                               const double* bUnit, const double* grey) {
    constexpr double k25To7 = 6103515625.0;
    const V l1 = pixel.l, c1 = pixel.c, a1Unit = pixel.aUnit, b1Unit = pixel.bUnit,
            grey1 = pixel.grey;
    const V l2 = _mm256_load_pd(lightness), c2 = _mm256_load_pd(chroma);
    const V a2Unit = _mm256_load_pd(aUnit), b2Unit = _mm256_load_pd(bUnit);
    const V grey2 = _mm256_load_pd(grey);
    const V one = splat(1.0), half = splat(0.5);

    const V meanC = (c1 + c2) * half;
    const V meanC2 = meanC * meanC;
    const V meanC7 = meanC2 * meanC2 * meanC2 * meanC;
    const V stretch = one + half * (one - root(meanC7 / (meanC7 + splat(k25To7))));
    // (a', b) / C of each colour and its length; a colour without chroma gets length 1
    // and direction 0, so that its C' is 0 and it leaves the mean hue to the other.
    const V x1 = stretch * a1Unit, x2 = stretch * a2Unit;
    const V w1 = root(x1 * x1 + b1Unit * b1Unit + grey1);
    const V w2 = root(x2 * x2 + b2Unit * b2Unit + grey2);
    const V cp1 = c1 * w1, cp2 = c2 * w2;
    const V inverse1 = one / w1, inverse2 = one / w2;
    const V u1x = x1 * inverse1, u1y = b1Unit * inverse1;
    const V u2x = x2 * inverse2, u2y = b2Unit * inverse2;

    const V dx = u2x - u1x, dy = u2y - u1y;
    const V cross = u1x * u2y - u1y * u2x;
    const V hueSize = root(cp1 * cp2 * (dx * dx + dy * dy));
    const V deltaH = _mm256_xor_pd(hueSize, _mm256_and_pd(cross, splat(-0.0)));

    const V mx = u1x + u2x + grey1 * grey2, my = u1y + u2y;  // both grey: hue 0
    const V m2 = mx * mx + my * my;
    const V unreliable = _mm256_cmp_pd(m2, splat(1e-8), _CMP_LT_OQ);
    const V m = root(m2);
    const V inverseM = one / m;
    const V ch = mx * inverseM, sh = my * inverseM;  // cosine and sine of the mean hue

    const V c2h = ch * ch - sh * sh, s2h = splat(2.0) * sh * ch;
    const V c3h = ch * (splat(4.0) * ch * ch - splat(3.0));
    const V s3h = sh * (splat(3.0) - splat(4.0) * sh * sh);
    const V c4h = c2h * c2h - s2h * s2h, s4h = splat(2.0) * s2h * c2h;
    const V t =
        one -
        splat(0.17) * (ch * splat(std::cos(30 * kDegree)) + sh * splat(std::sin(30 * kDegree))) +
        splat(0.24) * c2h +
        splat(0.32) * (c3h * splat(std::cos(6 * kDegree)) - s3h * splat(std::sin(6 * kDegree))) -
        splat(0.20) * (c4h * splat(std::cos(63 * kDegree)) + s4h * splat(std::sin(63 * kDegree)));

    // The mean hue's angle from 275 degrees, in units of 25 degrees.
    const V rc = ch * splat(std::cos(275 * kDegree)) + sh * splat(std::sin(275 * kDegree));
    const V rs = sh * splat(std::cos(275 * kDegree)) - ch * splat(std::sin(275 * kDegree));
    const V angle = arcTangent(_mm256_andnot_pd(splat(-0.0), rs), rc) * splat(1.0 / (25 * kDegree));
    const V twoTheta = splat(std::numbers::pi / 3) * expMinus(angle * angle);

    const V meanCp = (cp1 + cp2) * half;
    const V meanCp2 = meanCp * meanCp;
    const V meanCp7 = meanCp2 * meanCp2 * meanCp2 * meanCp;
    const V rotation = splat(-2.0) * sine(twoTheta) * root(meanCp7 / (meanCp7 + splat(k25To7)));
    const V meanL = (l1 + l2) * half;
    const V meanL50 = (meanL - splat(50.0)) * (meanL - splat(50.0));
    const V sl = one + splat(0.015) * meanL50 / root(splat(20.0) + meanL50);
    const V sc = one + splat(0.045) * meanCp;
    const V shue = one + splat(0.015) * meanCp * t;

    const V scHue = sc * shue;
    const V inverse = one / (sl * scHue);
    const V l = (l2 - l1) * (scHue * inverse);
    const V c = (cp2 - cp1) * (sl * shue * inverse);
    const V h = deltaH * (sl * sc * inverse);
    const V e2 = l * l + c * c + h * h + rotation * c * h;
    const V e = root(_mm256_max_pd(e2, splat(0.0)));
    return select(unreliable, splat(-1.0), e);
}

}  // namespace

__attribute__((target("avx2"))) void CieSearch::estimate(const Lab& lab,
                                                         std::array<double, kLanes>& out) const {
    const PixelTerms pixel = pixelTerms(lab);
    for (int i = 0; i < count_; i += 4) {
        _mm256_store_pd(out.data() + i,
                        estimateFour(pixel, l_ + i, c_ + i, aUnit_ + i, bUnit_ + i, grey_ + i));
    }
}

// Every colour's difference lies within its estimate's margin, so a colour whose lowest
// possible difference is above the highest possible difference of another cannot be the
// nearest; an unreliable estimate bounds nothing. The difference is also at least the
// lightness difference over the lightness weight (its cross term never takes more than
// the chroma and hue terms give), so a group of colours whose lightness is far enough from
// the pixel's is ruled out without estimates: the groups are tried from the nearest
// lightness on.
CieChoice CieSearch::estimated(int red, int green, int blue) const {
    if (!estimatesAvailable()) {
        const NearestColour n = pruned(red, green, blue);
        return {n.colour, n.distance > 0};
    }
    return estimatedWide(red, green, blue);
}

__attribute__((target("avx2"))) CieChoice CieSearch::estimatedWide(int red, int green,
                                                                   int blue) const {
    if (count_ == 0)
        return {1, ciede2000(srgbToLab(red, green, blue), labs_[1]) > 0};
    const Lab near = srgbToLabNear(red, green, blue);
    const PixelTerms pixel = pixelTerms(near);
    const int groups = (count_ + 3) / 4;
    int tryOrder[kLanes / 4];
    double bound[kLanes / 4];
    for (int g = 0; g < groups; ++g) {
        // The lightness weight grows with the mean lightness's distance from 50.
        const double apart = std::max({0.0, lightMin_[g] - near.l, near.l - lightMax_[g]});
        const double farMean = std::max(std::fabs((near.l + lightMin_[g]) / 2 - 50.0),
                                        std::fabs((near.l + lightMax_[g]) / 2 - 50.0));
        const double farMean2 = farMean * farMean;
        const double weight = 1.0 + 0.015 * farMean2 / std::sqrt(20.0 + farMean2);
        bound[g] = apart / weight * (1.0 - 1e-12) - 1e-9;
        int j = g;
        for (; j > 0 && bound[tryOrder[j - 1]] > bound[g]; --j)
            tryOrder[j] = tryOrder[j - 1];
        tryOrder[j] = g;
    }
    const V infinity = splat(std::numeric_limits<double>::infinity());
    alignas(32) std::array<double, kLanes> e;
    V low[kLanes / 4];
    V lowestHigh = infinity;
    double lowest = std::numeric_limits<double>::infinity();
    for (int k = 0; k < groups; ++k) {
        const int g = tryOrder[k];
        if (bound[g] > lowest) {
            low[g] = infinity;
            continue;
        }
        const int i = 4 * g;
        const V v = estimateFour(pixel, l_ + i, c_ + i, aUnit_ + i, bUnit_ + i, grey_ + i);
        _mm256_store_pd(e.data() + i, v);
        const V reliable = _mm256_cmp_pd(v, splat(0.0), _CMP_GE_OQ);
        const V margin = splat(kMarginBase) + splat(kMarginPart) * v;
        low[g] = select(reliable, v - margin, -infinity);
        lowestHigh = smaller(lowestHigh, select(reliable, v + margin, infinity));
        lowestHigh = smaller(lowestHigh, _mm256_permute2f128_pd(lowestHigh, lowestHigh, 0x01));
        lowestHigh = smaller(lowestHigh, _mm256_permute_pd(lowestHigh, 0x5));
        lowest = _mm256_cvtsd_f64(lowestHigh);
    }
    unsigned bits = 0;
    for (int g = 0; g < groups; ++g) {
        const unsigned mask = static_cast<unsigned>(
            _mm256_movemask_pd(_mm256_cmp_pd(low[g], lowestHigh, _CMP_LE_OQ)));
        bits |= mask << (4 * g);
    }
    bits &= (1u << count_) - 1;
    if (bits == 0)
        bits = (1u << count_) - 1;  // only if every estimate failed
    // One colour left, surely apart from the pixel's colour: no difference to compute.
    if ((bits & (bits - 1)) == 0) {
        const int i = __builtin_ctz(bits);
        if (e[i] - estimateMargin(e[i]) > 0)
            return {lane_[i], true};
    }
    const Lab lab = srgbToLab(red, green, blue);
    const double chroma = labChroma(lab);
    int best = -1;
    double bestDist = 0;
    for (; bits != 0; bits &= bits - 1) {
        const int n = lane_[__builtin_ctz(bits)];
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
