#include "imaging/cielab.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace kirimo {

namespace {

constexpr double kPi = std::numbers::pi;

// sRGB component 0..255 to linear light 0..1.
const std::array<double, 256>& linearTable() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            t[i] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return t;
    }();
    return table;
}

double degrees(double radians) {
    return radians * 180.0 / kPi;
}
double radians(double degrees) {
    return degrees * kPi / 180.0;
}

// The conversion with a given cube root.
template <typename CubeRoot>
Lab toLab(int red, int green, int blue, CubeRoot cubeRoot) {
    const auto& linear = linearTable();
    const double r = linear[red & 0xFF];
    const double g = linear[green & 0xFF];
    const double b = linear[blue & 0xFF];
    // sRGB (D65) to XYZ, then relative to the D65 white.
    const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
    const double y = (0.2126729 * r + 0.7151522 * g + 0.0721750 * b) / 1.00000;
    const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
    auto f = [&](double t) {
        constexpr double delta = 6.0 / 29.0;
        return t > delta * delta * delta ? cubeRoot(t) : t / (3 * delta * delta) + 4.0 / 29.0;
    };
    const double fx = f(x);
    const double fy = f(y);
    const double fz = f(z);
    return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

// A cube root of t in [0.008, 2): a first guess on the secant through the ends of the
// 1/128 of an octave that holds t, within 2e-6 (the cube root's curvature over the
// piece), then one step of Halley's iteration, which triples the correct digits. Outside
// that range, a guess from the bits (a third of the exponent, within a few per cent) and
// three steps.
struct CubeRootPieces {
    static constexpr int kFirstExponent = -7, kOctaves = 8, kPerOctave = 128;
    static constexpr int kFractionBits = 7;  // the fraction's top bits that pick a piece
    static constexpr int kFractionShift = 52 - kFractionBits;
    static_assert(kPerOctave == 1 << kFractionBits);
    std::array<double, kOctaves * kPerOctave> start{}, slope{};

    CubeRootPieces() {
        for (int i = 0; i < kOctaves * kPerOctave; ++i) {
            const double from = std::ldexp(1.0 + (i % kPerOctave) / double{kPerOctave},
                                           kFirstExponent + i / kPerOctave);
            const double width = std::ldexp(1.0 / kPerOctave, kFirstExponent + i / kPerOctave);
            start[i] = std::cbrt(from);
            slope[i] = (std::cbrt(from + width) - start[i]) / width;
        }
    }
};

double halleyStep(double y, double t) {
    const double y3 = y * y * y;
    return y * (y3 + 2.0 * t) / (2.0 * y3 + t);
}

// Built once when the program starts, so that the cube root needs no check of its own.
const CubeRootPieces kCubeRootPieces;

[[gnu::noinline]] double cubeRootFromBits(double t) {
    double y = std::bit_cast<double>(std::bit_cast<uint64_t>(t) / 3 + 0x2A9F7893782DA1CEull);
    for (int i = 0; i < 3; ++i)
        y = halleyStep(y, t);
    return y;
}

double quickCubeRoot(double t) {
    const uint64_t bits = std::bit_cast<uint64_t>(t);
    const int octave = static_cast<int>(bits >> 52) - 1023 - CubeRootPieces::kFirstExponent;
    if (octave < 0 || octave >= CubeRootPieces::kOctaves) [[unlikely]]
        return cubeRootFromBits(t);
    const int i =
        octave * CubeRootPieces::kPerOctave +
        static_cast<int>(bits >> CubeRootPieces::kFractionShift & (CubeRootPieces::kPerOctave - 1));
    const double from = std::bit_cast<double>(bits >> CubeRootPieces::kFractionShift
                                                          << CubeRootPieces::kFractionShift);
    return halleyStep(kCubeRootPieces.start[i] + kCubeRootPieces.slope[i] * (t - from), t);
}

}  // namespace

Lab srgbToLab(int red, int green, int blue) {
    return toLab(red, green, blue, [](double t) { return std::cbrt(t); });
}

Lab srgbToLabNear(int red, int green, int blue) {
    return toLab(red, green, blue, quickCubeRoot);
}

double labChroma(const Lab& colour) {
    return std::hypot(colour.a, colour.b);
}

double ciede2000(const Lab& first, const Lab& second) {
    return ciede2000(first, labChroma(first), second, labChroma(second));
}

namespace {

double lightnessWeight(double meanL) {
    const double meanL50 = (meanL - 50.0) * (meanL - 50.0);
    return 1.0 + 0.015 * meanL50 / std::sqrt(20.0 + meanL50);
}

}  // namespace

double ciede2000LightnessBound(const Lab& first, const Lab& second) {
    // The lightness term alone (see below), with the same margins.
    const double l = (second.l - first.l) / lightnessWeight((first.l + second.l) / 2.0);
    return std::max(0.0, std::fabs(l) * (1.0 - 1e-9) - 1e-9);
}

