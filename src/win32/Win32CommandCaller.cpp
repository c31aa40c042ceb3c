#include "app/CommandWire.h"
#include "app/OmvexUI.h"
#include "app/ProgramEvents.h"
#include "win32/ExecutableName.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32CommandOutput.h"
#include "win32/Win32Commands.h"
#include "win32/Win32ProcessFacts.h"
#include "win32/Win32Security.h"

#include <aclapi.h>

namespace velt {

namespace {

// How long a copy started for /activate may take to open its pipe.
constexpr DWORD kStartWaitMs = 60U * 1000U;
constexpr DWORD kPollMs = 50;
// How long a pipe whose instances are all busy is waited for, each time.
constexpr DWORD kBusyWaitMs = 2000;
constexpr int kBusyTries = 5;

// Another user's copy holds the machine lock when its mutex cannot be had, even just to look.
bool MachineLockHeldByOther() {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kMachineMutexName);
    if (mutex == nullptr) {
        return GetLastError() != ERROR_FILE_NOT_FOUND;
    }
    const DWORD wait = WaitForSingleObject(mutex, 0);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        ReleaseMutex(mutex);
    }
    CloseHandle(mutex);
    return wait == WAIT_TIMEOUT || wait == WAIT_FAILED;
}

// The pipe's server as the system names it; on a system that cannot (Windows XP), the pipe's
// owner stands for it.
ProcessFacts ServerFacts(HANDLE pipe, DWORD& processId) {
    using ServerProcessId = BOOL(WINAPI*)(HANDLE, PULONG);
    if (const auto serverId = Kernel32Export<ServerProcessId>("GetNamedPipeServerProcessId")) {
        ULONG id = 0;
        processId = serverId(pipe, &id) != FALSE ? id : 0;
        return processId != 0 ? ProcessFactsOf(processId) : ProcessFacts{};
    }
    ProcessFacts facts;
    facts.pipeOwnerOnly = true;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(pipe, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) == ERROR_SUCCESS) {
        facts.userSid = SidText(owner);
        LocalFree(descriptor);
    }
    return facts;
}

enum class Reach { None, Believed, NotBelieved };

// Opens the pipe of this user and session and judges its server before anything is sent.
// The caller lends its token for identification only: a server cannot act as the caller.
Reach OpenRunningCopy(const ProcessFacts& self, HANDLE& pipe, DWORD& serverId) {
    const std::string name = OwnCommandPipeName(self);
    if (name.empty()) {
        return Reach::None;
    }
    pipe = INVALID_HANDLE_VALUE;
    for (int i = 0; i < kBusyTries && pipe == INVALID_HANDLE_VALUE; ++i) {
        pipe = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
        if (pipe == INVALID_HANDLE_VALUE &&
            (GetLastError() != ERROR_PIPE_BUSY || WaitNamedPipeA(name.c_str(), kBusyWaitMs) == 0)) {
            break;
        }
    }
    if (pipe == INVALID_HANDLE_VALUE) {
        pipe = nullptr;
        return GetLastError() == ERROR_FILE_NOT_FOUND ? Reach::None : Reach::NotBelieved;
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!ServerIsOwnCopy(self, ServerFacts(pipe, serverId)) ||
        SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr) == FALSE) {
        CloseHandle(pipe);
        pipe = nullptr;
        return Reach::NotBelieved;
    }
    return Reach::Believed;
}

// Sends the command and waits for its result, as long as the running copy takes (an activation
// waits for the user).
CommandResult Send(HANDLE pipe, const Command& command) {
    const std::vector<std::uint8_t> bytes = EncodeCommand(command);
    DWORD done = 0;
    if (bytes.empty() || WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &done,
                                   nullptr) == FALSE) {
        return {kExitFailed, "The command could not be sent to the running copy."};
    }
    std::uint8_t reply[kMaxReplySize + 1];
    std::optional<CommandResult> result;
    if (ReadFile(pipe, reply, sizeof reply, &done, nullptr) != FALSE) {
        result = DecodeReply(reply, done);
    }
    if (!result) {
        return {kExitFailed, "The running copy ended without an answer."};
    }
    return *result;
}

// Starts the program without arguments and waits until its pipe can be believed.
Reach StartCopy(const ProcessFacts& self, HANDLE& pipe, DWORD& serverId) {
    const std::string exe = ExecutableFileName();
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (exe.empty() || !CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                       nullptr, nullptr, &startup, &info)) {
        return Reach::None;
    }
    CloseHandle(info.hThread);
    Reach reach = Reach::None;
    for (DWORD waited = 0; waited < kStartWaitMs && reach != Reach::Believed; waited += kPollMs) {
        reach = OpenRunningCopy(self, pipe, serverId);
        if (reach != Reach::Believed && WaitForSingleObject(info.hProcess, kPollMs) != WAIT_TIMEOUT) {
            break;
        }
    }
    CloseHandle(info.hProcess);
    return reach;
}

CommandResult Carry(const Command& command, IEventLog& log) {
    const ProcessFacts self = OwnProcessFacts();
    HANDLE pipe = nullptr;
    DWORD serverId = 0;
    Reach reach = OpenRunningCopy(self, pipe, serverId);
    if (reach == Reach::None && MachineLockHeldByOther()) {
        log.Report(OtherUserLockEntry());
        return {kExitOtherUser, {}};
    }
    if (reach != Reach::Believed && command.kind == CommandKind::Activate) {
        reach = StartCopy(self, pipe, serverId);
    }
    if (reach == Reach::None) {
        // No copy runs for this user in this session: protection is off, nothing to change.
        return {command.kind == CommandKind::Status ? kExitInactive : kExitDone, {}};
    }
    if (reach == Reach::NotBelieved) {
        return {kExitFailed, "The command pipe is not Veltarion's: nothing was sent."};
    }
    // The copy brings its main window to the front for /activate.
    AllowSetForegroundWindow(serverId);
    CommandResult result = Send(pipe, command);
    CloseHandle(pipe);
    return result;
}

} // namespace

int RunCommandLine(const Command& command, IEventLog& log) {
    if (command.kind == CommandKind::Usage || command.kind == CommandKind::BadUsage) {
        const bool usage = command.kind == CommandKind::Usage;
        const int code = usage ? kExitDone : kExitBadUsage;
        WriteRunLine(usage ? UsageText(UsageLayout::Console) : ResultLine(command.kind, code));
        if (!command.silent) {
            MessageBoxA(nullptr, UsageText(UsageLayout::Box).c_str(), kUsageCaption,
                        MB_OK | (usage ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
        }
        return code;
    }
    CommandResult result = Carry(command, log);
    const bool answered = result.code == kExitDone || result.code == kExitInactive;
    if (result.line.empty() || (command.kind == CommandKind::Status && answered)) {
        result.line = ResultLine(command.kind, result.code);
    }
    WriteRunLine(result.line);
    return result.code;
}

bool ShowRunningCopy() {
    HANDLE pipe = nullptr;
    DWORD serverId = 0;
    if (OpenRunningCopy(OwnProcessFacts(), pipe, serverId) != Reach::Believed) {
        return false;
    }
    AllowSetForegroundWindow(serverId);
    const CommandResult result = Send(pipe, Command{CommandKind::Start, {}});
    CloseHandle(pipe);
    return result.code == kExitDone;
}

} // namespace velt
