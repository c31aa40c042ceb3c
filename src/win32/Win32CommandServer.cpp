#include "app/CommandWire.h"
#include "app/ProgramEvents.h"
#include "forms/Application.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32Commands.h"
#include "win32/Win32ProcessFacts.h"

#include <sddl.h>

#include <vector>
#include <utility>

namespace velt {

namespace {

constexpr const char* kServerWindowClass = "VeltarionCommandServer";
// Posted to the server's window: "look at the queue". Whoever else posts it finds nothing there.
constexpr UINT kWakeMessage = WM_APP + 1;
constexpr DWORD kPipeBufferSize = 4096;
// A client that connected has this long to send its command, and the reply this long to go out.
constexpr DWORD kIoWaitMs = 5000;
constexpr SIZE_T kListenStackSize = 64U * 1024U;
constexpr DWORD kStackSizeIsReservation = 0x00010000; // STACK_SIZE_PARAM_IS_A_RESERVATION
// PIPE_REJECT_REMOTE_CLIENTS, which Windows XP does not know (it would refuse the call).
constexpr DWORD kRejectRemoteClients = 0x00000008;

// One connected client's end of the pipe, shared by the copies of the reply that carries the
// command's result; closed with the last of them, so that a command that never answered (its
// event failed) still lets its caller go. Copied and destroyed on the windows' thread only.
class PipeEnd {
  public:
    PipeEnd() = default;
    explicit PipeEnd(HANDLE pipe) : shared_(new Owned{pipe, 1}) {}
    PipeEnd(const PipeEnd& other) : shared_(other.shared_) {
        if (shared_ != nullptr) {
            ++shared_->owners;
        }
    }
    PipeEnd& operator=(const PipeEnd&) = delete;
    ~PipeEnd() {
        if (shared_ != nullptr && --shared_->owners == 0) {
            Close();
            delete shared_;
        }
    }
    explicit operator bool() const { return shared_ != nullptr; }

    // Writes the result and closes the pipe: what was written stays for the client to read.
    void Reply(const CommandResult& result) const {
        if (shared_ == nullptr || shared_->pipe == nullptr) {
            return;
        }
        const std::vector<std::uint8_t> bytes = EncodeReply(result);
        OVERLAPPED io{};
        io.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        DWORD written = 0;
        if (io.hEvent != nullptr &&
            WriteFile(shared_->pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                      &io) == FALSE &&
            GetLastError() == ERROR_IO_PENDING &&
            WaitForSingleObject(io.hEvent, kIoWaitMs) != WAIT_OBJECT_0) {
            CancelIo(shared_->pipe);
        }
        if (io.hEvent != nullptr) {
            GetOverlappedResult(shared_->pipe, &io, &written, TRUE);
            CloseHandle(io.hEvent);
        }
        Close();
    }

  private:
    struct Owned {
        HANDLE pipe;
        int owners;
    };
    void Close() const {
        if (shared_->pipe != nullptr) {
            CloseHandle(shared_->pipe);
            shared_->pipe = nullptr;
        }
    }
    Owned* shared_ = nullptr;
};

struct Queued {
    Command command;
    PipeEnd pipe; // none: the installers' quit request
};

} // namespace

// What the listening thread and the windows' thread share: the queue under its lock, and the
// objects both read but neither changes after the start.
struct Win32CommandServer::Shared {
    Shared() { InitializeCriticalSection(&lock); }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;
    ~Shared() {
        for (HANDLE handle : {stop, quit, listening}) {
            if (handle != nullptr) {
                CloseHandle(handle);
            }
        }
        if (descriptor != nullptr) {
            LocalFree(descriptor);
        }
        DeleteCriticalSection(&lock);
    }

    void Push(Queued item) {
        EnterCriticalSection(&lock);
        queue.push_back(std::move(item));
        LeaveCriticalSection(&lock);
        PostMessageA(window, kWakeMessage, 0, 0);
    }
    std::vector<Queued> TakeAll() {
        EnterCriticalSection(&lock);
        std::vector<Queued> items = std::move(queue);
        queue.clear();
        LeaveCriticalSection(&lock);
        return items;
    }

