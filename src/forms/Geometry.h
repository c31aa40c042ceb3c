// Positions and sizes of windows and controls, in client pixels at 96 DPI, and their scaling to
// another DPI.
#pragma once

namespace velt {

// The DPI every layout is given at.
inline constexpr int kLayoutDpi = 96;

struct Point {
    int x = 0;
    int y = 0;
};

// A control's place inside its parent's client area. A label may leave width and height at 0:
// it then takes the size of its text.
struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A length or coordinate in 96-DPI pixels at dpi, rounded to the nearest pixel (halves away from
// zero), as MulDiv rounds.
constexpr int ScaleToDpi(int pixels, int dpi) {
    const long long scaled = static_cast<long long>(pixels) * dpi;
    const long long half = kLayoutDpi / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kLayoutDpi
                                        : -((-scaled + half) / kLayoutDpi));
}

// Bounds at dpi: the edges are scaled, not the sizes, so controls that touch, nest or keep apart
// at 96 DPI still do at every scale (a size may then differ by one pixel from its own scaling).
constexpr Bounds ScaleToDpi(const Bounds& bounds, int dpi) {
    const int left = ScaleToDpi(bounds.left, dpi);
    const int top = ScaleToDpi(bounds.top, dpi);
    return {left, top, ScaleToDpi(bounds.left + bounds.width, dpi) - left,
            ScaleToDpi(bounds.top + bounds.height, dpi) - top};
}

} // namespace velt
