// The control model's backend for native tests: the test acts as the user of the windows, answers
// message boxes and menus, scripts what happens while a modal dialog is open, and reads back what
// the program showed (message boxes, tray icon calls, menus, a log of window operations).
#pragma once

#include "forms/Application.h"
#include "forms/Form.h"
#include "forms/Geometry.h"
#include "forms/KeyCommands.h"
#include "forms/TrayIcon.h"
#include "forms/UiBackend.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

class Button;
class CheckBox;
class ComboBox;
class Edit;
class ListBox;
class Picture;

class TestUi final : public IUiBackend {
  public:
    struct Box {
        std::string text;
        std::string caption;
        unsigned flags = 0;
    };
    struct TrayCall {
        unsigned operation = 0;
        TrayIconData data;
        std::string tip; // the whole tip
    };
    struct Balloon {
        std::uint32_t hWnd = 0;
        std::uint32_t uID = 0;
        std::string title;
        std::string text;
    };
    struct ShownMenu {
        Form* owner = nullptr;
        Point at;
        std::vector<std::string> captions; // "-" for a separator; submenus' items follow
        std::vector<std::string> checked;  // the captions of the checked items
        std::vector<std::string> radio;    // the captions of the radio items (a dot, not a tick)
        int defaultIndex = -1;
        int chosen = -1;
    };

    TestUi();
    ~TestUi() override;

    // The application object running on this backend. Forms made with it must be destroyed
    // before the TestUi.
    Application& App() { return app_; }

    // --- The user. Each action runs as one event of the message loop: an error goes to the
    // application's error handler (a message box), released forms are destroyed afterwards.
    // Each returns false when the user could not do it (disabled, hidden, over the limit, or
    // the window disabled because another one is shown modally).

    // Types characters one by one at the end of the text (the first replaces a selected text);
    // each is one change. Stops at the first refused character.
    bool Type(Edit& edit, std::string_view chars);
    // Replaces the whole text at once (select all, then paste). representable = false: the
    // pasted text holds characters the code page cannot store; text is what it converts to.
    bool Paste(Edit& edit, std::string_view text, bool representable = true);
    // Deletes the last character (Backspace at the end).
    bool Backspace(Edit& edit);
    bool Click(Button& button);
    bool Click(CheckBox& box);
    bool Click(Picture& picture);
    bool Select(ComboBox& combo, int index);
    bool Select(ListBox& list, int index);
    void CloseBox(Form& form);
    void PressEnter(Form& form);
    void PressEscape(Form& form);
    void PressF1(Form& form);
    // A key pressed in a form, on its focused control; true when it was one of the form's keys.
    bool PressKey(Form& form, KeyPress key);
    // The user clicks into a window: it gets the activation and the active one loses it.
    // Refused while a modal dialog of another window is open.
    bool Activate(Form& form);
    // A window message sent to a form (the tray callback, "TaskbarCreated", WM_ENDSESSION).
    void Deliver(Form& form, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    // A due timer of the form, and a system event, as the binding delivers them.
    void Tick(Form& form, unsigned id);
    void Raise(Form& form, SystemEvent event);
    // A mouse message over the tray icon: the callback message 1024 with the mouse message.
    void TrayMouse(Form& form, int mouseMessage);

    // --- Message loops. Every turn of a loop (a modal show or Application::Run) runs the next
    // queued step as one event. With no step left, an open modal dialog is closed with its close
    // box (result 2) and the main loop is asked to terminate.
    void Queue(std::function<void()> step);
    std::size_t PendingSteps() const { return steps_.size(); }
    // The innermost form shown modally, or nullptr.
    Form* ModalForm() const { return modal_.empty() ? nullptr : modal_.back(); }
    // Captions of every modal show, in order.
    const std::vector<std::string>& ModalShows() const { return modalShows_; }

    // --- Message boxes: every box shown, and the answers to give. Without a queued answer a
    // box answers OK (1) for OK-only, No (7) for Yes/No and Cancel (2) otherwise.
    void AnswerNext(int button) { answers_.push_back(button); }
    // A step the user takes while the next box is open (the tray stays usable), before it answers.
    void DuringNextBox(std::function<void()> step) { boxSteps_.push_back(std::move(step)); }
    // Something that happens while the shell handles the next tray icon call.
    void WhileNextTrayCall(std::function<void()> step) { whileTray_ = std::move(step); }
    const std::vector<Box>& Boxes() const { return boxes_; }
    void ClearBoxes() { boxes_.clear(); }

    // --- Tray, menus, cursor, foreground.
    const std::vector<TrayCall>& TrayCalls() const { return trayCalls_; }
    void FailTrayCalls(bool fail) { trayFails_ = fail; }
    // The icon name behind a handle handed out by LoadIconByName ("" if unknown).
    std::string IconName(std::uint32_t handle) const;
    // The item the user picks in the next popup menu, by caption; without one the user clicks
    // away and nothing is chosen.
    void ChooseNext(std::string caption) { choices_.push_back(std::move(caption)); }
    const std::vector<ShownMenu>& Menus() const { return menus_; }
    void SetCursor(Point at) { cursor_ = at; }
    const std::vector<Form*>& ForegroundCalls() const { return foreground_; }
    int ProcessPendingCalls() const { return processPending_; }
    const std::vector<Balloon>& Balloons() const { return balloons_; }

    // --- Timers, the input clock, session notifications.
    // The interval of a running timer of the form, or 0 when none runs.
    unsigned TimerInterval(const Form& form, unsigned id) const;

    // Window operations in order: "create C", "destroy C", "show C", "hide C", "front C",
    // "focus C", "modal C", "endmodal C", "box T" (C a form's caption, T a box's caption).
    const std::vector<std::string>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }

