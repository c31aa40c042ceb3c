// The keys the windows handle themselves: a form's key commands, Tab, Enter, Esc, F1 and Alt+F4.
#include "win32/Win32Ui.h"

#include "forms/Application.h"
#include "forms/Control.h"
#include "forms/Form.h"

namespace velt {

namespace {

bool IsDroppedCombo(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, "ComboBox") == 0 && SendMessageA(window, CB_GETDROPPEDSTATE, 0, 0);
}

// An open drop-down list keeps its keys.
bool FocusInDroppedCombo() {
    HWND focus = GetFocus();
    return focus != nullptr && IsDroppedCombo(focus);
}

} // namespace

void Win32Ui::RunKeyEvent(Form& form, const MSG& msg, const std::function<void()>& press) {
    // A key message goes to the focused window: its target is the control the key is for.
    Control* focused = IsChild(WindowOf(form), msg.hwnd) ? ControlOf(msg.hwnd) : nullptr;
    app_->RunEvent([&] {
        if (focused != nullptr && focused != form.FocusedControl()) {
            const Pushing pushing(pushing_);
            form.FocusControl(*focused);
        }
        press();
    });
}

bool Win32Ui::PreTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) {
        return false;
    }
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    Form* form = FormOf(root);
    if (form == nullptr || app_ == nullptr) {
        return false;
    }
    const EventScope event(eventWindow_, root);
    if (PressKeyCommand(*form, msg)) {
        return true;
    }
    if (msg.message == WM_SYSKEYDOWN) {
        // Alt+F4 is the close box whichever control has the focus (a focused drop-down list
        // would otherwise take the key for itself).
        if (msg.wParam != VK_F4) {
            return false;
        }
        SendMessageA(root, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    }
    switch (msg.wParam) {
    case VK_TAB: {
        if (GetKeyState(VK_CONTROL) < 0) {
            return false;
        }
        HWND next = GetNextDlgTabItem(root, GetFocus(), GetKeyState(VK_SHIFT) < 0);
        if (next != nullptr) {
            SetFocus(next);
            if (Control* control = ControlOf(next);
                control != nullptr && control->Kind() == ControlKind::Edit) {
                SendMessageA(next, EM_SETSEL, 0, -1);
            }
        }
        return true;
    }
    case VK_RETURN:
    case VK_ESCAPE: {
        if (FocusInDroppedCombo()) {
            return false;
        }
        const bool enter = msg.wParam == VK_RETURN;
        RunKeyEvent(*form, msg,
                    [form, enter] { enter ? form->PressEnter() : form->PressEscape(); });
        return true;
    }
    case VK_F1:
        app_->RunEvent([form] { form->PressHelp(); });
        return true;
    default:
        return false;
    }
}

bool Win32Ui::PressKeyCommand(Form& form, const MSG& msg) {
    if (FocusInDroppedCombo()) {
        return false;
    }
    KeyPress key{static_cast<unsigned>(msg.wParam), kNoModifier};
    key.modifiers |= GetKeyState(VK_SHIFT) < 0 ? kShift : 0U;
    key.modifiers |= GetKeyState(VK_CONTROL) < 0 ? kCtrl : 0U;
    key.modifiers |= GetKeyState(VK_MENU) < 0 ? kAlt : 0U;
    bool used = false;
    RunKeyEvent(form, msg, [&] { used = form.PressKey(key); });
    if (used && msg.message == WM_SYSKEYDOWN) {
        // Seen by the default handling all the same (not translated: no beep), so that letting
        // go of Alt afterwards does not open the window menu as after Alt pressed alone.
        DefWindowProcA(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    }
    return used;
}

} // namespace velt
