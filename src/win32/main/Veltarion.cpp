// WinMain of Veltarion.exe: the Win32 implementations of the system services, handed to the
// portable program entry. A command on the command line goes to the running copy instead.
#include "app/CommandLine.h"
#include "app/CommandTarget.h"
#include "app/OmvexUI.h"
#include "forms/Application.h"
#include "win32/Win32Commands.h"
#include "win32/Win32DriverFiles.h"
#include "win32/Win32DriverOs.h"
#include "win32/Win32EventLog.h"
#include "win32/Win32FileBrowser.h"
#include "win32/Win32Files.h"
#include "win32/Win32ProcessLocks.h"
#include "win32/Win32Registry.h"
#include "win32/Win32SessionWatch.h"
#include "win32/Win32Shell.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32Ui.h"

#include <windows.h>

#include <cstdlib>
#include <optional>

// The default terminate handler of libstdc++ prints the demangled type of an escaped exception to
// a console this GUI program does not have, and brings in the demangler and the printf family
// (about a third of the executable). Every event runs under the application's error handler, so
// reaching terminate means a broken program: end it at once.
namespace __gnu_cxx {
void __verbose_terminate_handler();
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR commandLine, int /*show*/) {
    // Before anything can load a DLL on demand (the shell, the common controls, the session
    // notifications): no DLL may come from the program's folder or the current one.
    velt::RestrictDllSearch();
    velt::Win32EventLog eventLog;
    const velt::Command command = velt::ParseCommandLine(commandLine != nullptr ? commandLine : "");
    {
        velt::Win32CommandChannel channel;
        if (command.kind != velt::CommandKind::Start) {
            return velt::RunCommandLine(command, channel, eventLog);
        }
        // A plain second start of this user in this session brings the running copy's window up.
        if (velt::ShowRunningCopy(channel)) {
            return 0;
        }
    }
    velt::Win32Shell shell;
    velt::Win32ProcessLocks locks;
    velt::Win32DriverOs driverOs;
    velt::Win32DriverFiles driverFiles;
    velt::Win32Registry registry;
    velt::Win32Registry policy(velt::Win32Registry::Root::MachineNativeView);
    velt::Win32Registry machineDefaults(velt::Win32Registry::Root::Machine32BitView);
    velt::MachineRegistry machine{policy, machineDefaults};
    velt::Win32Files files;
    velt::Win32FileBrowser fileBrowser;
    velt::Win32SessionWatch session;
    // The windowing side is set up only once this copy knows it is the only one: a second copy
    // ends without creating any window.
    std::optional<velt::Win32Ui> ui;
    std::optional<velt::Application> app;
    std::optional<velt::Win32CommandServer> commands;
    velt::OmvexPlatform platform{shell,
                                 locks,
                                 driverOs,
                                 driverFiles,
                                 registry,
                                 machine,
                                 files,
                                 fileBrowser,
                                 session,
                                 eventLog,
                                 [&]() -> velt::Application& {
                                     ui.emplace(instance);
                                     return app.emplace(*ui);
                                 },
                                 [&](velt::Application& application, velt::ICommandTarget& target) {
                                     commands.emplace(instance, application, target, eventLog);
                                 }};
    const int code = velt::OmvexMain(platform);
    commands.reset();
    app.reset();
    return code;
}
