// A window: caption, client size, visibility, its controls and the window events.
#pragma once

#include "forms/Geometry.h"
#include "forms/KeyCommands.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velt {

class Application;
class Button;
class Control;
class IUiBackend;

// Modal results as the windows use them.
inline constexpr int kMrNone = 0;
inline constexpr int kMrOk = 1;
inline constexpr int kMrCancel = 2;

// What closing a window does; a close handler may change it.
enum class CloseAction { None, Hide, Free };

// The window's frame: both are fixed (no resizing) with only the close box; a dialog frame shows
// no icon in the caption.
enum class BorderStyle { Single, Dialog };

// What the system tells the program's windows about the session and the computer: the session
// was locked or unlocked, the computer is going to sleep or woke up, the session is ending.
enum class SystemEvent { SessionLocked, SessionUnlocked, Suspending, Resumed, SessionEnding };

class Form {
  public:
    Form(Application& app, std::string caption, int clientWidth, int clientHeight);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    Application& App() const { return app_; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    int ClientWidth() const { return width_; }
    int ClientHeight() const { return height_; }
    void SetClientSize(int width, int height);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }
    BorderStyle Border() const { return border_; }
    void SetBorder(BorderStyle border) { border_ = border; }
    // Character height in pixels of the form's font, which its controls use unless they ask for
    // their own; 0 = the standard font (8 points). Takes effect when the window is made.
    int FontHeight() const { return fontHeight_; }
    void SetFontHeight(int pixels) { fontHeight_ = pixels; }
    bool Visible() const { return visible_; }
    bool Active() const { return active_; }
    bool Created() const { return created_; }
    bool Modal() const { return modal_; }
    // The form whose window owns this one: an owned window always lies above its owner. Takes
    // effect when the window is made; nullptr (the default) leaves the form unowned. A form
    // going away leaves the forms it owned unowned.
    Form* OwnerForm() const { return ownerForm_; }
    void SetOwnerForm(Form* owner) { ownerForm_ = owner; }

    // Events. OnShow runs each time the form goes from hidden to shown; OnClose may change the
    // action (Hide by default; None refuses the close; Free releases the form).
    std::function<void()> OnCreate;
    std::function<void()> OnShow;
    std::function<void(CloseAction&)> OnClose;
    std::function<void()> OnDestroy;
    std::function<void()> OnActivate;
    std::function<void()> OnDeactivate;
    // A timer of the form's window (IUiBackend::StartTimer) is due.
    std::function<void(unsigned id)> OnTimer;
    // The session or the computer changed state (SystemEvent).
    std::function<void(SystemEvent)> OnSystemEvent;
    // Window messages the binding hands over: WM_USER and above, registered messages and
    // WM_QUERYENDSESSION. Returns true when handled.
    std::function<bool(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)> OnMessage;

    // Creates the real window and runs OnCreate; later calls do nothing. Show and ShowModal
    // create the window when needed.
    void Create();
    // Runs OnDestroy and destroys the real window; the object stays usable (Create again).
    void Destroy();
    // Makes the form visible and brings it to the front. Going from hidden to shown, the focus
    // goes to the first control in the tab order a user can reach, then OnShow runs.
    void Show();
    // Hiding a form shown modally ends that show with 2, as if cancelled.
    void Hide();
    void BringToFront();
    // The close box: in a modal show it ends the show with result 2, otherwise it runs OnClose
    // and carries out the action.
    void Close();
    // Destroys the form once the events now pending have been handled.
    void Release();
    // Shows the form and runs a message loop until a modal result is set (1 confirm, 2 cancel,
    // Esc or the close box; 2 as well when the application is asked to terminate).
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result);

    void FocusControl(Control& control);
    Control* FocusedControl() const { return focused_; }

    // The keys a user presses in the window: Enter clicks the focused push button or else the
    // default button, Esc clicks the cancel button, F1 asks the application for help with the
    // form's help context (0: nothing happens).
    void PressEnter();
    void PressEscape();
    void PressHelp();
    // The form's key commands (KeyCommands.h), and a key pressed on its focused control: true
    // when the key is one of them.
    KeyCommands Keys;
    bool PressKey(KeyPress key) { return Keys.Press(key, focused_); }
    // The window got or lost the activation (from the backend).
    void Activated(bool active);

    // Every control in declaration order.
    const std::vector<Control*>& Controls() const { return controls_; }
    Control* FindControl(int id) const;
    // The controls Tab stops on, in tab order (enabled and visible or not).
    std::vector<Control*> TabOrder() const;
    // The default and cancel buttons a user can press now (enabled and visible), or nullptr.
    Button* DefaultButton() const;
    Button* CancelButton() const;

    std::uintptr_t NativeHandle() const { return native_; }
    void SetNativeHandle(std::uintptr_t handle) { native_ = handle; }

    // Control objects register and unregister themselves.
    void AddControl(Control& control);
    void RemoveControl(Control& control);
    IUiBackend& Backend() const;

  private:
    bool CloseModal();

    Application& app_;
    std::string caption_;
    int width_;
    int height_;
    int helpContext_ = 0;
    int fontHeight_ = 0;
    BorderStyle border_ = BorderStyle::Dialog;
    bool visible_ = false;
    bool active_ = false;
    bool created_ = false;
    bool modal_ = false;
    int modalResult_ = kMrNone;
    Control* focused_ = nullptr;
    Form* ownerForm_ = nullptr;
    std::vector<Control*> controls_;
    std::uintptr_t native_ = 0;
};

} // namespace velt
