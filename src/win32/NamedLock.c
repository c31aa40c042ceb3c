#include "win32/NamedLock.h"

#include "SetupNames.h"

#include <windows.h>
#include <sddl.h>

/* Windows 95, 98 and ME have no access lists and no wide-character mutex calls: the mutex is
 * made there as it is, under its name in the ANSI code page. */
static HANDLE CreateWithoutRights(const wchar_t* name) {
    char narrow[MAX_PATH];
    if (WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, (int)sizeof narrow, NULL, NULL) == 0) {
        return NULL;
    }
    return CreateMutexA(NULL, FALSE, narrow);
}

static HANDLE CreateWithRights(const wchar_t* name) {
    const DWORD kNotNt = 0x80000000;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    SECURITY_ATTRIBUTES attributes;
    HANDLE mutex;
    DWORD error;
    if ((GetVersion() & kNotNt) != 0) {
        return CreateWithoutRights(name);
    }
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(VELT_SddlMachineLock, SDDL_REVISION_1,
                                                              &descriptor, NULL)) {
        return NULL;
    }
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = descriptor;
    attributes.bInheritHandle = FALSE;
    mutex = CreateMutexW(&attributes, FALSE, name);
    error = GetLastError();
    LocalFree(descriptor);
    SetLastError(error);
    return mutex;
}

enum VeltLockState VeltTakeNamedLock(const wchar_t* name, unsigned long waitMs, int keep) {
    HANDLE mutex = CreateWithRights(name);
    DWORD wait;
    if (mutex == NULL && GetLastError() == ERROR_ACCESS_DENIED) {
        /* It exists, and this account may not have every right to it: waiting is enough. */
        mutex = OpenMutexW(SYNCHRONIZE, FALSE, name);
    }
    if (mutex == NULL) {
        return VELT_LOCK_UNTOLD;
    }
    wait = WaitForSingleObject(mutex, waitMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        /* Abandoned: a copy that held it ended without letting go; this process holds it now. */
        if (!keep) {
            ReleaseMutex(mutex);
            CloseHandle(mutex);
        }
        /* A kept lock's handle is never closed: Windows lets go of it when the process ends. */
        return VELT_LOCK_FREE;
    }
    CloseHandle(mutex);
    return wait == WAIT_TIMEOUT ? VELT_LOCK_HELD : VELT_LOCK_UNTOLD;
}

enum VeltLockState VeltProbeMachineLock(void) {
    return VeltTakeNamedLock(VELT_MachineLock, 0, 0);
}
