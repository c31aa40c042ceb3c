// Whether a setup installed this copy: the folders the setups recorded in the machine's registry.
// The setup program records its folder under its uninstall entry, the Windows Installer package
// under a key of its own (InstallerKey), so that a start never has to ask Windows Installer.
#pragma once

#include "platform/SettingsRegistry.h"

#include "SharedNames.h"

#include <string>
#include <string_view>
#include <vector>

namespace velt {

// Where the setup program records its installation (read in the machine's registry).
inline constexpr std::string_view kUninstallKeyPath = shared::kUninstallKey;
inline constexpr std::string_view kInstallLocationValue = "InstallLocation";

// The folders the setups recorded, read from `machine` (the 32-bit view, where both 32-bit
// installers write): the setup program's, then the package's. A value that is not a string or
// is longer than Windows' longest path is no record.
std::vector<std::string> RecordedInstallFolders(ISettingsRegistry& machine);

} // namespace velt
