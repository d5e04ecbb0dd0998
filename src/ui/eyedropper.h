#pragma once
// The colour picker of the conversion settings: while it is switched on, pressing the
// mouse on the source picture hands the pixel's colour to it.

namespace kirimo::ui {

class EyedropperTarget {
  public:
    virtual ~EyedropperTarget() = default;
    virtual bool eyedropperActive() const = 0;
    // Red, green and blue of the picked pixel, each 0 to 255.
    virtual void pickColour(int red, int green, int blue) = 0;
};

}  // namespace kirimo::ui
