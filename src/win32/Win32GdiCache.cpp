#include "win32/Win32GdiCache.h"

#include "win32/Win32Pictures.h"

namespace velt {

Win32GdiCache::~Win32GdiCache() {
    for (const auto& [key, font] : fonts_) {
        DeleteObject(font);
    }
    for (const auto& [key, icon] : icons_) {
        DestroyIcon(icon);
    }
}

HFONT Win32GdiCache::Font(int pixels, bool bold) {
    const auto key = std::make_pair(pixels, bold);
    if (const auto it = fonts_.find(key); it != fonts_.end()) {
        return it->second;
    }
    HFONT font = CreateFontA(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
    fonts_.emplace(key, font);
    return font;
}

HICON Win32GdiCache::Icon(const std::string& name, int size) {
    const auto key = std::make_pair(name, size);
    if (const auto it = icons_.find(key); it != icons_.end()) {
        return it->second;
    }
    HICON icon = LoadIconSized(instance_, name, size);
    if (icon != nullptr) {
        icons_.emplace(key, icon);
    }
    return icon;
}

} // namespace velt
