// Message boxes, icons, the tray icon, popup menus, the cursor and the foreground window.
#include "win32/Win32Ui.h"

#include "forms/Form.h"
#include "forms/PopupMenu.h"
#include "forms/TrayIcon.h"

#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <string>

namespace velt {

// The model's record is the shell's first, 88-byte NOTIFYICONDATAA, field for field.
static_assert(NOTIFYICONDATAA_V1_SIZE == 88);
static_assert(sizeof(TrayIconData) == NOTIFYICONDATAA_V1_SIZE);
static_assert(offsetof(NOTIFYICONDATAA, szTip) == offsetof(TrayIconData, szTip));
static_assert(sizeof(NOTIFYICONDATAA::szTip) >= sizeof(TrayIconData::szTip));

int Win32Ui::ShowMessageBox(std::string_view text, std::string_view caption, unsigned flags) {
    const std::string body(text);
    const std::string title(caption);
    return MessageBoxA(MessageBoxOwner(), body.c_str(), title.c_str(), flags);
}

std::uint32_t Win32Ui::LoadIconByName(std::string_view name) {
    // The notification area shows the system's small icon size.
    HICON icon = IconAt(std::string(name), GetSystemMetrics(SM_CXSMICON));
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(icon));
}

bool Win32Ui::NotifyIcon(unsigned operation, const TrayIconData& data, std::string_view tip) {
    NOTIFYICONDATAA record{};
    record.cbSize = data.cbSize;
    record.hWnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(data.hWnd));
    record.uID = data.uID;
    record.uFlags = data.uFlags;
    record.uCallbackMessage = data.uCallbackMessage;
    record.hIcon = reinterpret_cast<HICON>(static_cast<std::uintptr_t>(data.hIcon));
    std::memcpy(record.szTip, data.szTip, sizeof data.szTip);
    if ((data.uFlags & NIF_TIP) != 0 && tip.size() >= sizeof data.szTip) {
        // A longer tip needs the record's second form (Windows 2000 and later); an older shell
        // refuses it and gets the first 63 characters.
        NOTIFYICONDATAA longer = record;
        longer.cbSize = NOTIFYICONDATAA_V2_SIZE;
        const std::size_t length = std::min(tip.size(), sizeof longer.szTip - 1);
        std::memcpy(longer.szTip, tip.data(), length);
        longer.szTip[length] = '\0';
        if (Shell_NotifyIconA(operation, &longer) != FALSE) {
            return true;
        }
    }
    return Shell_NotifyIconA(operation, &record) != FALSE;
}

int Win32Ui::TrackPopup(Form& owner, const PopupMenu& menu, Point at) {
    HMENU popup = CreatePopupMenu();
    if (popup == nullptr) {
        return -1;
    }
    // Items go into the menu of their parent; a parent comes before its items.
    std::map<const MenuItem*, HMENU> submenus;
    const auto& items = menu.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const MenuItem& item = *items[i];
        const auto parent = submenus.find(item.Parent());
        HMENU into = parent != submenus.end() ? parent->second : popup;
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
        info.fType = item.Separator() ? MFT_SEPARATOR : MFT_STRING;
        info.wID = static_cast<UINT>(i + 1);
        std::string caption = item.Caption();
        if (!item.Separator()) {
            info.fMask |= MIIM_STRING;
            info.dwTypeData = caption.data();
            info.fType |= item.RadioItem ? MFT_RADIOCHECK : 0;
            info.fState = (item.Enabled ? MFS_ENABLED : MFS_GRAYED) |
                          (item.Checked ? MFS_CHECKED : MFS_UNCHECKED) |
                          (item.Default ? MFS_DEFAULT : 0);
        }
        if (menu.HasSubmenu(item)) {
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = CreatePopupMenu();
            submenus[&item] = info.hSubMenu;
        }
        InsertMenuItemA(into, GetMenuItemCount(into), TRUE, &info);
    }
    HWND window = WindowNeeded(owner);
    const int chosen = static_cast<int>(TrackPopupMenu(
        popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, at.x, at.y, 0, window, nullptr));
    // The menu of a tray icon closes when the user clicks elsewhere only after this.
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(popup);
    return chosen - 1;
}

Point Win32Ui::CursorPos() {
    POINT at{};
    GetCursorPos(&at);
    return Point{at.x, at.y};
}

void Win32Ui::SetForeground(Form& form) {
    if (HWND window = WindowOf(form); window != nullptr) {
        if (IsWindowEnabled(window)) {
            SetForegroundWindow(window);
        } else if (HWND front = modal_.Front(); front != nullptr) {
            Raise(front);
        }
    }
}

unsigned Win32Ui::RegisterMessageId(std::string_view name) {
    const std::string text(name);
    return RegisterWindowMessageA(text.c_str());
}

} // namespace velt
