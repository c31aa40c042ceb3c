// The message loops: waiting for a message, dispatching what is pending, waking a waiting loop.
#include "win32/Win32Ui.h"

#include "forms/Application.h"

namespace velt {

// Messages are taken and dispatched as Unicode, so a character typed into an edit reaches it
// whole; the forms' own procedures still receive ANSI messages, converted by the system.
void Win32Ui::Dispatch(MSG& msg) {
    if (!PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Win32Ui::WaitAndDispatch() {
    MSG msg{};
    const BOOL result = GetMessageW(&msg, nullptr, 0, 0);
    if (result == 0 || result == -1) {
        if (app_ != nullptr) {
            app_->RequestTerminate();
        }
        return;
    }
    Dispatch(msg);
}

void Win32Ui::ProcessPending() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            if (app_ != nullptr) {
                app_->RequestTerminate();
            }
            return;
        }
        Dispatch(msg);
    }
}

void Win32Ui::WakeUp() {
    // Asked to end: the dialog boxes open now (their own loops) end first, then every modal
    // show's loop and the main loop see the request.
    if (app_ != nullptr && app_->Terminated()) {
        Win32ModalStack::EndOpenDialogs();
    }
    PostMessageA(appWindow_, WM_NULL, 0, 0);
}

} // namespace velt
