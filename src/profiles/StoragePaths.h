// Where the profile storage file and its companions live.
#pragma once

#include <string>
#include <string_view>

#include "platform/PathNames.h"

namespace velt {

// The storage file beside the executable: the executable's directory without a trailing
// backslash (a drive root keeps its backslash), then "\Profiles\profiles.omx".
std::string ProfilesFilePath(std::string_view exeDirectory);

} // namespace velt
