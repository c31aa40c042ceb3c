/* The running copy of Veltarion: a Veltarion.exe process whose image is the install folder's,
 * in whichever log-on session it runs, and asking it to quit (SetupCore.h).
 *
 * The copy is told by its image path, not by the machine lock's name: any user may create or
 * hold an object of that name, and an installer that believed it would be stopped for good. */
#include "SetupCore.h"

#include <strsafe.h>
#include <tlhelp32.h>

#define IMAGE_NAME L"Veltarion.exe"
/* Copies waited for at once (WaitForMultipleObjects' limit). */
#define MAX_COPIES MAXIMUM_WAIT_OBJECTS
/* Process rights: Windows Vista's "limited" query right, and XP's full one. */
#define QUERY_LIMITED 0x1000

typedef BOOL(WINAPI* QueryImageName)(HANDLE, DWORD, LPWSTR, PDWORD);
typedef DWORD(WINAPI* ModuleFileName)(HANDLE, HMODULE, LPWSTR, DWORD);

/* Reads a process's image path: QueryFullProcessImageNameW where Windows has it (Vista and
 * later), else psapi's GetModuleFileNameExW from the system folder (XP). */
typedef struct ImageReader {
    QueryImageName query;
    ModuleFileName module;
    HMODULE psapi;
} ImageReader;

static void OpenReader(ImageReader* reader) {
    wchar_t path[MAX_PATH];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    ZeroMemory(reader, sizeof(*reader));
    reader->query = (QueryImageName)(void*)GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                                          "QueryFullProcessImageNameW");
    if (reader->query == NULL && length > 0 && length < MAX_PATH &&
        SUCCEEDED(StringCchCatW(path, MAX_PATH, L"\\psapi.dll"))) {
        reader->psapi = LoadLibraryW(path);
        reader->module =
            reader->psapi == NULL
                ? NULL
                : (ModuleFileName)(void*)GetProcAddress(reader->psapi, "GetModuleFileNameExW");
    }
}

static void CloseReader(ImageReader* reader) {
    if (reader->psapi != NULL) {
        FreeLibrary(reader->psapi);
    }
}

/* The process, opened to read its image and wait for its end; its image path in `image`
 * (MAX_PATH characters). NULL when either cannot be done. */
static HANDLE OpenCopy(const ImageReader* reader, DWORD id, wchar_t* image) {
    DWORD length = MAX_PATH;
    HANDLE process = OpenProcess(
        SYNCHRONIZE |
            (reader->query != NULL ? QUERY_LIMITED : PROCESS_QUERY_INFORMATION | PROCESS_VM_READ),
        FALSE, id);
    BOOL read = FALSE;
    if (process == NULL) {
        return NULL;
    }
    if (reader->query != NULL) {
        read = reader->query(process, 0, image, &length) && length > 0 && length < MAX_PATH;
    } else if (reader->module != NULL) {
        length = reader->module(process, NULL, image, MAX_PATH);
        read = length > 0 && length < MAX_PATH - 1;
    }
    if (!read) {
        CloseHandle(process);
        return NULL;
    }
    return process;
}

/* TRUE when `image` is `folder`\Veltarion.exe (case-blind; trailing backslashes of the folder
 * ignored). A folder too long to hold the program matches nothing. */
static BOOL InFolder(const wchar_t* image, const wchar_t* folder) {
    wchar_t program[MAX_PATH];
    size_t length = 0;
    if (folder == NULL || FAILED(StringCchLengthW(folder, MAX_PATH, &length)) || length == 0) {
        return FALSE;
    }
    while (length > 0 && folder[length - 1] == L'\\') {
        --length;
    }
    if (FAILED(StringCchPrintfW(program, MAX_PATH, L"%.*s\\%s", (int)length, folder, IMAGE_NAME))) {
        return FALSE;
    }
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, image, -1, program, -1) == CSTR_EQUAL;
}

