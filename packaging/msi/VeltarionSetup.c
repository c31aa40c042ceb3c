/* Custom actions of the Veltarion Windows Installer package (VeltarionSetup.dll).
 *
 * Windows Installer's own tables cannot register a kernel driver service nor, as wixl builds the
 * package, set a folder's rights; these functions do both, and ask a running Veltarion to quit
 * before its files are replaced or removed. The deferred actions get the install folder (ending
 * in a backslash) as CustomActionData and run as the system account.
 *
 *   QuitRunning    immediate: a running copy is asked to quit and waited for; a copy in another
 *                  log-on session refuses the installation
 *   SetFolderRights deferred, before the files of a first installation: the install folder's
 *                  and Profiles' owner and rights, refused for a folder of other files, a
 *                  junction or a folder a standard user owns
 *   InstallDriver  deferred: the OMXDRV service for the installed driver file, started with the
 *                  system, and started now (when it does not start, a restart is asked for)
 *   RemoveDriver   deferred: the service stopped and deleted (removal, and the rollback of an
 *                  install); InstallDriver is the rollback of a removal
 */
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <aclapi.h>
#include <sddl.h>

#define SERVICE_NAME L"OMXDRV"
#define DRIVER_FILE L"OMXDRV.SYS"
/* Administrators and the system own everything; users may read and run the program and driver,
 * and may change only what is in Profiles. Not inherited from the parent folder. */
#define SDDL_APP L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
#define SDDL_PROFILES L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)"

static void Log(MSIHANDLE install, const wchar_t* text, DWORD code) {
    wchar_t line[512];
    MSIHANDLE record = MsiCreateRecord(0);
    wsprintfW(line, L"Veltarion: %s (%lu)", text, code);
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

/* The install folder from CustomActionData, with a trailing backslash and room for 31 more
 * characters in folder (size characters); FALSE when it is missing or too long. */
static BOOL InstallFolder(MSIHANDLE install, wchar_t* folder, DWORD size) {
    DWORD length = size - 32;
    if (MsiGetPropertyW(install, L"CustomActionData", folder, &length) != ERROR_SUCCESS ||
        length == 0) {
        return FALSE;
    }
    if (folder[length - 1] != L'\\') {
        folder[length++] = L'\\';
        folder[length] = 0;
    }
    return TRUE;
}

/* TRUE while a copy of Veltarion runs anywhere on this computer, in any log-on session: every
 * running copy holds this mutex for its lifetime. */
static BOOL RunsAnywhere(void) {
    /* SYNCHRONIZE */
    HANDLE mutex = OpenMutexW(0x00100000L, FALSE, L"Global\\OmvexMachineMutex");
    if (mutex == NULL) {
        return FALSE;
    }
    CloseHandle(mutex);
    return TRUE;
}

UINT __stdcall QuitRunning(MSIHANDLE install) {
    /* The caption names the stand-in driver when that is the one the copy loaded. */
    HWND window = FindWindowW(L"VeltarionForm", L"Veltarion");
    DWORD process_id = 0;
    DWORD_PTR answer = 0;
    HANDLE process;
    BOOL gone;
    int tries;
    if (window == NULL) {
        window = FindWindowW(L"VeltarionForm", L"Veltarion (stand-in driver)");
    }
    if (window != NULL) {
        Log(install, L"asking the running Veltarion to quit", 0);
        GetWindowThreadProcessId(window, &process_id);
        /* SYNCHRONIZE */
        process = OpenProcess(0x00100000L, FALSE, process_id);
        SendMessageTimeoutW(window, RegisterWindowMessageW(L"VeltarionQuit"), 0, 0, SMTO_NORMAL,
                            10000, &answer);
        /* Its end, or (a process this account may not wait for) its window's, within 20 s. */
        if (process != NULL) {
            gone = WaitForSingleObject(process, 20000) == WAIT_OBJECT_0;
            CloseHandle(process);
        } else {
            for (tries = 0; tries < 100 && IsWindow(window); ++tries) {
                Sleep(200);
            }
            gone = !IsWindow(window);
        }
        if (!gone) {
            return Fail(install, L"Veltarion is running and did not quit. Quit it from its tray "
                                 L"menu and run the installation again.");
        }
    }
    /* A copy in another log-on session cannot be asked from here, and its driver must not be
     * stopped under it. */
    if (RunsAnywhere()) {
        return Fail(install, L"Veltarion is running for another user of this computer. That user "
                             L"must quit it (tray menu, Quit) before Veltarion can be installed "
                             L"or removed. Nothing was changed.");
    }
    return ERROR_SUCCESS;
}

/* A handle to the folder itself, never to what a reparse point names; NULL when it cannot be
 * opened or is no plain folder (a junction, a symbolic link, a file). */
static HANDLE OpenFolderItself(const wchar_t* folder, DWORD access) {
    BY_HANDLE_FILE_INFORMATION info;
    HANDLE handle =
        CreateFileW(folder, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        return NULL;
    }
    if (!GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
            FILE_ATTRIBUTE_DIRECTORY) {
        CloseHandle(handle);
        return NULL;
    }
    return handle;
}

/* The owner of a file or folder as a SID string (LocalFree it); NULL when unreadable. */
static wchar_t* OwnerOf(const wchar_t* path) {
    PSID owner = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    wchar_t* text = NULL;
    HANDLE handle = CreateFileW(path, READ_CONTROL, 7, NULL, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        return NULL;
    }
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, NULL, NULL,
                        NULL, &descriptor) == ERROR_SUCCESS) {
        ConvertSidToStringSidW(owner, &text);
        LocalFree(descriptor);
    }
    CloseHandle(handle);
    return text;
}

