// The command line between two copies of the program of one user in one session. The running copy
// serves a named pipe named for its user and session, which only that user may open; a copy
// started with a command checks that the pipe's server is the program of the same user and
// session before it sends anything, and takes the reply as its exit code and output line.
#pragma once

#include "app/CommandChannel.h"
#include "app/CommandLine.h"
#include "app/CommandTarget.h"
#include "platform/EventLog.h"

#include <windows.h>

#include <memory>

namespace velt {

class Application;

// The running copy's side: commands go to `target`, each as one event of `app`, on the thread of
// the windows; the pipe is served by a thread of its own, which hands each judged and decoded
// command over through a message-only window. Also waits for the installers' quit request.
class Win32CommandServer {
  public:
    Win32CommandServer(HINSTANCE instance, Application& app, ICommandTarget& target,
                       IEventLog& log);
    Win32CommandServer(const Win32CommandServer&) = delete;
    Win32CommandServer& operator=(const Win32CommandServer&) = delete;
    ~Win32CommandServer();

    struct Shared;

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void RunQueued();

    Application& app_;
    ICommandTarget& target_;
    std::unique_ptr<Shared> shared_;
    HWND window_ = nullptr;
    HANDLE thread_ = nullptr;
};

// The installers' quit request, a global event only SYSTEM and Administrators may set: created
// here, or opened and believed only when its owner and access list say the same. Null when it
// cannot be had or is not believed (the Event Log says so).
HANDLE OpenQuitRequest(IEventLog& log);

// The pipe's name for this process's user and session; empty when they cannot be read.
std::string OwnCommandPipeName(const ProcessFacts& self);

// The caller's side: carries the command out through the running copy of this user and session,
// or for /activate through a copy it starts; writes the run's line and returns the exit code.
int RunCommandLine(const Command& command, IEventLog& log);

// A plain start: true when a running copy of this user and session took it (and shows its main
// window); false when there is none to believe, and this copy starts as usual.
bool ShowRunningCopy();

} // namespace velt
