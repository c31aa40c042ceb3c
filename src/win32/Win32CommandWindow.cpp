#include "app/CommandWire.h"
#include "app/CommandTarget.h"
#include "forms/Application.h"
#include "win32/ProcessUser.h"
#include "win32/Win32Commands.h"

#include <utility>
#include <vector>

namespace velt {

bool SameUserAndSession(DWORD processId) {
    DWORD session = 0;
    DWORD own = 0;
    if (processId == 0 || !ProcessIdToSessionId(processId, &session) ||
        !ProcessIdToSessionId(GetCurrentProcessId(), &own) || session != own) {
        return false;
    }
    // The narrower right where the system has it (an elevated process lets no more through).
    constexpr DWORD kQueryLimitedInformation = 0x1000;
    HANDLE process = OpenProcess(kQueryLimitedInformation, FALSE, processId);
    if (process == nullptr) {
        process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    }
    if (process == nullptr) {
        return false;
    }
    const std::vector<BYTE> theirs = ProcessUser(process);
    CloseHandle(process);
    const std::vector<BYTE> ours = ProcessUser(GetCurrentProcess());
    if (theirs.empty() || ours.empty()) {
        return false;
    }
    return EqualSid(reinterpret_cast<const TOKEN_USER*>(theirs.data())->User.Sid,
                    reinterpret_cast<const TOKEN_USER*>(ours.data())->User.Sid) != FALSE;
}

Win32CommandWindow::Win32CommandWindow(HINSTANCE instance, Application& app, ICommandTarget& target)
    : app_(app), target_(target), resultMessage_(RegisterWindowMessageA(kCommandResultMessage)) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &Proc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kCommandWindowClass;
    RegisterClassA(&windowClass);
    // A hidden top-level window: found by class from this desktop, and so this session, only.
    window_ = CreateWindowExA(0, kCommandWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              instance, nullptr);
    if (window_ != nullptr) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
}

Win32CommandWindow::~Win32CommandWindow() {
    if (window_ != nullptr) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK Win32CommandWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32CommandWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && message == WM_COPYDATA && lParam != 0) {
        return self->Take(reinterpret_cast<HWND>(wParam),
                          *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT Win32CommandWindow::Take(HWND sender, const COPYDATASTRUCT& data) {
    // Anything but a command is refused before its bytes are looked at.
    const auto wire =
        DecodeCommand(static_cast<std::uint32_t>(data.dwData), data.lpData, data.cbData);
    if (!wire) {
        return 0;
    }
    if (app_.Terminated()) {
        return kCommandAnswer + kExitFailed; // ending: the window may be gone already
    }
    const HWND reply = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(wire->replyWindow));
    DWORD caller = 0;
    if (reply != sender || !IsWindow(reply) || GetWindowThreadProcessId(reply, &caller) == 0 ||
        !SameUserAndSession(caller)) {
        return kCommandAnswer + kExitFailed;
    }
    // A result given while the command is being taken is the answer; a later one goes to the
    // reply window. (Another command may be taken meanwhile, from a nested message loop.)
    const unsigned call = ++calls_;
    const unsigned outer = std::exchange(taking_, call);
    const int outerAnswer = std::exchange(answer_, -1);
    const UINT resultMessage = resultMessage_;
    app_.RunEvent([&] {
        target_.RunCommand(wire->command, [this, call, reply, resultMessage](CommandResult result) {
            if (taking_ == call) {
                answer_ = result.code;
            } else {
                PostMessageA(reply, resultMessage, static_cast<WPARAM>(result.code), 0);
            }
        });
    });
    const int answer = std::exchange(answer_, outerAnswer);
    taking_ = outer;
    return answer >= 0 ? kCommandAnswer + answer : kCommandPending;
}

} // namespace velt