/* TRUE when the process is gone (it ended since the list was taken). */
static BOOL Ended(DWORD id) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    BOOL ended;
    if (process == NULL) {
        return GetLastError() == ERROR_INVALID_PARAMETER; /* no such process any more */
    }
    ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

static void CloseCopies(HANDLE* copies, int count) {
    int i;
    for (i = 0; i < count; ++i) {
        CloseHandle(copies[i]);
    }
}

/* Every running copy of `folder` or `recorded` (either may be empty): their handles in `copies`
 * (MAX_COPIES), their count returned. -1 when it cannot be told: the process list cannot be read,
 * a process named Veltarion.exe cannot be examined, or there are more copies than can be waited
 * for. */
static int FindCopies(const wchar_t* folder, const wchar_t* recorded, HANDLE* copies) {
    PROCESSENTRY32W entry;
    ImageReader reader;
    int count = 0;
    BOOL unknown = FALSE;
    BOOL more;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    OpenReader(&reader);
    entry.dwSize = sizeof(entry);
    for (more = Process32FirstW(snapshot, &entry); more && !unknown;
         more = Process32NextW(snapshot, &entry)) {
        wchar_t image[MAX_PATH];
        HANDLE process;
        entry.szExeFile[MAX_PATH - 1] = 0;
        if (entry.th32ProcessID == GetCurrentProcessId() ||
            CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, entry.szExeFile, -1, IMAGE_NAME,
                           -1) != CSTR_EQUAL) {
            continue;
        }
        process = OpenCopy(&reader, entry.th32ProcessID, image);
        if (process == NULL) {
            unknown = !Ended(entry.th32ProcessID); /* it may be a copy */
        } else if (!InFolder(image, folder) && !InFolder(image, recorded)) {
            CloseHandle(process); /* a Veltarion of another folder: not this installation's */
        } else if (count < MAX_COPIES) {
            copies[count++] = process;
        } else {
            CloseHandle(process);
            unknown = TRUE;
        }
    }
    CloseHandle(snapshot);
    CloseReader(&reader);
    if (unknown) {
        CloseCopies(copies, count);
        return -1;
    }
    return count;
}

int VELT_EXPORT VeltRunningCopy(const wchar_t* folder, const wchar_t* recorded) {
    HANDLE copies[MAX_COPIES];
    int count = FindCopies(folder, recorded, copies);
    if (count < 0) {
        return 2;
    }
    CloseCopies(copies, count);
    return count > 0 ? 1 : 0;
}

/* Asks a copy that predates the quit event (an earlier version being upgraded) through its
 * window's registered message, as its tray's Quit does. */
static void AskByWindow(void) {
    static const wchar_t* const kCaptions[2] = {VELT_WindowCaption, VELT_StandInWindowCaption};
    DWORD_PTR answer = 0;
    int i;
    for (i = 0; i < 2; ++i) {
        HWND window = FindWindowW(VELT_WindowClass, kCaptions[i]);
        if (window != NULL) {
            SendMessageTimeoutW(window, RegisterWindowMessageW(VELT_QuitMessage), 0, 0, SMTO_NORMAL,
                                10000, &answer);
        }
    }
}

int VELT_EXPORT VeltQuitCopy(const wchar_t* folder, const wchar_t* recorded) {
    HANDLE copies[MAX_COPIES];
    HANDLE request;
    BOOL gone;
    int count = FindCopies(folder, recorded, copies);
    if (count <= 0) {
        return count;
    }
    /* Set by administrators and SYSTEM only; every running copy waits on it. Reset once the
     * wait is over, so that a copy started later is not told to quit. */
    request = OpenEventW(EVENT_MODIFY_STATE, FALSE, VELT_QuitEvent);
    if (request != NULL) {
        SetEvent(request);
    } else {
        AskByWindow();
    }
    gone = WaitForMultipleObjects((DWORD)count, copies, TRUE, 20000) < WAIT_OBJECT_0 + count;
    if (request != NULL) {
        ResetEvent(request);
        CloseHandle(request);
    }
    CloseCopies(copies, count);
    return gone ? 1 : -1;
}
