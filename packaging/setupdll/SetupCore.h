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

/* TRUE only when no copy runs anywhere on this computer: the machine lock does not exist. A lock
 * that cannot be opened (no access, an object of another type) counts as held. */
BOOL VELT_EXPORT VeltMachineLockFree(void);

/* 0 no copy runs, 1 a copy shows its window on this desktop, 2 a copy runs only elsewhere (the
 * machine lock is held or unreadable and no window is here). */
int VELT_EXPORT VeltRunningCopy(void);

/* Asks the copy on this desktop to quit as its tray's Quit does, and waits for its end. 0 none
 * ran, 1 it quit, -1 it did not quit, or it could not be waited for (then it is not asked). */
int VELT_EXPORT VeltQuitCopy(void);

/* --- The driver service (DriverService.c) --- */

/* Registers the kernel service for the driver file, started with Windows (an existing service
 * gets the file and start type). 0 failed, 1 changed, 2 created. */
int VELT_EXPORT VeltRegisterDriver(const wchar_t* driverPath);

/* Starts the service and waits while it starts: 1 running, 2 it was already running, 0 not. */
int VELT_EXPORT VeltStartDriver(void);

/* Stops the service, waiting up to 10 s, and with `remove` deletes it. TRUE when it is stopped or
 * does not exist; FALSE when the driver stays loaded until Windows restarts. */
BOOL VELT_EXPORT VeltStopDriver(BOOL remove);
