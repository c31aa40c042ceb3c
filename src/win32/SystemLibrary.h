// DLLs from the system folder only: a program folder that other users can write must never lend
// the program a DLL of a system name.
#pragma once

#include <windows.h>

#include <string>

namespace velt {

// Restricts the process's DLL search to the system folder where Windows can
// (SetDefaultDllDirectories), else takes the current folder out of the search (SetDllDirectoryA
// with an empty text). Both are looked up at run time. Call first, before anything loads a DLL on
// demand.
void RestrictDllSearch();

// An export of a loaded DLL found by name, or nullptr without the DLL or the export.
template <typename Function> Function ExportOf(HMODULE module, const char* name) {
    // The cast through a generic function pointer is how an export found by name is called.
    return module == nullptr ? nullptr
                             : reinterpret_cast<Function>(
                                   reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// An export of kernel32.dll found by name, or nullptr on a Windows without it.
template <typename Function> Function Kernel32Export(const char* name) {
    return ExportOf<Function>(GetModuleHandleA("kernel32.dll"), name);
}

// The system folder (GetSystemDirectoryA), without a trailing backslash; empty on failure.
std::string SystemFolderPath();

// LoadLibraryA with the full name of a DLL in the system folder; nullptr when it cannot be
// loaded from there.
HMODULE LoadSystemLibrary(const char* name);

} // namespace velt
