#include "app/CommandWire.h"
#include "app/ProgramEvents.h"
#include "forms/Application.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32Commands.h"
#include "win32/Win32ProcessFacts.h"

#include <sddl.h>

#include <memory>
#include <utility>
#include <vector>

namespace velt {

namespace {

constexpr const char* kServerWindowClass = "VeltarionCommandServer";
// How often the pipe and the quit request are looked at: a command waits at most about two
// periods to be taken.
constexpr UINT kPollMs = 100;
constexpr UINT_PTR kPollTimer = 1;
constexpr DWORD kPipeBufferSize = 4096;
// A client that connected has this long to send its command, and the reply this long to go out.
constexpr DWORD kIoWaitMs = 5000;
constexpr int kMaxListenTries = 8;
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

// A connected client whose command is being read.
struct Reading {
    HANDLE pipe = nullptr;
    OVERLAPPED io{};
    std::uint8_t buffer[kMaxCommandSize + 1] = {};
    DWORD since = 0;
};

struct Ready {
    Command command;
    PipeEnd pipe; // none: the installers' quit request
};

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
        // The program's thread cannot go on with another's token.
        ExitProcess(1);
    }
    return facts;
}

// Ends an overlapped operation that has not completed, so that its buffer may go.
void Abandon(HANDLE pipe, OVERLAPPED& io) {
    DWORD unused = 0;
    CancelIo(pipe);
    GetOverlappedResult(pipe, &io, &unused, TRUE);
    CloseHandle(pipe);
}

} // namespace

// The pipe's instances and the clients being read, owned by the windows' thread.
struct Win32CommandServer::State {
    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State() {
        for (const auto& reading : readings) {
            Abandon(reading->pipe, reading->io);
        }
        if (listening != nullptr) {
            Abandon(listening, connect);
        }
        if (quit != nullptr) {
            CloseHandle(quit);
        }
        if (descriptor != nullptr) {
            LocalFree(descriptor);
        }
    }

