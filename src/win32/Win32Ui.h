// The control model rendered with real windows: every Form becomes a top-level window of its
// client size, every control a child window with the control's id, and the windows'
// notifications become the model's events. Sizes, places, fonts and pictures are the model's
// 96-DPI ones scaled to the DPI of the window (Win32Dpi.h), and follow it when the window moves
// to a monitor of another scale.
//
// Taskbar: as in classic Delphi programs, a hidden "application" window carries the program's
// single taskbar button, captioned with the application title. Every form window is owned by
// it (owned windows get no button of their own); the application window is shown, with an empty
// rectangle and without taking the activation, while at least one form is visible, and hidden
// when all are hidden, so a program living in the tray has no taskbar button. A form given an
// owner form is owned by that form's window instead, and so always lies above it.
#pragma once

#include "forms/UiBackend.h"
#include "win32/Win32Dpi.h"
#include "win32/Win32FocusHistory.h"
#include "win32/Win32GdiCache.h"
#include "win32/Win32ModalStack.h"
#include "win32/Win32PictureCache.h"
#include "win32/Win32SessionWatch.h"
#include "win32/Win32ToolTips.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace velt {

class Application;

class Win32Ui final : public IUiBackend {
  public:
    explicit Win32Ui(HINSTANCE instance);
    Win32Ui(const Win32Ui&) = delete;
    Win32Ui& operator=(const Win32Ui&) = delete;
    ~Win32Ui() override;

    HWND ApplicationWindow() const { return appWindow_; }
    static HWND WindowOf(const Form& form);
    static HWND WindowOf(const Control& control);
    // The form shown in a top-level window of this program, or nullptr.
    static Form* FormOf(HWND window);
    // The control a child window of a form shows, or nullptr.
    static Control* ControlOf(HWND window);
    // The real window of a created form, made now if it was not needed before (a form's window
    // is made when it is first shown or its handle is asked for, as a hidden dialog that is
    // never opened needs none); nullptr for a form not created.
    HWND WindowNeeded(Form& form);

