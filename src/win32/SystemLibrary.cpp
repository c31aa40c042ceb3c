#include "win32/SystemLibrary.h"

#include <string>

namespace velt {

namespace {

constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);

template <typename Function> Function Kernel32Export(const char* name) {
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    if (kernel32 == nullptr) {
        return nullptr;
    }
    // The cast through a generic function pointer is how an export found by name is called.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(kernel32, name)));
}

} // namespace

void RestrictDllSearch() {
    const auto setDefault = Kernel32Export<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories");
    if (setDefault != nullptr && setDefault(kSearchSystem32) != FALSE) {
        return;
    }
    // Without it the program's own folder stays first in the search: everything the program
    // loads itself goes by full name (LoadSystemLibrary).
    if (const auto setDirectory = Kernel32Export<SetDllDirectoryFn>("SetDllDirectoryA")) {
        setDirectory("");
    }
}

HMODULE LoadSystemLibrary(const char* name) {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    const std::string path = std::string(folder, length) + "\\" + name;
    return LoadLibraryA(path.c_str());
}

} // namespace velt