    // An instance of the pipe this copy created. The first is refused when the name exists
    // (FILE_FLAG_FIRST_PIPE_INSTANCE; a system that ignores the flag, as Wine does, is asked
    // first whether the name answers at all); a further one is made while one of this copy's
    // still exists, so that the name is never free for someone else to take.
    HANDLE CreateInstance(bool first) const {
        if (first &&
            (WaitNamedPipeA(name.c_str(), 1) != FALSE || GetLastError() != ERROR_FILE_NOT_FOUND)) {
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

    // Waits for the next client on the listening instance. A client that connected at once
    // is handed on and the wait starts again on a new instance; an instance that fails is
    // replaced, a few times at most.
    void Listen() {
        for (int tries = 0; listening != nullptr; ++tries) {
            if (tries == kMaxListenTries) {
                CloseHandle(listening);
                listening = nullptr;
                return;
            }
            connect = OVERLAPPED{};
            const bool at = ConnectNamedPipe(listening, &connect) != FALSE;
            const DWORD error = at ? ERROR_PIPE_CONNECTED : GetLastError();
            if (error == ERROR_IO_PENDING) {
                return;
            }
            Replace(error == ERROR_PIPE_CONNECTED);
        }
    }

    // A new listening instance in place of one whose client connected (handed on to be read)
    // or failed (closed).
    void Replace(bool connected) {
        HANDLE next = CreateInstance(false);
        if (connected) {
            StartReading(listening);
        } else {
            CloseHandle(listening);
        }
        listening = next;
    }

    void StartReading(HANDLE pipe) {
        auto reading = std::make_unique<Reading>();
        reading->pipe = pipe;
        reading->since = GetTickCount();
        if (ReadFile(pipe, reading->buffer, sizeof reading->buffer, nullptr, &reading->io) ==
                FALSE &&
            GetLastError() != ERROR_IO_PENDING) {
            // A longer message ends in ERROR_MORE_DATA, a client that left in another error.
            CloseHandle(pipe);
            return;
        }
        readings.push_back(std::move(reading));
    }

    // What became ready since the last look: the quit request, and commands of clients that may
    // command this copy. Calls nothing of the program, so that it never runs twice at once.
    std::vector<Ready> Poll() {
        std::vector<Ready> ready;
        if (quit != nullptr && WaitForSingleObject(quit, 0) == WAIT_OBJECT_0) {
            // Asked once: the program ends as its tray's Quit ends it.
            CloseHandle(quit);
            quit = nullptr;
            ready.push_back({Command{CommandKind::Quit, {}}, PipeEnd()});
        }
        DWORD unused = 0;
        if (listening != nullptr && HasOverlappedIoCompleted(&connect)) {
            Replace(GetOverlappedResult(listening, &connect, &unused, FALSE) != FALSE);
            Listen();
        }
        for (auto at = readings.begin(); at != readings.end();) {
            Reading& reading = **at;
            DWORD read = 0;
            if (!HasOverlappedIoCompleted(&reading.io)) {
                if (GetTickCount() - reading.since > kIoWaitMs) {
                    Abandon(reading.pipe, reading.io);
                    at = readings.erase(at);
                } else {
                    ++at;
                }
                continue;
            }
            std::optional<Command> command;
            if (GetOverlappedResult(reading.pipe, &reading.io, &read, FALSE) != FALSE &&
                ClientMayCommand(self, ClientFacts(reading.pipe))) {
                command = DecodeCommand(reading.buffer, read);
            }
            if (command) {
                ready.push_back({std::move(*command), PipeEnd(reading.pipe)});
            } else {
                CloseHandle(reading.pipe);
            }
            at = readings.erase(at);
        }
        return ready;
    }

    ProcessFacts self;
    std::string name;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    HANDLE quit = nullptr;
    HANDLE listening = nullptr; // the instance waiting for the next client
    OVERLAPPED connect{};
    std::vector<std::unique_ptr<Reading>> readings;
    bool polling = false;
};

std::string OwnCommandPipeName(const ProcessFacts& self) {
    return self.userSid.empty() || !self.session ? std::string()
                                                 : CommandPipeName(self.userSid, *self.session);
}

Win32CommandServer::Win32CommandServer(HINSTANCE instance, Application& app, ICommandTarget& target,
                                       IEventLog& log)
    : app_(app), target_(target), state_(std::make_unique<State>()) {
    State& state = *state_;
    state.quit = OpenQuitRequest(log);
    state.self = OwnProcessFacts();
    state.name = OwnCommandPipeName(state.self);
    // Only this user, and never over the network.
    const std::string sddl = "D:P(D;;GA;;;NU)(A;;GA;;;" + state.self.userSid + ")";
    if (!state.name.empty() &&
        ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                             &state.descriptor, nullptr) != FALSE) {
        state.listening = state.CreateInstance(true);
        const DWORD error = GetLastError();
        if (state.listening == nullptr &&
            (error == ERROR_ACCESS_DENIED || error == ERROR_PIPE_BUSY)) {
            log.Report(CommandPipeTakenEntry(state.name));
        }
        state.Listen();
    }
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &Proc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kServerWindowClass;
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, kServerWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              instance, nullptr);
    if (window_ != nullptr) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetTimer(window_, kPollTimer, kPollMs, nullptr);
    }
}

Win32CommandServer::~Win32CommandServer() {
    if (window_ != nullptr) {
        KillTimer(window_, kPollTimer);
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK Win32CommandServer::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32CommandServer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && message == WM_TIMER && wParam == kPollTimer) {
        self->Tick();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Win32CommandServer::Tick() {
    // A command's event may run a modal loop, whose timer messages come back here: the look at
    // the pipe is never entered twice, the commands it found run outside it.
    State& state = *state_;
    if (state.polling) {
        return;
    }
    state.polling = true;
    const std::vector<Ready> ready = state.Poll();
    state.polling = false;
    for (const Ready& item : ready) {
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
