// Positions and sizes of windows and controls, in client pixels at 96 DPI.
#pragma once

namespace velt {

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

} // namespace velt
