#pragma once
// The nearest usable colour by the CIEDE2000 difference, found three ways that always agree:
// a straight scan of every usable colour, a scan that skips colours by cheap lower bounds,
// and (with AVX2 and FMA) a scan that estimates the differences eight at once (past
// sixteen colours, only where lightness alone does not rule the rest out) and computes
// exactly only the colours the estimates cannot rule out.

#include <array>

#include "imaging/cielab.h"
#include "imaging/conversion.h"
#include "imaging/palette.h"

namespace kirimo {

// A search's answer without the difference itself: whether it is above 0 is all the
// diffusion needs.
struct CieChoice {
    int colour;
    bool positive;
};

class CieSearch {
  public:
    CieSearch(const Palette& palette, const std::array<bool, kColourCount>& usable);

    // Every usable colour in increasing order with a strict comparison, so the lowest
    // ColourNumber among equal differences; colour 1 and its difference when none is usable.
    NearestColour plain(int red, int green, int blue) const;

    // The same answer, colours tried nearest first by plain Lab distance and skipped when a
    // lower bound of their difference is above the best difference so far.
    NearestColour pruned(int red, int green, int blue) const;

    // The same colour, from estimates where the processor has AVX2 and FMA
    // (estimatesAvailable), else from the pruned scan.
    CieChoice estimated(int red, int green, int blue) const;
    static bool estimatesAvailable();

    // The estimated difference of a colour to every usable colour (usableCount of them, in
    // the order laneColour gives; needs estimatesAvailable); a colour whose estimate is not
    // to be relied on (hues almost opposite, where the difference jumps) gets a negative
    // value.
    static constexpr int kGroup = 8;  // estimates made at once
    static constexpr int kLanes = 24;
    void estimate(const Lab& lab, std::array<double, kLanes>& out) const;
    int usableCount() const { return count_; }
    int laneColour(int i) const { return lanes_[i]; }

    // How far an estimate may be from the computed difference, at most: far more than the
    // estimate's error, so that the choice never depends on its last digits.
    static constexpr double kMarginBase = 1e-3, kMarginPart = 1e-3;
    static double estimateMargin(double estimate) { return kMarginBase + kMarginPart * estimate; }

  private:
    // The estimates of the usable colours into out (kLanes of them) and, a bit for each
    // lane, the colours they leave as possibly the nearest. Without `every`, lanes past the
    // sixteenth that are ruled out before their estimates are made are left unwritten.
    unsigned candidates(const Lab& lab, float* out, bool every) const;

    std::array<Lab, kColourCount> labs_{};
    std::array<double, kColourCount> chromas_{};
    int order_[kColourCount]{};  // the usable colours, in increasing order
    int lanes_[kColourCount]{};  // the same, in the estimates' order
    int count_ = 0;
    // The usable colours for the estimates in the order of lanes_, eight to a vector, in single
    // precision: lightness, chroma, the direction (a, b) / chroma, 1 for a colour without
    // chroma (a = b = 0) else 0, and +infinity in the lanes past the last colour else 0.
    alignas(32) float l_[kLanes]{};
    alignas(32) float c_[kLanes]{};
    alignas(32) float aUnit_[kLanes]{};
    alignas(32) float bUnit_[kLanes]{};
    alignas(32) float grey_[kLanes]{};
    alignas(32) float past_[kLanes]{};
};

}  // namespace kirimo