    // A further instance of the pipe this copy created; never the first, which would be someone
    // else's when this copy's are all gone.
    HANDLE CreateInstance(bool first) const {
        // FILE_FLAG_FIRST_PIPE_INSTANCE refuses a name that exists; a system that ignores the
        // flag (Wine) is asked first whether the name answers at all.
        if (first && (WaitNamedPipeA(name.c_str(), 1) != FALSE ||
                      GetLastError() != ERROR_FILE_NOT_FOUND)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
        const DWORD mode = PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT |
                           (LOBYTE(LOWORD(GetVersion())) >= 6 ? kRejectRemoteClients : 0U);
        HANDLE pipe = CreateNamedPipeA(name.c_str(),
                                       PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED |
                                           (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0U),
                                       mode, PIPE_UNLIMITED_INSTANCES, kPipeBufferSize,
                                       kPipeBufferSize, 0, &attributes);
        return pipe == INVALID_HANDLE_VALUE ? nullptr : pipe;
    }

    CRITICAL_SECTION lock;
    std::vector<Queued> queue;
    HWND window = nullptr;
    ProcessFacts self;
    std::string name;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    HANDLE stop = nullptr;
    HANDLE quit = nullptr;
    HANDLE listening = nullptr; // the instance waiting for the next client
};

namespace {

// Waits for an overlapped operation on `pipe` or the server's end; false (the operation
// cancelled) when it did not complete in `timeoutMs`, or the server ends.
bool AwaitIo(HANDLE pipe, OVERLAPPED& io, HANDLE stop, DWORD timeoutMs, DWORD& transferred) {
    const HANDLE waits[] = {io.hEvent, stop};
    const DWORD wait = WaitForMultipleObjects(2, waits, FALSE, timeoutMs);
    if (wait != WAIT_OBJECT_0) {
        CancelIo(pipe);
    }
    return GetOverlappedResult(pipe, &io, &transferred, TRUE) != FALSE && wait == WAIT_OBJECT_0;
}

// The client's facts: from its process where the system names it, else from the token it
// lends the pipe (at identification level, which is enough to read it).
ProcessFacts ClientFacts(HANDLE pipe) {
    using ClientProcessId = BOOL(WINAPI*)(HANDLE, PULONG);
    if (const auto clientId = Kernel32Export<ClientProcessId>("GetNamedPipeClientProcessId")) {
        ULONG id = 0;
        return clientId(pipe, &id) != FALSE && id != 0 ? ProcessFactsOf(id) : ProcessFacts{};
    }
    ProcessFacts facts;
    if (ImpersonateNamedPipeClient(pipe) == FALSE) {
        return facts;
    }
    HANDLE token = nullptr;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) != FALSE) {
        facts = TokenFacts(token);
        CloseHandle(token);
    }
    if (RevertToSelf() == FALSE) {
        // A thread that cannot return to its own token must not go on serving.
        ExitThread(1);
    }
    return facts;
}

// Reads the one message of a connected client and queues its command when the client may
// command this copy and the message is a command; otherwise the client is dropped unanswered.
void Serve(Win32CommandServer::Shared& shared, HANDLE pipe) {
    std::uint8_t buffer[kMaxCommandSize + 1];
    OVERLAPPED io{};
    io.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD read = 0;
    bool got = false;
    if (io.hEvent != nullptr) {
        got =
            ReadFile(pipe, buffer, sizeof buffer, &read, &io) != FALSE ||
            (GetLastError() == ERROR_IO_PENDING && AwaitIo(pipe, io, shared.stop, kIoWaitMs, read));
        CloseHandle(io.hEvent);
    }
    // A longer message ends in ERROR_MORE_DATA and is refused with the rest.
    std::optional<Command> command;
    if (got && ClientMayCommand(shared.self, ClientFacts(pipe))) {
        command = DecodeCommand(buffer, read);
    }
    if (!command) {
        CloseHandle(pipe);
        return;
    }
    shared.Push({std::move(*command), PipeEnd(pipe)});
}

DWORD WINAPI Listen(void* parameter) {
    auto& shared = *static_cast<Win32CommandServer::Shared*>(parameter);
    OVERLAPPED io{};
    io.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE quit = shared.quit;
    while (io.hEvent != nullptr && shared.listening != nullptr) {
        ResetEvent(io.hEvent);
        bool connected = ConnectNamedPipe(shared.listening, &io) != FALSE ||
                         GetLastError() == ERROR_PIPE_CONNECTED;
        if (!connected && GetLastError() == ERROR_IO_PENDING) {
            for (;;) {
                const HANDLE waits[] = {io.hEvent, shared.stop, quit};
                const DWORD wait =
                    WaitForMultipleObjects(quit != nullptr ? 3 : 2, waits, FALSE, INFINITE);
                if (wait == WAIT_OBJECT_0 + 2) {
                    // Asked once: the program ends as its tray's Quit ends it.
                    quit = nullptr;
                    shared.Push({Command{CommandKind::Quit, {}}, PipeEnd()});
                    continue;
                }
                DWORD unused = 0;
                if (wait != WAIT_OBJECT_0) {
                    CancelIo(shared.listening);
                }
                connected = GetOverlappedResult(shared.listening, &io, &unused, TRUE) != FALSE &&
                            wait == WAIT_OBJECT_0;
                break;
            }
        }
        if (WaitForSingleObject(shared.stop, 0) == WAIT_OBJECT_0) {
            break;
        }
        // The next instance exists before this one is handed on, so that the name is never
        // free for someone else to take.
        HANDLE next = shared.CreateInstance(false);
        if (connected) {
            Serve(shared, shared.listening);
        } else {
            CloseHandle(shared.listening);
        }
        shared.listening = next;
    }
    if (io.hEvent != nullptr) {
        CloseHandle(io.hEvent);
    }
    // Without a pipe of its own (its name taken), the copy still hears the installers.
    const HANDLE waits[] = {shared.stop, quit};
    if (quit != nullptr && WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        shared.Push({Command{CommandKind::Quit, {}}, PipeEnd()});
        WaitForSingleObject(shared.stop, INFINITE);
    }
    return 0;
}

} // namespace

