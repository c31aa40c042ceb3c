#include "app/CommandWire.h"
#include "app/OmvexUI.h"
#include "app/ProgramEvents.h"
#include "win32/ExecutableName.h"
#include "win32/NamedLock.h"
#include "win32/Win32Commands.h"
#include "win32/Win32ProcessLocks.h"

namespace velt {

namespace {

constexpr const char* kReplyWindowClass = "VeltarionCommandCaller";
// How long a copy started for /activate may take to open its command window.
constexpr DWORD kStartWaitMs = 60U * 1000U;
constexpr DWORD kPollMs = 50;
// A copy that answers no message for this long is taken as hung (SMTO_ABORTIFHUNG); otherwise
// the caller waits as long as the command needs (a box about a refused stop stays open until read).
constexpr UINT kSendTimeoutMs = 0x7FFFFFFF;

// Starts the program without arguments and waits for its command window; null when it ended or
// never opened one.
HWND StartCopy(HANDLE& process) {
    const std::string exe = ExecutableFileName();
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (exe.empty() || !CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                       nullptr, nullptr, &startup, &info)) {
        return nullptr;
    }
    CloseHandle(info.hThread);
    process = info.hProcess;
    for (DWORD waited = 0; waited < kStartWaitMs; waited += kPollMs) {
        if (HWND window = FindWindowA(kCommandWindowClass, nullptr); window != nullptr) {
            return window;
        }
        if (WaitForSingleObject(process, kPollMs) != WAIT_TIMEOUT) {
            return nullptr;
        }
    }
    return nullptr;
}

int CodeOf(WPARAM value) {
    return value <= kExitInactive ? static_cast<int>(value) : kExitFailed;
}

// Waits for the result of a pending command, or for the copy carrying it out to end.
int AwaitResult(HWND reply, HANDLE process) {
    const UINT resultMessage = RegisterWindowMessageA(kCommandResultMessage);
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, reply, 0, 0, PM_REMOVE)) {
            if (msg.message == resultMessage) {
                return CodeOf(msg.wParam);
            }
            DispatchMessageA(&msg);
        }
        if (process == nullptr) {
            return kExitFailed;
        }
        const DWORD wait = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) {
            // Ended: a result it posted on the way out is still in the queue.
            const bool posted =
                PeekMessageA(&msg, reply, resultMessage, resultMessage, PM_REMOVE) != 0;
            return posted ? CodeOf(msg.wParam) : kExitFailed;
        }
        if (wait == WAIT_FAILED) {
            return kExitFailed;
        }
    }
}

int Send(const Command& command, HWND target, HANDLE process) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kReplyWindowClass;
    RegisterClassA(&windowClass);
    HWND reply = CreateWindowExA(0, kReplyWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 windowClass.hInstance, nullptr);
    if (reply == nullptr) {
        return kExitFailed;
    }
    auto bytes = EncodeCommand(
        {command, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(reply))});
    COPYDATASTRUCT data{kCommandMagic, static_cast<DWORD>(bytes.size()), bytes.data()};
    DWORD_PTR answer = 0;
    int code = kExitFailed;
    if (!bytes.empty() && SendMessageTimeoutA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(reply),
                                              reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                              kSendTimeoutMs, &answer) != 0) {
        if (answer == kCommandPending) {
            code = AwaitResult(reply, process);
        } else if (answer >= kCommandAnswer) {
            code = CodeOf(answer - kCommandAnswer);
        }
    }
    DestroyWindow(reply);
    return code;
}

} // namespace

int RunCommandLine(const Command& command, IEventLog& log) {
    if (command.kind == CommandKind::Usage || command.kind == CommandKind::BadUsage) {
        MessageBoxA(
            nullptr, kUsageText, kUsageCaption,
            MB_OK | (command.kind == CommandKind::Usage ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
        return command.kind == CommandKind::Usage ? kExitDone : kExitBadUsage;
    }
    HANDLE process = nullptr;
    HWND target = FindWindowA(kCommandWindowClass, nullptr);
    DWORD owner = 0;
    if (target != nullptr && GetWindowThreadProcessId(target, &owner) != 0) {
        // The copy of another user on this desktop is never told anything.
        if (!SameUserAndSession(owner)) {
            return kExitOtherUser;
        }
        process = OpenProcess(SYNCHRONIZE, FALSE, owner);
        // The copy brings its main window to the front for /activate.
        AllowSetForegroundWindow(owner);
    } else if (command.kind != CommandKind::Activate) {
        return command.kind == CommandKind::Status ? kExitInactive : kExitDone;
    } else if (OtherCopyOnMachine(LockStateOf(VeltProbeMachineLock()))) {
        log.Report(OtherUserLockEntry());
        return kExitOtherUser;
    } else {
        target = StartCopy(process);
    }
    const int code = target == nullptr ? kExitFailed : Send(command, target, process);
    if (process != nullptr) {
        CloseHandle(process);
    }
    return code;
}

} // namespace velt
