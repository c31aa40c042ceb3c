#include "win32/Win32Shell.h"

#include "win32/ExecutableName.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

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

std::string Win32Shell::ExecutableName() {
    // Whole however long, or empty: never cut.
    return ExecutableFileName();
}

std::string Win32Shell::LocalAppDataFolder() {
    char folder[MAX_PATH] = {};
    if (FAILED(
            SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return {};
    }
    return folder;
}

} // namespace velt
