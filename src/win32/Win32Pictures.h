// The program's pictures at the size a DPI asks for: button pictures drawn for it (at 96 DPI the
// picture itself, above it the twice-sized drawing scaled down smoothly, never a small picture
// stretched into a blur) and icons of the size asked for.
#pragma once

#include "forms/PictureColours.h"

#include <windows.h>

#include <string>

namespace velt {

// A button picture in the colours of the theme (PictureColours.h), enabled or disabled. A
// disabled picture's scaled drawing has its nearly white edges made white, so that the system's
// embossing stays as thin as at 96 DPI. nullptr when the resource is missing.
HBITMAP LoadButtonPicture(HINSTANCE instance, const std::string& name, bool enabled,
                          const PictureTheme& theme, int dpi);
// The system's colours for the button pictures now, high contrast or not.
PictureTheme CurrentPictureTheme();

// An icon of the resources at size x size pixels (the caller destroys it). Where the system
// cannot read the image of that size (Windows XP and the PNG images), the 32 or else the 16 pixel
// image is taken instead.
HICON LoadIconSized(HINSTANCE instance, const std::string& name, int size);

} // namespace velt
