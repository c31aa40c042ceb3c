/* The Windows Installer package's custom actions (Veltarion.wxs), over the setup's rules
 * (SetupCore.h). The deferred and rollback actions run as the system account and get their data
 * as CustomActionData: the install folder, or the driver file's path as the installed
 * component names it.
 *
 *   CheckInstallFolder    immediate, first installation or upgrade: the folder is refused
 *                         before anything changes; the upgraded package's folder is the setup's
 *                         own (MakeInstallFolder's data: folder|that folder)
 *   QuitRunning           immediate, once the installation goes ahead and only when it changes
 *                         files or the service: the copy here quits; a copy elsewhere refuses
 *   MakeInstallFolder     deferred, before the folders are made: the install folder with its
 *                         owner and rights; UndoMakeInstallFolder, rollback: an empty one goes
 *   InstallDriver         deferred: the service for the installed driver file, started;
 *                         UndoInstallDriver, rollback of a first installation: the service goes
 *   StopDriver            deferred, removal: the service stops; UndoStopDriver, rollback: it
 *                         starts again; DeleteDriver, commit: the service goes
 */
#include "SetupCore.h"

#include <msi.h>
#include <msiquery.h>

static void Log(MSIHANDLE install, const wchar_t* text) {
    wchar_t line[VELT_REASON_SIZE + 16];
    MSIHANDLE record = MsiCreateRecord(0);
    wsprintfW(line, L"Veltarion: %s", text);
    MsiRecordSetStringW(record, 0, line);
    MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
    MsiCloseHandle(record);
}

/* Shows (or, silent, logs) an error; the action then fails the installation. */
static UINT Fail(MSIHANDLE install, const wchar_t* text) {
    MSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringW(record, 0, text);
    MsiProcessMessage(install, INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR, record);
    MsiCloseHandle(record);
    return ERROR_INSTALL_FAILURE;
}

/* A property (MAX_PATH characters); FALSE when it is missing, empty or too long. */
static BOOL Property(MSIHANDLE install, const wchar_t* name, wchar_t* value) {
    DWORD length = MAX_PATH;
    return MsiGetPropertyW(install, name, value, &length) == ERROR_SUCCESS && length > 0 &&
           length < MAX_PATH;
}

UINT VELT_EXPORT CheckInstallFolder(MSIHANDLE install) {
    wchar_t folder[MAX_PATH];
    wchar_t codes[MAX_PATH];
    wchar_t recorded[MAX_PATH] = L"";
    wchar_t reason[VELT_REASON_SIZE];
    wchar_t data[2 * MAX_PATH + 2];
    DWORD length = MAX_PATH;
    if (!Property(install, L"INSTALLDIR", folder)) {
        return Fail(install, L"Veltarion: no install folder given.");
    }
    /* The folder of the package this one upgrades (the first product code OLDERFOUND lists). */
    if (Property(install, L"OLDERFOUND", codes) && lstrlenW(codes) >= 38) {
        codes[38] = 0;
        if (MsiGetProductInfoW(codes, L"InstallLocation", recorded, &length) != ERROR_SUCCESS) {
            recorded[0] = 0;
        }
    }
    if (!VeltCheckFolder(folder, recorded, reason)) {
        return Fail(install, reason);
    }
    wsprintfW(data, L"%s|%s", folder, recorded);
    MsiSetPropertyW(install, L"MakeInstallFolder", data);
    return ERROR_SUCCESS;
}

UINT VELT_EXPORT QuitRunning(MSIHANDLE install) {
    static const wchar_t kOtherSession[] =
        L"Veltarion is running for another user of this computer. That user must quit it (tray "
        L"menu, Quit) before Veltarion can be installed or removed. Nothing was changed.";
    int running = VeltRunningCopy();
    if (running == 2) {
        return Fail(install, kOtherSession);
    }
    if (running == 1) {
        Log(install, L"asking the running Veltarion to quit");
        if (VeltQuitCopy() < 0) {
            return Fail(install, L"Veltarion is running and did not quit. Quit it from its tray "
                                 L"menu and run the installation again.");
        }
    }
    /* A copy in another log-on session as well: its driver must not be stopped under it. */
    return VeltMachineLockFree() ? ERROR_SUCCESS : Fail(install, kOtherSession);
}

