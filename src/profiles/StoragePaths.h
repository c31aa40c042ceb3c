// Where the profile storage file and its companions live.
#pragma once

#include <string>
#include <string_view>

namespace velt {

// The storage file beside the executable: the executable's directory without a trailing
// backslash (a drive root keeps its backslash), then "\Profiles\profiles.omx".
std::string ProfilesFilePath(std::string_view exeDirectory);

// The same path with its extension (the part from the last '.' of the last name) replaced by
// `extension`, or with `extension` added when the last name has none.
std::string ChangeFileExt(std::string_view path, const char* extension);

// The folder part of a path: everything before the last '\' (empty when there is none).
std::string ExtractFileDir(std::string_view path);

} // namespace velt
