// Whether the driver file beside the program may be installed and started as a kernel driver:
// it must be made for this Windows (a 64-bit kernel loads only 64-bit drivers, a 32-bit one only
// 32-bit drivers), and no one but the system's own writers may change it or its folder, since
// whatever that file holds runs in the kernel at the next start.
#pragma once

#include "driver/PathTrust.h"
#include "platform/DriverFiles.h"

#include <string>
#include <string_view>
#include <vector>

namespace velt {

// The machine type a file's PE header names.
enum class DriverMachine { Missing, NotPe, I386, Amd64, Other };

// Reads the MZ header, the PE header it points to and its machine field, every read bounded.
DriverMachine ReadDriverMachine(IDriverFiles& files, std::string_view path);

// The trusted accounts (PathTrust.h): SYSTEM, Administrators, TrustedInstaller, and the owner
// and every writer of the system folder (VeltRowMakesSystemWriter), when its rights were read.
VeltTrust TrustedAccounts(const SecuritySummary* systemFolder);

// The row an access entry makes, with its account judged by `trust`.
VeltAccessRow RowOf(const AccessEntry& entry, const VeltTrust& trust);

// Whether the entry gives its account any right on the object itself (PathTrust.h's rule for
// each kind of entry: not a deny, not inherit-only), whatever the kind of object.
bool AllowsOnObject(const AccessEntry& entry);

// The facts the path rule judges about one part, from its owner and access list.
VeltPathPart PartFacts(const SecuritySummary& part, const VeltTrust& trust);

// The path's parts from its root down, each as a full name ("C:\", "C:\A", "C:\A\B"); empty
// when VeltSplitPath refuses the path.
std::vector<std::string> PathParts(std::string_view path);

// Empty when the driver file may be installed and started; else the text that tells the user
// why not (a file or folder that other users may change, a driver for the other kind of
// Windows). A missing file and a file that is no PE image are left to the service manager, whose
// failure is reported as any other failure to reach the driver.
std::string DriverFileRefusal(IDriverFiles& files, std::string_view driverFilePath);

} // namespace velt