UINT VELT_EXPORT MakeInstallFolder(MSIHANDLE install) {
    wchar_t data[2 * MAX_PATH + 2];
    wchar_t reason[VELT_REASON_SIZE];
    wchar_t text[VELT_REASON_SIZE + 64];
    wchar_t* recorded;
    DWORD length = 2 * MAX_PATH + 2;
    int result;
    if (MsiGetPropertyW(install, L"CustomActionData", data, &length) != ERROR_SUCCESS ||
        length == 0 || length >= 2 * MAX_PATH + 1) {
        return Fail(install, L"Veltarion: no install folder given.");
    }
    for (recorded = data; *recorded != 0 && *recorded != L'|'; ++recorded) {
    }
    if (*recorded == 0 || recorded == data) {
        return Fail(install, L"Veltarion: no install folder given.");
    }
    *recorded++ = 0;
    result = VeltMakeFolder(data, recorded, reason);
    if (result == 2) {
        wsprintfW(text, L"Setup could not set up the Veltarion folder: %.900s.", reason);
        return Fail(install, text);
    }
    return result == 0 ? ERROR_SUCCESS : Fail(install, reason);
}

UINT VELT_EXPORT UndoMakeInstallFolder(MSIHANDLE install) {
    wchar_t folder[MAX_PATH];
    if (Property(install, L"CustomActionData", folder)) {
        RemoveDirectoryW(folder); /* only an empty one goes */
    }
    return ERROR_SUCCESS;
}

UINT VELT_EXPORT InstallDriver(MSIHANDLE install) {
    wchar_t path[MAX_PATH];
    int started;
    if (!Property(install, L"CustomActionData", path)) {
        return Fail(install, L"Veltarion: the driver file is not among the installed files.");
    }
    if (VeltRegisterDriver(path) == 0) {
        return Fail(install, L"Setup could not register the Veltarion driver service "
                             VELT_ServiceName L".");
    }
    Log(install, L"driver service " VELT_ServiceName L" registered, started with the system");
    started = VeltStartDriver();
    if (started == 1) {
        Log(install, L"driver service " VELT_ServiceName L" started");
    } else {
        /* It starts with the system: the installation succeeds and asks for a restart. */
        Log(install, started == 2 ? L"the old driver is still loaded; the new one loads when "
                                    L"Windows restarts"
                                  : L"the driver service " VELT_ServiceName
                                    L" did not start now; it starts with Windows");
        MsiSetMode(install, MSIRUNMODE_REBOOTATEND, TRUE);
    }
    return ERROR_SUCCESS;
}

UINT VELT_EXPORT UndoInstallDriver(MSIHANDLE install) {
    (void)install;
    VeltStopDriver(TRUE);
    return ERROR_SUCCESS;
}

UINT VELT_EXPORT StopDriver(MSIHANDLE install) {
    if (!VeltStopDriver(FALSE)) {
        Log(install, L"the driver service " VELT_ServiceName
                     L" did not stop: the driver stays loaded until Windows restarts");
        MsiSetMode(install, MSIRUNMODE_REBOOTATEND, TRUE);
    }
    return ERROR_SUCCESS;
}

UINT VELT_EXPORT UndoStopDriver(MSIHANDLE install) {
    (void)install;
    VeltStartDriver();
    return ERROR_SUCCESS;
}

UINT VELT_EXPORT DeleteDriver(MSIHANDLE install) {
    VeltStopDriver(TRUE);
    Log(install, L"driver service " VELT_ServiceName L" removed");
    return ERROR_SUCCESS;
}
