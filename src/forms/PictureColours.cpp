#include "forms/PictureColours.h"

namespace velt {

std::uint32_t PictureColour(std::uint32_t pixel, bool enabled, const PictureTheme& theme) {
    if (pixel == kPictureFace) {
        return enabled || theme.highContrast ? theme.face : kWhite;
    }
    if (!theme.highContrast) {
        return pixel;
    }
    return enabled ? theme.text : theme.grayText;
}

} // namespace velt
