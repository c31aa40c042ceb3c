// What the control model needs from a windowing system. The Win32 binding renders forms as real
// windows; the test double lets a test act as the user.
#pragma once

#include "forms/Geometry.h"

#include <cstdint>
#include <string_view>

namespace velt {

class Form;
class Control;
class PopupMenu;
struct TrayIconData;

// Which part of a form's state changed, so the backend can push just that.
enum class FormChange { Caption, Visible, BringToFront, Focus, Size };

// Which part of a control's state changed.
enum class ControlChange {
    Text,
    Enabled,
    Visible,
    Hint,
    Bounds,
    Items,
    ItemIndex,
    Checked,
    Style,
    Selection
};

// Operations of Shell_NotifyIconA.
inline constexpr unsigned kNimAdd = 0;
inline constexpr unsigned kNimModify = 1;
inline constexpr unsigned kNimDelete = 2;

class IUiBackend {
  public:
    virtual ~IUiBackend() = default;

    // The form now has a window with every control registered so far. A backend may make the
    // real window later, when it is first needed (shown, or its handle asked for).
    virtual void CreateFormWindow(Form& form) = 0;
    // Destroys the real window; no model event is raised from here.
    virtual void DestroyFormWindow(Form& form) = 0;
    virtual void FormChanged(Form& form, FormChange what) = 0;
    virtual void ControlChanged(Control& control, ControlChange what) = 0;
    // A control object is going away: forget (and destroy) its real control.
    virtual void ControlGone(Control& control) = 0;
    // The form's window handle as the 32-bit number the tray record carries.
    virtual std::uint32_t WindowHandle(Form& form) = 0;

    // Modal shows: other windows of the program are disabled between these two calls.
    virtual void BeginModal(Form& form) = 0;
    virtual void EndModal(Form& form) = 0;
    // Waits for the next message (or user step) and dispatches it.
    virtual void WaitAndDispatch() = 0;
    // Dispatches whatever is pending without waiting.
    virtual void ProcessPending() = 0;
    // Makes a waiting loop come round once more (after a terminate request or a release).
    virtual void WakeUp() = 0;

    // A modal message box owned by the active window; returns the button pressed.
    virtual int ShowMessageBox(std::string_view text, std::string_view caption, unsigned flags) = 0;
    // An icon of the program's own resources, as the 32-bit handle the tray record carries.
    virtual std::uint32_t LoadIconByName(std::string_view name) = 0;
    // tip: the whole tip; a shell that shows longer tips than the record's 63 characters gets it
    // all (up to 127).
    virtual bool NotifyIcon(unsigned operation, const TrayIconData& data, std::string_view tip) = 0;
    // Shows the menu at a screen position; returns the index of the chosen item or -1.
    virtual int TrackPopup(Form& owner, const PopupMenu& menu, Point at) = 0;
    virtual Point CursorPos() = 0;
    virtual void SetForeground(Form& form) = 0;
    // A program-wide window message number for a name (RegisterWindowMessageA).
    virtual unsigned RegisterMessageId(std::string_view name) = 0;

    // A balloon over the tray icon the record names (its window and uID): a title and a text.
    virtual bool NotifyBalloon(const TrayIconData& icon, std::string_view title,
                               std::string_view text) = 0;
    // A timer of the form's window: Form::OnTimer gets the id every `milliseconds` until
    // stopped; starting it again restarts it with the new interval.
    virtual void StartTimer(Form& form, unsigned id, unsigned milliseconds) = 0;
    virtual void StopTimer(Form& form, unsigned id) = 0;
    // Asks that lock and unlock of this session reach the form as system events
    // (Form::OnSystemEvent, as sleep, resume and the session's end always do); false when the
    // system cannot do so now: right after log-on, or with its session service off.
    virtual bool WatchSessionLock(Form& form) = 0;
    // Ends that.
    virtual void UnwatchSessionLock(Form& form) = 0;
};

} // namespace velt