    void CreateFormWindow(Form& form) override;
    void DestroyFormWindow(Form& form) override;
    void FormChanged(Form& form, FormChange what) override;
    void ControlChanged(Control& control, ControlChange what) override;
    void ControlGone(Control& control) override;
    std::uint32_t WindowHandle(Form& form) override;
    void BeginModal(Form& form) override;
    void EndModal(Form& form) override;
    void WaitAndDispatch() override;
    void ProcessPending() override;
    void WakeUp() override;
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned flags) override;
    std::uint32_t LoadIconByName(std::string_view name) override;
    bool NotifyIcon(unsigned operation, const TrayIconData& data, std::string_view tip) override;
    int TrackPopup(Form& owner, const PopupMenu& menu, Point at) override;
    Point CursorPos() override;
    void SetForeground(Form& form) override;
    unsigned RegisterMessageId(std::string_view name) override;
    bool NotifyBalloon(const TrayIconData& icon, std::string_view title,
                       std::string_view text) override;
    void StartTimer(Form& form, unsigned id, unsigned milliseconds) override;
    void StopTimer(Form& form, unsigned id) override;
    bool WatchSessionLock(Form& form) override;
    void UnwatchSessionLock(Form& form) override;

    // The DPI a form's window is drawn at (the system DPI before the window is made).
    int DpiOf(const Form& form) const;

  private:
    // Posted to the application window with a form's window in lParam: bring it to the front
    // once the activation change during which it was asked for is over.
    static constexpr UINT kBringToFront = WM_APP + 2;

    // The windows' messages (Win32UiMessages.cpp), one handler each.
    static LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK AppProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleFormMessage(Form& form, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void HandleClose(Form& form, HWND window);
    void HandleActivate(Form& form, HWND window, bool active);
    void HandleDpiChanged(Form& form, HWND window, int dpi, const RECT* suggested);
    // A control's notification (Win32UiCommands.cpp).
    void HandleCommand(Form& form, HWND child, unsigned code);

    // Keys the windows handle themselves (Win32UiKeys.cpp): Tab, Enter, Esc, F1, Alt+F4; true
    // when the key was used.
    bool PreTranslate(const MSG& msg);
    // A key that presses one of the form's buttons (Form::Keys); true when it was one.
    bool PressKeyCommand(Form& form, const MSG& msg);
    // Runs a key's event, the control the key message went to first made the focused one.
    void RunKeyEvent(Form& form, const MSG& msg, const std::function<void()>& press);
    void Dispatch(MSG& msg);
    void MakeWindow(Form& form);
    void SyncApplicationWindow();
    // Brings a form's window to the front and gives it the activation.
    static void Raise(HWND window);

    // Modal order (Win32UiModal.cpp; the open shows are in modal_).
    // Raises the window itself, or, while a modal show has disabled it, that show's front window.
    void RaiseOrModalFront(HWND window);
    // The owner of a message box: the form whose event raised it while it can be used, else the
    // modal front, else the active window.
    HWND MessageBoxOwner() const;
    // The default outline goes to a focused push button, and back to the default button.
    void MoveDefaultOutline(Form& form, HWND focusedButton);
    // The form window whose message (or key) is being handled, for the duration of the handling.
    struct EventScope {
        EventScope(HWND& slot, HWND window) : slot_(slot), saved_(slot) { slot_ = window; }
        EventScope(const EventScope&) = delete;
        EventScope& operator=(const EventScope&) = delete;
        ~EventScope() { slot_ = saved_; }
        HWND& slot_;
        HWND saved_;
    };
    // The same for a form whose bringing to the front was asked for while a window lost the
    // activation, once that change is over; not when the form has gone, hidden or been
    // disabled since, nor when the activation went to anything but another form.
    void RaiseAfterActivation(HWND window);

    void CreateControl(Form& form, HWND window, Control& control);
    void PushControl(Control& control, ControlChange what);
    void PushEffectiveState(Control& control);
    void PushItems(Control& control);
    void PushStyle(Control& control);
    // Where a control goes: its bounds scaled to its form's DPI, the window's height (a
    // drop-down list's includes its open list) and the SetWindowPos flags that place it.
    struct Placement {
        Bounds bounds;
        int height;
        UINT flags;
    };
    Placement PlacementOf(const Control& control) const;
    // Places a control at its bounds scaled to its form's DPI.
    void PlaceControl(Control& control);
    // Draws a form at another DPI: its controls' places, fonts and pictures, its icons.
    void ApplyDpi(Form& form, int dpi);
    void SetWindowIcons(HWND window, int dpi);
    // "MS Sans Serif" of a height in 96-DPI pixels (0: the windows' 8 points, 11 pixels) at dpi.
    HFONT FontFor(int height, bool bold, int dpi);
    // An icon of the resources at size x size pixels, kept until the backend goes.
    HICON IconAt(const std::string& name, int size);

    HINSTANCE instance_;
    Win32GdiCache gdi_{instance_};
    HWND appWindow_ = nullptr;
    Application* app_ = nullptr;
    int pushing_ = 0;      // > 0 while the model's state is being written into the windows
    int deactivating_ = 0; // > 0 while a form's window is told it lost the activation
    HWND lastRaisedAfter_ = nullptr; // the form last raised once an activation change was over
    HWND eventWindow_ = nullptr;     // the form whose message is being handled
    struct Pushing {
        explicit Pushing(int& depth) : depth_(depth) { ++depth_; }
        Pushing(const Pushing&) = delete;
        Pushing& operator=(const Pushing&) = delete;
        ~Pushing() { --depth_; }
        int& depth_;
    };
    Win32FormDpi dpi_;
    Win32ToolTips tips_{instance_};
    Win32FocusHistory focus_;
    std::vector<Form*> waiting_; // created forms whose real window is not made yet
    Win32PictureCache pictures_{instance_};
    Win32LockNotifications lockNotifications_;
    Win32ModalStack modal_{[](HWND window) { return FormOf(window) != nullptr; }};
};

} // namespace velt
