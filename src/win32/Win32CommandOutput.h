// Where a command-line run writes its line: its standard output when that is a file, a pipe or a
// console, else the console of the process that started it; nowhere when there is neither.
#pragma once

#include <string_view>

namespace velt {

void WriteRunLine(std::string_view line);

} // namespace velt
