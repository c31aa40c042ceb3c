// The program's open modal shows, one over the other: the windows each one disabled and the
// window it shows; and which of the program's windows is a dialog the user must answer first.
#pragma once

#include <windows.h>

#include <vector>

namespace velt {

// A window of the thread that exists, shows and takes input.
bool Usable(HWND window);

class Win32ModalStack {
  public:
    // `isForm` tells the program's form windows from its other windows.
    explicit Win32ModalStack(bool (*isForm)(HWND)) : isForm_(isForm) {}

    // A modal show of `modal` begins: every other visible, enabled window of the thread is
    // disabled until End, which gives the activation back to the window that had it.
    void Begin(HWND modal);
    void End();
    bool Empty() const { return modal_.empty(); }
    // A window shown while a show is open stays disabled behind it until the show ends.
    void KeepBehind(HWND window);

    // The program's enabled, visible form or dialog box (a message box, the browse dialog)
    // highest in the z-order, or nullptr.
    HWND Front() const;
    // The same among the open modal forms and dialog boxes only: nullptr when none is open.
    HWND OpenDialog() const;
    // Ends every dialog box of the program with IDCANCEL.
    static void EndOpenDialogs();

  private:
    bool (*isForm_)(HWND);
    std::vector<std::vector<HWND>> disabled_; // per show: the active window, then the disabled
    std::vector<HWND> modal_;                 // per show: its form's window
};

} // namespace velt
