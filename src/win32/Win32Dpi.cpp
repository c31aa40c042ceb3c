#include "win32/Win32Dpi.h"

#include "forms/Geometry.h"
#include "win32/SystemLibrary.h"

namespace velt {

namespace {

// An export of user32.dll, or nullptr on a Windows without it.
template <typename Function> Function User32Export(const char* name) {
    return ExportOf<Function>(GetModuleHandleA("user32.dll"), name);
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

// A DPI outside what a screen reports is taken as the layout's own.
int Plausible(int dpi) {
    return IsPlausibleDpi(dpi) ? dpi : kLayoutDpi;
}

} // namespace

bool IsPlausibleDpi(int dpi) {
    return dpi >= 48 && dpi <= 960;
}

int SystemDpi() {
    // Set when the user logs on, so read once: every window and metric asks for it.
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        if (screen == nullptr) {
            return kLayoutDpi;
        }
        const int read = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return Plausible(read);
    }();
    return dpi;
}

int WindowDpi(HWND window) {
    static const auto getDpiForWindow = User32Export<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi != 0) {
            return Plausible(static_cast<int>(dpi));
        }
    }
    return SystemDpi();
}

RECT FrameAround(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
    static const auto adjustForDpi =
        User32Export<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (adjustForDpi == nullptr ||
        !adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
        rect = RECT{0, 0, clientWidth, clientHeight};
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return rect;
}

int MetricAt(int index, int dpi) {
    static const auto metricForDpi =
        User32Export<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (metricForDpi != nullptr) {
        return metricForDpi(index, static_cast<UINT>(dpi));
    }
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

int Win32FormDpi::Of(const Form& form) const {
    const auto it = dpi_.find(&form);
    return it != dpi_.end() ? it->second : SystemDpi();
}

} // namespace velt
