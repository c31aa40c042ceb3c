// DLLs from the system folder only: a program folder that other users can write must never lend
// the program a DLL of a system name.
#pragma once

#include <windows.h>

namespace velt {

// Restricts the process's DLL search to the system folder where Windows can
// (SetDefaultDllDirectories), else takes the current folder out of the search (SetDllDirectoryA
// with an empty text). Both are looked up at run time. Call first, before anything loads a DLL on
// demand.
void RestrictDllSearch();

// LoadLibraryA with the full name of a DLL in the system folder; nullptr when it cannot be
// loaded from there.
HMODULE LoadSystemLibrary(const char* name);

} // namespace velt
