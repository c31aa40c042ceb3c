// The pictures of the picture buttons, per button window. Each button's picture is kept twice:
// on the face colour (enabled) and on white, which is what the system's drawing of a disabled
// picture leaves out; each is made when the button first shows it, and freed with the button.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace velt {

class Win32PictureCache {
  public:
    explicit Win32PictureCache(HINSTANCE instance) : instance_(instance) {}
    Win32PictureCache(const Win32PictureCache&) = delete;
    Win32PictureCache& operator=(const Win32PictureCache&) = delete;

    // The button's picture is now the resource `name` drawn at dpi (none for an empty name): the
    // pictures it had are taken off the button and freed; the new ones are made by Show.
    void Assign(HWND button, const std::string& name, int dpi);
    // The button shows its picture for its state, enabled or disabled, made now if it was not
    // made before; nothing for a button without a picture.
    void Show(HWND button);
    // The button's window has gone: its pictures are freed.
    void Forget(HWND button);
    // The pictures of a form's buttons made anew in the system's colours (a theme changed).
    void Refresh(HWND form);

  private:
    struct Pictures {
        std::string name;
        int dpi = 0;
        HGDIOBJ enabled = nullptr;
        HGDIOBJ disabled = nullptr;
    };
    HINSTANCE instance_;
    std::map<HWND, Pictures> images_;
};

} // namespace velt
