// The shell contract against the Win32 calls, in a fresh folder of the temporary directory.
#include "ShellContract.h"

#include "win32/Win32Shell.h"

#include <windows.h>

#include <cstdio>

namespace velt::contract {

void RemoveScratch(const std::string& root) {
    RemoveDirectoryA((root + "\\CONFIDENT\\inner").c_str());
    RemoveDirectoryA((root + "\\CONFIDENT").c_str());
    RemoveDirectoryA(root.c_str());
}

std::unique_ptr<IShell> MakeShell() {
    return std::make_unique<Win32Shell>();
}

std::string ScratchRoot() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    char name[64];
    std::snprintf(name, sizeof name, "velt-shell-%lu", GetCurrentProcessId());
    std::string root = std::string(temp) + name;
    RemoveScratch(root);
    CreateDirectoryA(root.c_str(), nullptr);
    return root;
}

} // namespace velt::contract
