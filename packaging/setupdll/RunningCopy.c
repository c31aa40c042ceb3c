/* The running copy of Veltarion: whether one runs, here or in another log-on session, and asking
 * the one here to quit (SetupCore.h). */
#include "SetupCore.h"

BOOL VELT_EXPORT VeltMachineLockFree(void) {
    HANDLE lock = OpenMutexW(SYNCHRONIZE, FALSE, VELT_MachineLock);
    if (lock != NULL) {
        CloseHandle(lock);
        return FALSE;
    }
    /* Only "no such object" means free: no access, or an object of another type under the
     * name, may hide a running copy. */
    return GetLastError() == ERROR_FILE_NOT_FOUND;
}

static HWND CopyHere(void) {
    /* Its caption names the stand-in driver when that is the driver it loaded. */
    HWND window = FindWindowW(VELT_WindowClass, VELT_WindowCaption);
    return window != NULL ? window : FindWindowW(VELT_WindowClass, VELT_StandInWindowCaption);
}

int VELT_EXPORT VeltRunningCopy(void) {
    if (CopyHere() != NULL) {
        return 1;
    }
    return VeltMachineLockFree() ? 0 : 2;
}

int VELT_EXPORT VeltQuitCopy(void) {
    HWND window = CopyHere();
    DWORD process_id = 0;
    DWORD_PTR answer = 0;
    HANDLE process;
    BOOL gone;
    if (window == NULL) {
        return 0;
    }
    GetWindowThreadProcessId(window, &process_id);
    /* A copy whose end cannot be waited for is not asked: its protection stays on. */
    process = OpenProcess(SYNCHRONIZE, FALSE, process_id);
    if (process == NULL) {
        return -1;
    }
    SendMessageTimeoutW(window, RegisterWindowMessageW(VELT_QuitMessage), 0, 0, SMTO_NORMAL, 10000,
                        &answer);
    gone = WaitForSingleObject(process, 20000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return gone ? 1 : -1;
}
