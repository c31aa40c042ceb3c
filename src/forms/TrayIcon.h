// The notification-area icon: the 88-byte record of the 32-bit shell and its three operations.
// The shell reports mouse events over the icon to the owner form as the window message
// uCallbackMessage (1024) with the mouse message in lParam; the form sees it in Form::OnMessage.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velt {

class Form;

inline constexpr unsigned kNifMessage = 1;
inline constexpr unsigned kNifIcon = 2;
inline constexpr unsigned kNifTip = 4;
inline constexpr unsigned kTrayCallbackMessage = 1024; // WM_USER
inline constexpr int kTrayLeftDoubleClick = 515;       // WM_LBUTTONDBLCLK
inline constexpr int kTrayRightButtonDown = 516;       // WM_RBUTTONDOWN

// NOTIFYICONDATAA in its first, 88-byte form as the 32-bit build lays it out: handles are
// 32-bit numbers and the tip is 64 bytes, zero-padded.
struct TrayIconData {
    std::uint32_t cbSize = 88;
    std::uint32_t hWnd = 0;
    std::uint32_t uID = 1;
    std::uint32_t uFlags = kNifMessage | kNifIcon | kNifTip;
    std::uint32_t uCallbackMessage = kTrayCallbackMessage;
    std::uint32_t hIcon = 0;
    char szTip[64] = {};
};
static_assert(sizeof(TrayIconData) == 88, "the shell reads exactly 88 bytes");

class TrayIcon {
  public:
    // The icon of a form's window: hWnd is filled with that window's handle.
    explicit TrayIcon(Form& owner);

    // The record, changed in place by its owner and handed to the shell as it is.
    TrayIconData Data;

    // Loads an icon of the program's resources by name into the record.
    void SetIcon(std::string_view resourceName);
    // Copies at most 63 characters and zero-fills the rest of the record's tip; the shell gets
    // up to 127 where it shows that many.
    void SetTip(std::string_view tip);
    const std::string& Tip() const { return tip_; }

    // Shell_NotifyIconA with NIM_ADD, NIM_MODIFY and NIM_DELETE; the shell's answer.
    bool Add();
    bool Modify();
    bool Delete();
    // A balloon over the icon telling the user something; the icon itself stays as it is.
    bool ShowBalloon(std::string_view title, std::string_view text);

  private:
    bool Send(unsigned operation);
    void FillWindow();

    Form& owner_;
    std::string tip_;
};

} // namespace velt
