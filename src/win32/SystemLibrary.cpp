#include "win32/SystemLibrary.h"

namespace velt {

namespace {

constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);

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

std::string SystemFolderPath() {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(folder, length);
}

HMODULE LoadSystemLibrary(const char* name) {
    const std::string folder = SystemFolderPath();
    return folder.empty() ? nullptr : LoadLibraryA((folder + "\\" + name).c_str());
}

} // namespace velt