/* TRUE when the folder's owner may write the system itself: SYSTEM, Administrators,
 * TrustedInstaller or the system folder's owner. A folder a standard user owns is never taken:
 * its owner could give its rights back to himself and swap the driver that loads at boot. */
static BOOL HasTrustedOwner(const wchar_t* folder) {
    wchar_t system[MAX_PATH];
    wchar_t* owner = OwnerOf(folder);
    wchar_t* system_owner = NULL;
    BOOL trusted = FALSE;
    if (owner == NULL) {
        return FALSE;
    }
    trusted =
        lstrcmpW(owner, L"S-1-5-18") == 0 || lstrcmpW(owner, L"S-1-5-32-544") == 0 ||
        lstrcmpW(owner, L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464") == 0;
    if (!trusted && GetSystemDirectoryW(system, MAX_PATH) != 0) {
        system_owner = OwnerOf(system);
        trusted = system_owner != NULL && lstrcmpW(owner, system_owner) == 0;
        LocalFree(system_owner);
    }
    LocalFree(owner);
    return trusted;
}

/* Makes Administrators the folder's owner and gives it the rights sddl (a protected DACL),
 * through a handle to the folder itself: one that has become a reparse point is refused. Files
 * made in it afterwards inherit the rights. */
static BOOL SetRights(const wchar_t* folder, const wchar_t* sddl) {
    wchar_t text[160];
    PSECURITY_DESCRIPTOR descriptor = NULL;
    BOOL done = FALSE;
    HANDLE handle = OpenFolderItself(folder, READ_CONTROL | WRITE_DAC | WRITE_OWNER);
    if (handle == NULL) {
        return FALSE;
    }
    lstrcpyW(text, L"O:BA");
    lstrcatW(text, sddl);
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1, &descriptor,
                                                             NULL)) {
        done = SetKernelObjectSecurity(handle,
                                       OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                           PROTECTED_DACL_SECURITY_INFORMATION,
                                       descriptor);
        LocalFree(descriptor);
    }
    CloseHandle(handle);
    return done;
}

/* TRUE when folder is a real folder (no junction or other reparse point) with a trusted owner
 * that holds nothing but a Profiles folder: the closed rights are never put on a folder of other
 * files, nor through a junction on a folder elsewhere. */
