// Our own stand-in for the filter driver, used for evaluation and tests, ciphers nothing. It says
// so in the FileDescription of its version resource, and the program says so wherever it speaks
// of protection.
#pragma once

#include <string_view>

namespace velt {

// The word the stand-in's description carries (any letter case); the real driver's never does.
inline constexpr std::string_view kStandInMark = "stand-in";

bool IsStandInDescription(std::string_view description);
// Whether the driver file the program installs and loads (DriverFilePath) is the stand-in.
bool DriverIsStandIn();

} // namespace velt
