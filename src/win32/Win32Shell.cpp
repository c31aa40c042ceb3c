#include "win32/Win32Shell.h"

#include "win32/ExecutableName.h"

#include <windows.h>
#include <shellapi.h>

namespace velt {

void Win32Shell::OpenDocument(std::string_view file) {
    const std::string name(file);
    // The result is deliberately not examined: a missing document opens nothing, silently.
    ShellExecuteA(nullptr, "open", name.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool Win32Shell::MakeDirectory(std::string_view path) {
    const std::string name(path);
    return CreateDirectoryA(name.c_str(), nullptr) != FALSE;
}

std::uint32_t Win32Shell::AcquireNamedMutex(std::string_view name, std::uint32_t timeoutMs) {
    const std::string text(name);
    // The handle is never closed: ownership lasts until the process ends and Windows frees it.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, text.c_str());
    if (mutex == nullptr && GetLastError() == ERROR_ACCESS_DENIED) {
        // It exists, made by another user: waiting is all this copy may do with it. Refused that
        // too, it is held by a copy that still runs (the object goes with its last handle).
        mutex = OpenMutexA(SYNCHRONIZE, FALSE, text.c_str());
        if (mutex == nullptr && GetLastError() == ERROR_ACCESS_DENIED) {
            return WAIT_TIMEOUT;
        }
    }
    return WaitForSingleObject(mutex, timeoutMs);
}

std::string Win32Shell::ExecutableName() {
    // Whole however long, or empty: never cut.
    return ExecutableFileName();
}

} // namespace velt