double ciede2000LowerBound(const Lab& first, double c1, const Lab& second, double c2) {
    // The difference is the root of l^2 + c^2 + h^2 + rt c h with |rt| <= 2 sin 60 degrees,
    // so it is at least the root of l^2 + 0.13 (c^2 + h^2). The hue difference squared is
    // 2 (C1' C2' - a1' a2' - b1 b2) without any angle, and the hue weight is at most
    // 1 + 0.015 C' 1.93 (every cosine at its worst). The margins cover the rounding of
    // these terms and of the computed difference many times over.
    const double l = (second.l - first.l) / lightnessWeight((first.l + second.l) / 2.0);
    const double meanC = (c1 + c2) / 2.0;
    const double meanC2 = meanC * meanC;
    const double meanC7 = meanC2 * meanC2 * meanC2 * meanC;
    constexpr double k25To7 = 6103515625.0;
    const double g = 0.5 * (1.0 - std::sqrt(meanC7 / (meanC7 + k25To7)));
    const double a1 = (1.0 + g) * first.a;
    const double a2 = (1.0 + g) * second.a;
    const double cp1 = std::sqrt(a1 * a1 + first.b * first.b);
    const double cp2 = std::sqrt(a2 * a2 + second.b * second.b);
    const double meanCp = (cp1 + cp2) / 2.0;
    const double c = (cp2 - cp1) / (1.0 + 0.045 * meanCp);
    // The subtraction cancels for equal hues; its rounding (a few units of the last place of
    // the terms) is taken off, many times over, so that equal colours get a bound of 0.
    const double hueTerms = cp1 * cp2 + std::fabs(a1 * a2) + std::fabs(first.b * second.b);
    const double hue2 =
        std::max(0.0, 2.0 * (cp1 * cp2 - a1 * a2 - first.b * second.b) - 1e-14 * hueTerms);
    const double shMax = 1.0 + 0.015 * meanCp * 1.94;
    const double bound2 = l * l + 0.13 * (c * c + hue2 / (shMax * shMax));
    return std::max(0.0, std::sqrt(bound2) * (1.0 - 1e-9) - 1e-9);
}

double ciede2000(const Lab& first, double c1, const Lab& second, double c2) {
    const double meanC = (c1 + c2) / 2.0;
    const double meanC7 = std::pow(meanC, 7.0);
    const double g = 0.5 * (1.0 - std::sqrt(meanC7 / (meanC7 + std::pow(25.0, 7.0))));
    const double a1 = (1.0 + g) * first.a;
    const double a2 = (1.0 + g) * second.a;
    const double cp1 = std::hypot(a1, first.b);
    const double cp2 = std::hypot(a2, second.b);

    auto hue = [](double b, double a) {
        if (b == 0.0 && a == 0.0)
            return 0.0;
        double h = degrees(std::atan2(b, a));
        return h < 0.0 ? h + 360.0 : h;
    };
    const double hp1 = hue(first.b, a1);
    const double hp2 = hue(second.b, a2);

    const double deltaL = second.l - first.l;
    const double deltaC = cp2 - cp1;
    double deltaHue = 0.0;
    if (cp1 * cp2 != 0.0) {
        deltaHue = hp2 - hp1;
        if (deltaHue > 180.0)
            deltaHue -= 360.0;
        if (deltaHue < -180.0)
            deltaHue += 360.0;
    }
    const double deltaH = 2.0 * std::sqrt(cp1 * cp2) * std::sin(radians(deltaHue / 2.0));

    const double meanL = (first.l + second.l) / 2.0;
    const double meanCp = (cp1 + cp2) / 2.0;
    double meanHue = hp1 + hp2;
    if (cp1 * cp2 != 0.0) {
        if (std::fabs(hp1 - hp2) <= 180.0) {
            meanHue = (hp1 + hp2) / 2.0;
        } else if (hp1 + hp2 < 360.0) {
            meanHue = (hp1 + hp2 + 360.0) / 2.0;
        } else {
            meanHue = (hp1 + hp2 - 360.0) / 2.0;
        }
    }
    const double t = 1.0 - 0.17 * std::cos(radians(meanHue - 30.0)) +
                     0.24 * std::cos(radians(2.0 * meanHue)) +
                     0.32 * std::cos(radians(3.0 * meanHue + 6.0)) -
                     0.20 * std::cos(radians(4.0 * meanHue - 63.0));
    const double deltaTheta = 30.0 * std::exp(-std::pow((meanHue - 275.0) / 25.0, 2.0));
    const double meanCp7 = std::pow(meanCp, 7.0);
    const double rc = 2.0 * std::sqrt(meanCp7 / (meanCp7 + std::pow(25.0, 7.0)));
    const double sl = lightnessWeight(meanL);
    const double sc = 1.0 + 0.045 * meanCp;
    const double sh = 1.0 + 0.015 * meanCp * t;
    const double rt = -std::sin(radians(2.0 * deltaTheta)) * rc;

    const double l = deltaL / sl;
    const double c = deltaC / sc;
    const double h = deltaH / sh;
    return std::sqrt(l * l + c * c + h * h + rt * c * h);
}

}  // namespace kirimo
