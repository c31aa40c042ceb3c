#include "win32/Win32PictureCache.h"

#include "win32/Win32Pictures.h"

namespace velt {

void Win32PictureCache::Assign(HWND button, const std::string& name, int dpi) {
    if (images_.contains(button)) {
        SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, 0); // off the button before it is freed
        Forget(button);
    }
    if (!name.empty()) {
        images_.emplace(button, Pictures{name, dpi});
    }
}

void Win32PictureCache::Show(HWND button) {
    const auto it = images_.find(button);
    if (it == images_.end()) {
        return;
    }
    Pictures& pictures = it->second;
    const bool enabled = IsWindowEnabled(button) != FALSE;
    HGDIOBJ& picture = enabled ? pictures.enabled : pictures.disabled;
    if (picture == nullptr) {
        picture = LoadButtonPicture(instance_, pictures.name, enabled, CurrentPictureTheme(),
                                    pictures.dpi);
    }
    if (reinterpret_cast<HGDIOBJ>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0)) != picture) {
        SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
    }
}

void Win32PictureCache::Forget(HWND button) {
    if (const auto image = images_.find(button); image != images_.end()) {
        DeleteObject(image->second.enabled);
        DeleteObject(image->second.disabled);
        images_.erase(image);
    }
}

void Win32PictureCache::Refresh(HWND form) {
    for (auto& [button, pictures] : images_) {
        if (GetAncestor(button, GA_ROOT) != form) {
            continue;
        }
        const HGDIOBJ old[] = {pictures.enabled, pictures.disabled};
        pictures.enabled = nullptr;
        pictures.disabled = nullptr;
        Show(button); // the new picture goes in before the old ones go
        for (HGDIOBJ picture : old) {
            DeleteObject(picture);
        }
        InvalidateRect(button, nullptr, TRUE);
    }
}

} // namespace velt
