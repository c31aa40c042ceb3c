// Picture buttons disabled under a high contrast theme, painted by hand: the system would emboss
// the picture in its own colours, not draw it in the theme's grey text colour.
#pragma once

#include <windows.h>

namespace velt {

// From now on the button paints itself so whenever it is disabled under a high contrast theme
// (a window subclass, removed with the window; installing it again changes nothing).
void PaintDisabledPictureThemed(HWND button);

} // namespace velt
