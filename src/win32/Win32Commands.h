// The command line between two copies of the program of one user in one session. The running copy
// serves a named pipe named for its user and session, which only that user may open; a copy
// started with a command checks that the pipe's server is the program of the same user and
// session before it sends anything, and takes the reply as its exit code and output line.
#pragma once

#include "app/CommandCaller.h"
#include "app/CommandChannel.h"
#include "app/CommandLine.h"
#include "app/CommandTarget.h"
#include "platform/EventLog.h"

#include <windows.h>

#include <memory>

namespace velt {

class Application;

// The running copy's side: commands go to `target`, each as one event of `app`, on the thread of
// the windows. The pipe is served with overlapped I/O that a timer of a message-only window looks
// at, so that it goes on while a modal window runs its own loop (a thread of its own would cost
// the program about a megabyte under Wine). Also watches the installers' quit request.
class Win32CommandServer {
  public:
    Win32CommandServer(HINSTANCE instance, Application& app, ICommandTarget& target,
                       IEventLog& log);
    Win32CommandServer(const Win32CommandServer&) = delete;
    Win32CommandServer& operator=(const Win32CommandServer&) = delete;
    ~Win32CommandServer();

    struct State;

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Tick();

    Application& app_;
    ICommandTarget& target_;
    std::unique_ptr<State> state_;
    HWND window_ = nullptr;
    // The command being taken, and its answer once given.
    unsigned calls_ = 0;
    unsigned taking_ = 0;
    int answer_ = -1;
};

// The installers' quit request, a global event only SYSTEM and Administrators may set: created
// here, or opened and believed only when its owner and access list say the same. Null when it
// cannot be had or is not believed (the Event Log says so).
HANDLE OpenQuitRequest(IEventLog& log);

// The pipe's name for this process's user and session; empty when they cannot be read.
std::string OwnCommandPipeName(const ProcessFacts& self);

// The caller's side: the pipe of this user and session, judged before anything is sent; the
// run's line on its output, and the usage box.
class Win32CommandChannel final : public ICommandChannel {
  public:
    Win32CommandChannel();
    Win32CommandChannel(const Win32CommandChannel&) = delete;
    Win32CommandChannel& operator=(const Win32CommandChannel&) = delete;
    ~Win32CommandChannel() override;

    Reach Open() override;
    Reach StartCopy() override;
    bool OtherUserHoldsDriver() override;
    CommandResult Send(const Command& command) override;
    void WriteLine(std::string_view line) override;
    void ShowBox(std::string_view text, std::string_view caption, bool warning) override;

  private:
    ProcessFacts self_;
    HANDLE pipe_ = nullptr;
    DWORD serverId_ = 0;
};

} // namespace velt
