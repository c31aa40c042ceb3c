// The colours a button picture is drawn in, for the system's colour theme. A picture's face grey
// (192, 192, 192) is its background; everything else is its shape.
#pragma once

#include <cstdint>

namespace velt {

// Colours as 0xRRGGBB.
inline constexpr std::uint32_t kPictureFace = 0xC0C0C0;
inline constexpr std::uint32_t kWhite = 0xFFFFFF;

struct PictureTheme {
    bool highContrast = false;
    std::uint32_t face = kPictureFace; // the buttons' colour
    std::uint32_t text = 0;            // the buttons' text colour
    std::uint32_t grayText = 0;        // the colour of disabled text
};

// The colour one pixel of a picture is drawn in. Normally the picture keeps its colours on the
// button's face, and a disabled one is given on white, which the system's embossed drawing of a
// disabled picture leaves out. Under a high-contrast theme the shape takes the theme's text
// colour, or its grey text colour when disabled, on the buttons' colour.
std::uint32_t PictureColour(std::uint32_t pixel, bool enabled, const PictureTheme& theme);

} // namespace velt
