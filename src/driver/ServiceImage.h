// The file a registered kernel driver service loads, from the image path the service manager
// recorded for it.
#pragma once

#include <string>
#include <string_view>

namespace velt {

// The Windows path of the driver file that an image path names: a full path as it is; the
// object manager's "\??\C:\..." and "\SystemRoot\..." forms, and a path relative to the Windows
// folder ("System32\drivers\x.sys"), as the kernel reads them. Surrounding quotes are dropped.
// Empty when the image path names no file on a drive this way, or a form Win32 would read as
// another file than the kernel does ('/', a name ending in a dot or a space, "..", a stream; see
// VeltSplitPath): such a service is not trusted. systemFolder is the system folder, whose
// parent is the Windows folder. On 64-bit Windows the file is read without the redirection of a
// 32-bit program's System32 (IDriverFiles), so the file judged is the one the kernel loads.
std::string ServiceImageFile(std::string_view imagePath, std::string_view systemFolder);

} // namespace velt