std::string OwnCommandPipeName(const ProcessFacts& self) {
    return self.userSid.empty() || !self.session ? std::string()
                                                 : CommandPipeName(self.userSid, *self.session);
}

Win32CommandServer::Win32CommandServer(HINSTANCE instance, Application& app, ICommandTarget& target,
                                       IEventLog& log)
    : app_(app), target_(target), shared_(std::make_unique<Shared>()) {
    Shared& shared = *shared_;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &Proc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kServerWindowClass;
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, kServerWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              instance, nullptr);
    if (window_ == nullptr) {
        return;
    }
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    shared.window = window_;
    shared.quit = OpenQuitRequest(log);
    shared.self = OwnProcessFacts();
    shared.name = OwnCommandPipeName(shared.self);
    // Only this user, and never over the network.
    const std::string sddl = "D:P(D;;GA;;;NU)(A;;GA;;;" + shared.self.userSid + ")";
    shared.stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (shared.stop == nullptr) {
        return;
    }
    if (!shared.name.empty() &&
        ConvertStringSecurityDescriptorToSecurityDescriptorA(
            sddl.c_str(), SDDL_REVISION_1, &shared.descriptor, nullptr) != FALSE) {
        shared.listening = shared.CreateInstance(true);
    }
    if (shared.listening == nullptr && shared.descriptor != nullptr) {
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED || error == ERROR_PIPE_BUSY) {
            log.Report(CommandPipeTakenEntry(shared.name));
        }
    }
    if (shared.listening != nullptr || shared.quit != nullptr) {
        // A small stack reserved for the thread, which only waits and reads short messages.
        thread_ = CreateThread(nullptr, kListenStackSize, &Listen, &shared,
                               kStackSizeIsReservation, nullptr);
    }
}

Win32CommandServer::~Win32CommandServer() {
    if (thread_ != nullptr) {
        SetEvent(shared_->stop);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    if (window_ != nullptr) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK Win32CommandServer::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32CommandServer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && message == kWakeMessage) {
        self->RunQueued();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Win32CommandServer::RunQueued() {
    for (const Queued& item : shared_->TakeAll()) {
        const PipeEnd& pipe = item.pipe;
        if (app_.Terminated()) {
            pipe.Reply({kExitFailed, "Veltarion is ending."});
            continue;
        }
        auto reply = [pipe](const CommandResult& result) { pipe.Reply(result); };
        app_.RunEvent([&] { target_.RunCommand(item.command, reply); });
    }
}

} // namespace velt