    // The backend.
    void CreateFormWindow(Form& form) override;
    void DestroyFormWindow(Form& form) override;
    void FormChanged(Form& form, FormChange what) override;
    void ControlChanged(Control& control, ControlChange what) override;
    void ControlGone(Control& control) override;
    std::uint32_t WindowHandle(Form& form) override;
    void BeginModal(Form& form) override;
    void EndModal(Form& form) override;
    void WaitAndDispatch() override;
    void ProcessPending() override { ++processPending_; }
    void WakeUp() override {}
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned flags) override;
    std::uint32_t LoadIconByName(std::string_view name) override;
    bool NotifyIcon(unsigned operation, const TrayIconData& data, std::string_view tip) override;
    int TrackPopup(Form& owner, const PopupMenu& menu, Point at) override;
    Point CursorPos() override { return cursor_; }
    void SetForeground(Form& form) override;
    unsigned RegisterMessageId(std::string_view name) override;
    bool NotifyBalloon(const TrayIconData& icon, std::string_view title,
                       std::string_view text) override;
    void StartTimer(Form& form, unsigned id, unsigned milliseconds) override;
    void StopTimer(Form& form, unsigned id) override;
    bool WatchSessionLock(Form& form) override;
    void UnwatchSessionLock(Form& form) override { lockWatched_.erase(&form); }
    // The next `count` requests for lock notifications fail (the session service not ready).
    void RefuseLockWatch(int count) { refuseLockWatch_ = count; }
    bool LockWatched(const Form& form) const { return lockWatched_.count(&form) != 0; }

  private:
    bool Act(const Form& form, const std::function<bool()>& action);
    void ActivateForm(Form* form);
    // The visible form most recently active, other than one: where the activation goes when
    // the active form hides, as Windows hands it on.
    Form* NextActive(const Form* except) const;

    std::deque<std::function<void()>> steps_;
    std::vector<Form*> modal_;
    std::vector<std::string> modalShows_;
    std::deque<int> answers_;
    std::deque<std::function<void()>> boxSteps_;
    std::function<void()> whileTray_;
    std::vector<Box> boxes_;
    std::vector<TrayCall> trayCalls_;
    bool trayFails_ = false;
    std::map<std::string, std::uint32_t, std::less<>> icons_;
    std::deque<std::string> choices_;
    std::vector<ShownMenu> menus_;
    Point cursor_;
    std::vector<Form*> foreground_;
    int processPending_ = 0;
    std::map<const Form*, std::uint32_t> handles_;
    std::map<std::string, unsigned, std::less<>> messageIds_;
    std::vector<std::string> log_;
    std::vector<Balloon> balloons_;
    std::map<std::pair<const Form*, unsigned>, unsigned> timers_;
    std::set<const Form*> created_; // forms with a window
    std::set<const Form*> lockWatched_;
    int refuseLockWatch_ = 0;
    Form* active_ = nullptr;
    std::vector<Form*> recent_;        // forms in the order they were last active
    std::vector<Form*> activeAtModal_; // the active form when each open modal show began
    Application app_; // last: destroyed first, while the rest of the double still exists
};

} // namespace velt
