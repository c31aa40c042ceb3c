#include "win32/Win32AnsiText.h"

#include "digest/SecureWipe.h"
#include "forms/Edit.h"

#include <commctrl.h>

namespace velt {

bool ToAnsi(std::wstring_view wide, std::string& ansi) {
    ansi.clear();
    if (wide.empty()) {
        return true;
    }
    // UTF-8 takes neither the flag nor the question: it holds every character (a lone surrogate
    // becomes the replacement character).
    const UINT page = GetACP();
    const bool utf8 = page == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    const int length = static_cast<int>(wide.size());
    const int size =
        WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return false;
    }
    ansi.resize(static_cast<std::size_t>(size));
    const int written = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, ansi.data(), size,
                                            nullptr, utf8 ? nullptr : &usedDefault);
    ansi.resize(static_cast<std::size_t>(written > 0 ? written : 0));
    return written == size && usedDefault == FALSE;
}

std::wstring ToWide(std::string_view ansi) {
    std::wstring wide;
    if (ansi.empty()) {
        return wide;
    }
    const int length = static_cast<int>(ansi.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    wide.resize(static_cast<std::size_t>(size > 0 ? size : 0));
    if (size > 0) {
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), size);
    }
    return wide;
}

bool ReadAnsiText(HWND window, std::string& ansi) {
    std::wstring wide(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    wide.resize(static_cast<std::size_t>(
        GetWindowTextW(window, wide.data(), static_cast<int>(wide.size()))));
    const bool representable = ToAnsi(wide, ansi);
    SecureWipe(wide.data(), wide.capacity() * sizeof(wchar_t));
    return representable;
}

void ShowUnrepresentableTip(HWND edit, HWND& tip) {
    std::wstring title = ToWide(Edit::kUnrepresentableTitle);
    std::wstring text = ToWide(Edit::kUnrepresentableText);
    EDITBALLOONTIP balloon{sizeof balloon, title.c_str(), text.c_str(), TTI_WARNING};
    if (SendMessageW(edit, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&balloon)) != FALSE) {
        return;
    }
    HideUnrepresentableTip(edit, tip);
    tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0,
                          GetAncestor(edit, GA_ROOT), nullptr, nullptr, nullptr);
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    info.hwnd = edit;
    info.uId = reinterpret_cast<UINT_PTR>(edit);
    info.lpszText = text.data();
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(tip, TTM_SETTITLEW, TTI_WARNING, reinterpret_cast<LPARAM>(title.c_str()));
    RECT rect{};
    GetWindowRect(edit, &rect);
    SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM((rect.left + rect.right) / 2, rect.bottom));
    SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
}

void HideUnrepresentableTip(HWND edit, HWND& tip) {
    SendMessageW(edit, EM_HIDEBALLOONTIP, 0, 0);
    if (tip != nullptr && IsWindow(tip)) {
        DestroyWindow(tip);
    }
    tip = nullptr;
}

} // namespace velt
