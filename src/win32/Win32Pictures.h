// The program's pictures at the size a DPI asks for: button pictures drawn for it (at 96 DPI the
// picture itself, above it the twice-sized drawing scaled down smoothly, never a small picture
// stretched into a blur) and icons of the size asked for.
#pragma once

#include <windows.h>

#include <string>

namespace velt {

// A button picture on a background: the picture's face grey (192, 192, 192) becomes background.
// A disabled picture is asked for on white, which the system's embossed drawing leaves out; the
// scaled drawing's nearly white edges are made white so that the embossing stays as thin as at
// 96 DPI. nullptr when the resource is missing.
HBITMAP LoadButtonPicture(HINSTANCE instance, const std::string& name, COLORREF background,
                          int dpi);

// An icon of the resources at size x size pixels (the caller destroys it). Where the system
// cannot read the image of that size (Windows XP and the PNG images), the 32 or else the 16 pixel
// image is taken instead.
HICON LoadIconSized(HINSTANCE instance, const std::string& name, int size);

} // namespace velt
