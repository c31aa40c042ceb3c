// The full file name of the running executable (GetModuleFileNameA of the process).
#pragma once

#include <string>

namespace velt {

std::string ExecutableFileName();

} // namespace velt
