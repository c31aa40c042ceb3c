#include "app/CommandWire.h"
#include "app/OmvexUI.h"
#include "win32/ExecutableName.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32CommandOutput.h"
#include "win32/Win32Commands.h"
#include "win32/Win32ProcessFacts.h"
#include "win32/NamedLock.h"
#include "win32/Win32ProcessLocks.h"
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

} // namespace

Win32CommandChannel::Win32CommandChannel() : self_(OwnProcessFacts()) {}

Win32CommandChannel::~Win32CommandChannel() {
    if (pipe_ != nullptr) {
        CloseHandle(pipe_);
    }
}

// The caller lends its token for identification only: a server cannot act as the caller.
ICommandChannel::Reach Win32CommandChannel::Open() {
    const std::string name = OwnCommandPipeName(self_);
    if (name.empty() || pipe_ != nullptr) {
        return name.empty() ? Reach::NotBelieved : Reach::Believed;
    }
    HANDLE pipe = INVALID_HANDLE_VALUE;
    for (int i = 0; i < kBusyTries && pipe == INVALID_HANDLE_VALUE; ++i) {
        pipe = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
        if (pipe == INVALID_HANDLE_VALUE &&
            (GetLastError() != ERROR_PIPE_BUSY || WaitNamedPipeA(name.c_str(), kBusyWaitMs) == 0)) {
            break;
        }
    }
    if (pipe == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_NOT_FOUND ? Reach::None : Reach::NotBelieved;
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!ServerIsOwnCopy(self_, ServerFacts(pipe, serverId_)) ||
        SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr) == FALSE) {
        CloseHandle(pipe);
        return Reach::NotBelieved;
    }
    pipe_ = pipe;
    // The copy brings its main window to the front for /activate and a plain start.
    AllowSetForegroundWindow(serverId_);
    return Reach::Believed;
}

// Starts the program without arguments and waits until its pipe can be believed.
ICommandChannel::Reach Win32CommandChannel::StartCopy() {
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
    for (DWORD waited = 0; waited < kStartWaitMs; waited += kPollMs) {
        reach = Open();
        if (reach == Reach::Believed ||
            WaitForSingleObject(info.hProcess, kPollMs) != WAIT_TIMEOUT) {
            break;
        }
    }
    CloseHandle(info.hProcess);
    return reach;
}

bool Win32CommandChannel::OtherUserHoldsDriver() {
    return OtherCopyOnMachine(LockStateOf(VeltProbeMachineLock()));
}

// Sends the command and waits for its result, as long as the running copy takes (an activation
// waits for the user).
CommandResult Win32CommandChannel::Send(const Command& command) {
    const std::vector<std::uint8_t> bytes = EncodeCommand(command);
    DWORD done = 0;
    if (pipe_ == nullptr || bytes.empty() ||
        WriteFile(pipe_, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) == FALSE) {
        return {kExitFailed, "The command could not be sent to the running copy."};
    }
    std::uint8_t reply[kMaxReplySize + 1];
    std::optional<CommandResult> result;
    if (ReadFile(pipe_, reply, sizeof reply, &done, nullptr) != FALSE) {
        result = DecodeReply(reply, done);
    }
    if (!result) {
        return {kExitFailed, "The running copy ended without an answer."};
    }
    return *result;
}

void Win32CommandChannel::WriteLine(std::string_view line) {
    WriteRunLine(line);
}

void Win32CommandChannel::ShowBox(std::string_view text, std::string_view caption, bool warning) {
    MessageBoxA(nullptr, std::string(text).c_str(), std::string(caption).c_str(),
                MB_OK | (warning ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
}

} // namespace velt
