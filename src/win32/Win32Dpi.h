// The display scale of the windows. Layouts are given at 96 DPI and drawn at the DPI of the
// window's monitor: the system DPI, or on Windows 10 and later (per-monitor awareness, declared
// in the manifest) the DPI of the monitor the window is on. The functions of newer Windows are
// looked up at run time, so the program still loads on Windows XP.
#pragma once

#include <windows.h>

#include <map>

namespace velt {

class Form;

// Sent to a window whose monitor's DPI changed (Windows 8.1 and later): the new DPI in
// LOWORD(wParam), the suggested window rectangle at lParam.
inline constexpr UINT kWmDpiChanged = 0x02E0;

// Whether a DPI is one a screen may have (a message's or a function's answer is checked with it).
bool IsPlausibleDpi(int dpi);
// The DPI the system draws at (the screen's LOGPIXELSY, read once), 96 when it cannot be read.
int SystemDpi();
// The DPI of a window (GetDpiForWindow, Windows 10 1607 and later), else the system DPI.
int WindowDpi(HWND window);
// The window rectangle around a client area of that size at dpi (AdjustWindowRectExForDpi where
// present: the frame follows the DPI of a per-monitor aware window), placed at (0, 0) inside.
RECT FrameAround(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);
// A system metric at dpi (GetSystemMetricsForDpi where present, else the system's metric scaled
// from the system DPI).
int MetricAt(int index, int dpi);

// The DPI each made form window is drawn at.
class Win32FormDpi {
  public:
    // The system DPI before the form's window is made.
    int Of(const Form& form) const;
    void Set(const Form& form, int dpi) { dpi_[&form] = dpi; }
    // The form's window went.
    void Forget(const Form& form) { dpi_.erase(&form); }

  private:
    std::map<const Form*, int> dpi_;
};

} // namespace velt