static BOOL FolderIsOurs(const wchar_t* folder, const wchar_t* profiles) {
    wchar_t pattern[MAX_PATH + 48];
    WIN32_FIND_DATAW found;
    HANDLE search;
    BOOL ours = TRUE;
    DWORD attributes = GetFileAttributesW(folder);
    DWORD inner = GetFileAttributesW(profiles);
    if (attributes == INVALID_FILE_ATTRIBUTES || inner == INVALID_FILE_ATTRIBUTES ||
        ((attributes | inner) & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || !HasTrustedOwner(folder)) {
        return FALSE;
    }
    lstrcpyW(pattern, folder);
    lstrcatW(pattern, L"\\*");
    search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    do {
        if (lstrcmpW(found.cFileName, L".") != 0 && lstrcmpW(found.cFileName, L"..") != 0 &&
            lstrcmpiW(found.cFileName, L"Profiles") != 0) {
            ours = FALSE;
        }
    } while (ours && FindNextFileW(search, &found));
    FindClose(search);
    return ours;
}

UINT __stdcall SetFolderRights(MSIHANDLE install) {
    wchar_t folder[MAX_PATH + 32];
    wchar_t profiles[MAX_PATH + 48];
    int length;
    if (!InstallFolder(install, folder, MAX_PATH + 32)) {
        return Fail(install, L"Veltarion: no install folder given.");
    }
    lstrcpyW(profiles, folder);
    lstrcatW(profiles, L"Profiles");
    /* Without its trailing backslash: a path ending in one names what a junction points to. */
    length = lstrlenW(folder);
    if (length > 3) {
        folder[length - 1] = 0;
    }
    if (!FolderIsOurs(folder, profiles)) {
        return Fail(install, L"The Veltarion folder holds other files, is a junction or belongs to "
                             L"an account that is not an administrator: choose an empty folder "
                             L"(INSTALLDIR), such as one in Program Files.");
    }
    if (!SetRights(folder, SDDL_APP) || !SetRights(profiles, SDDL_PROFILES)) {
        Log(install, L"the rights of the install folder could not be set", GetLastError());
        return Fail(install, L"Setup could not set the rights of the Veltarion folder.");
    }
    return ERROR_SUCCESS;
}

/* Waits up to 10 s for the service to leave the given pending state. */
static void WaitWhile(SC_HANDLE service, DWORD pending) {
    SERVICE_STATUS status;
    int tries;
    for (tries = 0; tries < 50; ++tries) {
        if (!QueryServiceStatus(service, &status) || status.dwCurrentState != pending) {
            return;
        }
        Sleep(200);
    }
}

UINT __stdcall InstallDriver(MSIHANDLE install) {
    wchar_t path[MAX_PATH + 32];
    SC_HANDLE manager;
    SC_HANDLE service;
    SERVICE_STATUS status;
    DWORD error = ERROR_SUCCESS;
    BOOL running = FALSE;
    if (!InstallFolder(install, path, MAX_PATH + 32)) {
        return Fail(install, L"Veltarion: no install folder given.");
    }
    /* A kernel driver's image path is a plain path: never quoted. */
    lstrcatW(path, DRIVER_FILE);
    manager = OpenSCManagerW(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (manager == NULL) {
        Log(install, L"the service manager did not open", GetLastError());
        return Fail(install, L"Setup could not open the service manager to register the driver.");
    }
    service = CreateServiceW(manager, SERVICE_NAME, SERVICE_NAME, SERVICE_ALL_ACCESS,
                             SERVICE_KERNEL_DRIVER, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, path,
                             NULL, NULL, NULL, NULL, NULL);
    if (service == NULL && GetLastError() == ERROR_SERVICE_EXISTS) {
        service = OpenServiceW(manager, SERVICE_NAME, SERVICE_ALL_ACCESS);
        if (service != NULL &&
            !ChangeServiceConfigW(service, SERVICE_KERNEL_DRIVER, SERVICE_AUTO_START,
                                  SERVICE_ERROR_NORMAL, path, NULL, NULL, NULL, NULL, NULL, NULL)) {
            error = GetLastError();
        }
    }
    if (service == NULL || error != ERROR_SUCCESS) {
        error = error != ERROR_SUCCESS ? error : GetLastError();
        Log(install, L"the driver service could not be registered", error);
        if (service != NULL) {
            CloseServiceHandle(service);
        }
        CloseServiceHandle(manager);
        return Fail(install, L"Setup could not register the Veltarion driver service OMXDRV.");
    }
    Log(install, L"driver service OMXDRV registered, started with the system", 0);
    if (StartServiceW(service, 0, NULL) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING) {
        WaitWhile(service, SERVICE_START_PENDING);
        running = QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
    }
    if (running) {
        Log(install, L"driver service OMXDRV started", 0);
    } else {
        /* It starts with the system: the installation succeeds and asks for a restart. */
        Log(install, L"the driver service OMXDRV did not start now; it starts with Windows",
            GetLastError());
        MsiSetMode(install, MSIRUNMODE_REBOOTATEND, TRUE);
    }
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return ERROR_SUCCESS;
}

UINT __stdcall RemoveDriver(MSIHANDLE install) {
    SC_HANDLE manager = OpenSCManagerW(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service;
    SERVICE_STATUS status;
    if (manager == NULL) {
        Log(install, L"the service manager did not open", GetLastError());
        return ERROR_SUCCESS;
    }
    service = OpenServiceW(manager, SERVICE_NAME, SERVICE_ALL_ACCESS);
    if (service != NULL) {
        if (ControlService(service, SERVICE_CONTROL_STOP, &status)) {
            WaitWhile(service, SERVICE_STOP_PENDING);
        }
        if (DeleteService(service)) {
            Log(install, L"driver service OMXDRV removed", 0);
        } else {
            Log(install, L"the driver service OMXDRV could not be removed", GetLastError());
        }
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    /* The removal goes on: a service left behind is removed by the next installation. */
    return ERROR_SUCCESS;
}
