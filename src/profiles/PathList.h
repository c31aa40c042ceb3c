// The path-list format: items separated by ';', no separator after the last one, no escapes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velt {

inline constexpr char kPathListSeparator = ';';

// Reads a path list into items: empty items are dropped, double quotes and apostrophes are
// skipped wherever they stand, everything else is kept as written.
std::vector<std::string> SplitPathList(std::string_view pathList);

// Writes items as a path list: each item followed by ';', then the final ';' removed.
std::string JoinPathList(const std::vector<std::string>& items);

} // namespace velt
