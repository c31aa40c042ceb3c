// The program entry: one copy at a time, the application object, the long-lived windows in their
// order, the message loop. Portable: everything it needs from the system comes in OmvexPlatform.
#pragma once

#include "platform/DriverFiles.h"
#include "platform/DriverOs.h"
#include "platform/EventLog.h"
#include "platform/FileBrowser.h"
#include "platform/Files.h"
#include "platform/ProcessLocks.h"
#include "platform/SessionWatch.h"
#include "platform/SettingsRegistry.h"
#include "platform/Shell.h"
#include "profiles/RegistIO.h"

#include "SharedNames.h"

#include <cstdint>
#include <functional>

namespace velt {

class Application;
class TSetParamForm;
class ICommandTarget;
class TPFPropertysForm;
class TPasswordsForm;
class TAboutForm;
class TDefaultForm;

// Program-wide references to the single instance of each long-lived window, set by the program
// entry in creation order (DefaultForm by the main window each time it opens a welcome dialog).
extern TSetParamForm* SetParamForm;
extern TPFPropertysForm* PFPropertysForm;
extern TPasswordsForm* PasswordsForm;
extern TAboutForm* AboutForm;
extern TDefaultForm* DefaultForm;

inline constexpr const char* kOneCopyMutexName = "OmvexOneCopyMutex";
// Held for the program's lifetime: the filter driver is one for the whole machine, so one copy
// controls it, whichever log-on session it runs in.
inline constexpr const char* kMachineMutexName = shared::kMachineLock;
inline constexpr const char* kOtherSessionText =
    "Omvex is already running for another user of this computer. That user must quit it "
    "(tray menu, Quit) before Omvex can start here.";
inline constexpr std::uint32_t kOneCopyWaitMs = 50;
inline constexpr const char* kApplicationTitle = "Omvex";

struct OmvexPlatform {
    IShell& shell;
    IProcessLocks& locks;
    IDriverOs& driverOs;
    IDriverFiles& driverFiles;
    ISettingsRegistry& registry;
    MachineRegistry machine;
    IFiles& files;
    IFileBrowser& fileBrowser;
    ISessionWatch& session;
    IEventLog& eventLog;
    // Initialises the application object; called once this copy knows it is the only one. The
    // object must outlive OmvexMain.
    std::function<Application&()> application;
    // Called once the windows exist, before the message loop, with where commands from the
    // command line are carried out (may be empty).
    std::function<void(Application&, ICommandTarget&)> commands;
};

// The store of the user's profiles where this copy keeps them: beside a portable copy, in the
// user's own folder for an installed one (a folder a setup recorded).
ProfileStore MakeUserStore(IShell& shell, const MachineRegistry& machine,
                           ISettingsRegistry& registry, IFiles& files);

// Whether another copy runs in this log-on session: only a lock held by another process says so.
// A lock that cannot be told lets this copy start (a failure here costs only the single-copy
// comfort; the machine's lock still guards the driver).
bool OtherCopyInSession(LockState state);

// Whether the driver may belong to another copy anywhere on the machine. Fails closed: only a
// lock this copy now holds says no; one that cannot be told may hide a running copy.
bool OtherCopyOnMachine(LockState state);

// Runs the program and returns its exit code, 0 in every case. A second copy (the lock is held
// by another process) ends at once, silently. A copy that cannot be sure it is the only one on
// the machine says that the other copy must quit first and ends without a word to the driver.
int OmvexMain(OmvexPlatform& platform);

} // namespace velt
