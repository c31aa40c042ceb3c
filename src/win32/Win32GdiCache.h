// The fonts and icons the windows share: each made once, at first use, and kept until the cache
// goes.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

namespace velt {

class Win32GdiCache {
  public:
    explicit Win32GdiCache(HINSTANCE instance) : instance_(instance) {}
    Win32GdiCache(const Win32GdiCache&) = delete;
    Win32GdiCache& operator=(const Win32GdiCache&) = delete;
    ~Win32GdiCache();

    // "MS Sans Serif" of a height in pixels, bold or not.
    HFONT Font(int pixels, bool bold);
    // An icon of the program's resources at size x size pixels; nullptr when there is none.
    HICON Icon(const std::string& name, int size);

  private:
    HINSTANCE instance_;
    std::map<std::pair<int, bool>, HFONT> fonts_;
    std::map<std::pair<std::string, int>, HICON> icons_;
};

} // namespace velt
