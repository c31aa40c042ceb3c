// Whether the driver file beside the program may be installed and started as a kernel driver:
// it must be made for this Windows (a 64-bit kernel loads only 64-bit drivers, a 32-bit one only
// 32-bit drivers), and no one but the system's own writers may change it or its folder, since
// whatever that file holds runs in the kernel at the next start.
#pragma once

#include "platform/DriverFiles.h"

#include <string>
#include <string_view>
#include <vector>

namespace velt {

// The machine type a file's PE header names.
enum class DriverMachine { Missing, NotPe, I386, Amd64, Other };

// Reads the MZ header, the PE header it points to and its machine field, every read bounded.
DriverMachine ReadDriverMachine(IDriverFiles& files, std::string_view path);

// The accounts that may change the system folder: its owner and every account an entry allows
// to write, delete or change its rights or owner.
std::vector<std::string> SystemFolderWriters(const SecuritySummary& systemFolder);

// Whether only SYSTEM, Administrators, TrustedInstaller and the given writers of the system
// folder may write, delete, or change the rights or owner of the object. Entries that deny are
// not weighed: an entry that allows counts whatever denies it elsewhere.
bool OnlyTrustedMayChange(const SecuritySummary& object,
                          const std::vector<std::string>& systemWriters);

// Empty when the driver file may be installed and started; else the text that tells the user
// why not (a file or folder that other users may change, a driver for the other kind of
// Windows). A missing file and a file that is no PE image are left to the service manager, whose
// failure is reported as before.
std::string DriverFileRefusal(IDriverFiles& files, std::string_view driverFilePath);

} // namespace velt
