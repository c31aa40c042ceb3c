#include "win32/Win32ModalStack.h"

#include <algorithm>

namespace velt {

namespace {

constexpr const char* kDialogBoxClass = "#32770"; // message boxes and the browse dialog

bool IsDialogBox(HWND window) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, kDialogBoxClass) == 0;
}

// The thread's usable window highest in the z-order that `wanted` accepts.
template <class Wanted> HWND Topmost(Wanted wanted) {
    const DWORD thread = GetCurrentThreadId();
    for (HWND window = GetTopWindow(nullptr); window != nullptr;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetWindowThreadProcessId(window, nullptr) == thread && Usable(window) &&
            wanted(window)) {
            return window;
        }
    }
    return nullptr;
}

struct EnumState {
    HWND modal;
    std::vector<HWND>* windows;
};

BOOL CALLBACK CollectEnabled(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<EnumState*>(param);
    if (window != state->modal && IsWindowVisible(window) && IsWindowEnabled(window)) {
        state->windows->push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK EndDialogBox(HWND window, LPARAM) {
    if (IsDialogBox(window)) {
        EndDialog(window, IDCANCEL);
    }
    return TRUE;
}

} // namespace

bool Usable(HWND window) {
    return window != nullptr && IsWindow(window) && IsWindowVisible(window) &&
           IsWindowEnabled(window);
}

void Win32ModalStack::Begin(HWND modal) {
    std::vector<HWND> windows;
    EnumState state{modal, &windows};
    EnumThreadWindows(GetCurrentThreadId(), &CollectEnabled, reinterpret_cast<LPARAM>(&state));
    for (HWND window : windows) {
        EnableWindow(window, FALSE);
    }
    // Remember the active window to give the activation back to at the end.
    windows.insert(windows.begin(), GetActiveWindow());
    disabled_.push_back(std::move(windows));
    modal_.push_back(modal);
}

void Win32ModalStack::End() {
    if (disabled_.empty()) {
        return;
    }
    std::vector<HWND> windows = std::move(disabled_.back());
    disabled_.pop_back();
    modal_.pop_back();
    for (std::size_t i = 1; i < windows.size(); ++i) {
        if (IsWindow(windows[i])) {
            EnableWindow(windows[i], TRUE);
        }
    }
    // Before the dialog hides, so that the activation returns to the window it came from.
    if (windows[0] != nullptr && IsWindow(windows[0]) && IsWindowVisible(windows[0])) {
        SetActiveWindow(windows[0]);
    }
}

void Win32ModalStack::KeepBehind(HWND window) {
    if (modal_.empty() || window == modal_.back() || !IsWindowEnabled(window)) {
        return;
    }
    EnableWindow(window, FALSE);
    disabled_.back().push_back(window); // enabled again when the show ends
}

HWND Win32ModalStack::Front() const {
    return Topmost([this](HWND window) { return isForm_(window) || IsDialogBox(window); });
}

HWND Win32ModalStack::OpenDialog() const {
    return Topmost([this](HWND window) {
        return IsDialogBox(window) ||
               std::find(modal_.begin(), modal_.end(), window) != modal_.end();
    });
}

void Win32ModalStack::EndOpenDialogs() {
    EnumThreadWindows(GetCurrentThreadId(), &EndDialogBox, 0);
}

} // namespace velt
