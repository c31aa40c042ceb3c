// Our own stand-in for the filter driver, used for evaluation and tests, ciphers nothing. It says
// so in the FileDescription of its version resource, and the program says so wherever it speaks
// of protection.
#pragma once

#include <string_view>

#include "SharedNames.h"

namespace velt {

// The word the stand-in's description carries (any letter case); the real driver's never does.
inline constexpr std::string_view kStandInMark = shared::kStandInMark;

bool IsStandInDescription(std::string_view description);
// Whether the driver that runs (LoadedDriverImage) is the stand-in; so is one whose file cannot
// be told.
bool DriverIsStandIn();

} // namespace velt
