/* The setup's security rules, written once for both installers (VeltarionSetup.dll): the setup
 * program calls the exported Velt* functions below with NSIS's System plug-in, the Windows
 * Installer package through its custom actions (MsiActions.c).
 *
 * Every check fails closed: what cannot be read or opened counts as a refusal. */
#pragma once

#include <windows.h>

#include "SetupNames.h"

/* Characters of a reason given back to an installer, with its terminating zero (the NSIS
 * System plug-in's string buffers hold 1024). */
#define VELT_REASON_SIZE 1024

/* Why an installer stops when it cannot tell whether Veltarion runs. */
#define VELT_UNKNOWN_COPY                                                                          \
    L"Setup cannot tell whether Veltarion is running on this computer: a Veltarion process "       \
    L"cannot be examined. Quit Veltarion wherever it runs (tray menu, Quit) and try again. "       \
    L"Nothing was changed."

/* Exported as named (stdcall, undecorated): the setup program calls these, Windows Installer
 * the custom actions. */
#define VELT_EXPORT __declspec(dllexport) __stdcall

/* --- The install folder (FolderTrust.c) --- */

/* Whether the setup may make `folder` its own; nothing is changed. TRUE when it may; otherwise
 * `reason` (VELT_REASON_SIZE characters) tells why. No part of the path from the drive's root
 * down may be a reparse point or be open to a user who is not an administrator, nor may the
 * folder itself take files or folders from one (PathTrust.h); a path too long to handle is
 * refused;
 * an existing folder must be ours: the folder of the installation an installer `recorded` in
 * the system's registry (may be empty), an empty folder, or one that holds only profiles an
 * uninstall kept. */
BOOL VELT_EXPORT VeltCheckFolder(const wchar_t* folder, const wchar_t* recorded, wchar_t* reason);

/* Makes `folder` the program folder: each missing part is created with the program folder's
 * owner and rights in the same call; a part someone else created first must pass
 * VeltCheckFolder again, and an existing folder gets the rights through a handle to itself. An
 * existing Profiles folder (profiles an earlier version kept there) and its files lose every
 * user's write right; a link or a file with another name in it is removed, and a folder in it,
 * or an entry that cannot be locked, fails the step. 0 done, 1 refused (`reason` says why), 2
 * failed (`reason` names the step). */
int VELT_EXPORT VeltMakeFolder(const wchar_t* folder, const wchar_t* recorded, wchar_t* reason);

/* --- The running copy (RunningCopy.c) --- */

/* Whether a copy of the installation runs: a Veltarion.exe process, in any log-on session, whose
 * image is in `folder` or in `recorded` (the folder an earlier installation recorded; either may
 * be empty). 0 none, 1 one runs, 2 it cannot be told (the process list cannot be read, or a
 * Veltarion.exe process cannot be examined). The machine lock's name is not looked at: any user
 * may hold it. */
int VELT_EXPORT VeltRunningCopy(const wchar_t* folder, const wchar_t* recorded);

/* Asks every such copy to quit as its tray's Quit does (the quit event, which only SYSTEM and
 * administrators may set; a copy of an earlier version by its window's message) and waits up to
 * 20 s for their end. 0 none ran, 1 they quit, -1 one did not quit or it cannot be told. */
int VELT_EXPORT VeltQuitCopy(const wchar_t* folder, const wchar_t* recorded);

/* --- The setup's staging folders (StagingFolders.c) --- */

/* Removes the folder `path` and everything in it without following a junction or symbolic link
 * (such an entry is removed itself, never what it names). Call it only once the install folder
 * has its final owner and rights, so that no one else can swap an entry while it runs. A file
 * of that name is left alone, as is a missing folder. With `laterIfBusy`, what cannot be removed
 * now is removed when Windows restarts. 0 removed, 1 left for the restart, 2 not removed. */
int VELT_EXPORT VeltRemoveStaging(const wchar_t* path, BOOL laterIfBusy);

/* --- The driver service (DriverService.c) --- */

/* Registers the kernel service for the driver file, started with Windows (an existing service
 * gets the file and start type). 0 failed, 1 changed, 2 created. */
int VELT_EXPORT VeltRegisterDriver(const wchar_t* driverPath);

/* Starts the service and waits while it starts: 1 running, 2 it was already running, 0 not. */
int VELT_EXPORT VeltStartDriver(void);

/* Stops the service, waiting up to 10 s, and with `remove` deletes it. TRUE when it is stopped or
 * does not exist; FALSE when the driver stays loaded until Windows restarts. */
BOOL VELT_EXPORT VeltStopDriver(BOOL remove);
