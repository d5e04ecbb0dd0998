#pragma once
// CIELAB (sRGB companding, D65 white) and the CIEDE2000 colour difference.

namespace kirimo {

struct Lab {
    double l;
    double a;
    double b;
};

// An sRGB colour with 8-bit components as CIELAB under the D65 white point.
Lab srgbToLab(int red, int green, int blue);

// The same with a quicker cube root: within 1e-12 of srgbToLab in every component, not
// always equal to it.
Lab srgbToLabNear(int red, int green, int blue);

// The CIEDE2000 difference of two CIELAB colours (kL = kC = kH = 1).
double ciede2000(const Lab& first, const Lab& second);

// The chroma of a CIELAB colour, hypot(a, b).
double labChroma(const Lab& colour);

// The same difference with both chromas given (labChroma of each), for callers that
// compare one colour with many; the result is identical.
double ciede2000(const Lab& first, double firstChroma, const Lab& second, double secondChroma);

// Values never above the computed ciede2000(first, second), far cheaper to compute: from
// the lightness alone, and from lightness, chroma and hue (chromas as labChroma gives them).
double ciede2000LightnessBound(const Lab& first, const Lab& second);
double ciede2000LowerBound(const Lab& first, double firstChroma, const Lab& second,
                           double secondChroma);

}  // namespace kirimo
