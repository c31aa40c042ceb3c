// The tool tips of the forms' controls: one tool tip window per form, made for its first hint
// and owned by the form's window; and the tip that refuses an edit's text while it shows.
#pragma once

#include <windows.h>

#include <map>

namespace velt {

class Control;
class Form;

class Win32ToolTips {
  public:
    explicit Win32ToolTips(HINSTANCE instance) : instance_(instance) {}
    Win32ToolTips(const Win32ToolTips&) = delete;
    Win32ToolTips& operator=(const Win32ToolTips&) = delete;
    ~Win32ToolTips() = default;

    // The control's tool tip after its hint changed: its hint, or none. dpi: its form's.
    void Update(Control& control, int dpi);
    // Takes the control's tip away, before its window goes.
    void Remove(Control& control);
    // The form's window went, and its tool tip window with it.
    void Forget(const Form& form) { tips_.erase(&form); }
    // Tells the user, at an edit, that its text holds characters the code page cannot store, or
    // takes that away again (Win32AnsiText.h); the tool tip that may take the edit's balloon's
    // place is kept here while it shows.
    void ShowRefusal(HWND edit);
    void HideRefusal(HWND edit);

  private:
    HWND TipOf(Form& form, int dpi);

    HINSTANCE instance_;
    std::map<const Form*, HWND> tips_;
    HWND refusal_ = nullptr; // the tool tip refusing an edit's text, while it shows
};

} // namespace velt
