// The command line between two copies of the program in one session. The running copy keeps a
// hidden window of its own class that takes commands in WM_COPYDATA; a copy started with a command
// finds it, sends the command and waits for the result, which becomes its exit code.
#pragma once

#include "app/CommandLine.h"
#include "platform/EventLog.h"

#include <windows.h>

namespace velt {

class Application;
class ICommandTarget;

inline constexpr const char* kCommandWindowClass = "VeltarionCommand";

// Whether the process runs in this process's log-on session and for its user; false when either
// cannot be told.
bool SameUserAndSession(DWORD processId);

// The running copy's side: commands go to `target`, each as one event of `app`.
class Win32CommandWindow {
  public:
    Win32CommandWindow(HINSTANCE instance, Application& app, ICommandTarget& target);
    Win32CommandWindow(const Win32CommandWindow&) = delete;
    Win32CommandWindow& operator=(const Win32CommandWindow&) = delete;
    ~Win32CommandWindow();

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Take(HWND sender, const COPYDATASTRUCT& data);

    Application& app_;
    ICommandTarget& target_;
    UINT resultMessage_;
    HWND window_ = nullptr;
    // The command being taken, and its answer once given.
    unsigned calls_ = 0;
    unsigned taking_ = 0;
    int answer_ = -1;
};

// The caller's side: carries the command out through the running copy of this session, or for
// /activate through a copy it starts, and returns the exit code.
int RunCommandLine(const Command& command, IEventLog& log);

} // namespace velt
