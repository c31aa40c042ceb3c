/* The driver's kernel service: registered for the installed driver file, started, stopped and
 * removed (SetupCore.h). A kernel driver's image path is a plain path: never quoted. */
#include "SetupCore.h"

#include <strsafe.h>

/* The service, opened with every right; NULL when it cannot be (GetLastError tells why). */
static SC_HANDLE OpenDriver(SC_HANDLE* manager) {
    *manager = OpenSCManagerW(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    return *manager == NULL ? NULL : OpenServiceW(*manager, VELT_ServiceName, SERVICE_ALL_ACCESS);
}

static void CloseDriver(SC_HANDLE manager, SC_HANDLE service) {
    if (service != NULL) {
        CloseServiceHandle(service);
    }
    if (manager != NULL) {
        CloseServiceHandle(manager);
    }
}

/* Waits up to 10 s for the service to leave the pending state; its state then. */
static DWORD WaitWhile(SC_HANDLE service, DWORD pending) {
    SERVICE_STATUS status;
    int tries;
    for (tries = 0; tries < 50; ++tries) {
        if (!QueryServiceStatus(service, &status)) {
            return 0;
        }
        if (status.dwCurrentState != pending) {
            return status.dwCurrentState;
        }
        Sleep(200);
    }
    return pending;
}

int VELT_EXPORT VeltRegisterDriver(const wchar_t* driverPath) {
    SC_HANDLE manager;
    SC_HANDLE service = NULL;
    size_t length = 0;
    int result = 0;
    /* A path the install folder's rules never let through is not registered, nor cut. */
    if (driverPath == NULL || FAILED(StringCchLengthW(driverPath, MAX_PATH, &length)) ||
        length == 0) {
        return 0;
    }
    manager = OpenSCManagerW(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (manager != NULL) {
        service = CreateServiceW(manager, VELT_ServiceName, VELT_ServiceName, SERVICE_ALL_ACCESS,
                                 SERVICE_KERNEL_DRIVER, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                 driverPath, NULL, NULL, NULL, NULL, NULL);
        if (service != NULL) {
            result = 2;
        } else if (GetLastError() == ERROR_SERVICE_EXISTS) {
            service = OpenServiceW(manager, VELT_ServiceName, SERVICE_ALL_ACCESS);
            if (service != NULL &&
                ChangeServiceConfigW(service, SERVICE_KERNEL_DRIVER, SERVICE_AUTO_START,
                                     SERVICE_ERROR_NORMAL, driverPath, NULL, NULL, NULL, NULL, NULL,
                                     NULL)) {
                result = 1;
            }
        }
    }
    CloseDriver(manager, service);
    return result;
}

int VELT_EXPORT VeltStartDriver(void) {
    SC_HANDLE manager;
    SC_HANDLE service = OpenDriver(&manager);
    int result = 0;
    if (service != NULL) {
        if (StartServiceW(service, 0, NULL)) {
            result = WaitWhile(service, SERVICE_START_PENDING) == SERVICE_RUNNING ? 1 : 0;
        } else if (GetLastError() == ERROR_SERVICE_ALREADY_RUNNING) {
            result = 2;
        }
    }
    CloseDriver(manager, service);
    return result;
}

BOOL VELT_EXPORT VeltStopDriver(BOOL remove) {
    SC_HANDLE manager;
    SC_HANDLE service = OpenDriver(&manager);
    SERVICE_STATUS status;
    BOOL stopped;
    if (service == NULL) {
        /* No such service: nothing is loaded. Any other failure: nothing is known. */
        stopped = manager != NULL && GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
        CloseDriver(manager, NULL);
        return stopped;
    }
    if (ControlService(service, SERVICE_CONTROL_STOP, &status)) {
        WaitWhile(service, SERVICE_STOP_PENDING);
    }
    stopped = QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_STOPPED;
    if (remove) {
        DeleteService(service);
    }
    CloseDriver(manager, service);
    return stopped;
}
