// The user a process runs for: its token's TOKEN_USER, as bytes.
#pragma once

#include <windows.h>

#include <vector>

namespace velt {

// The TOKEN_USER of the process (a handle with query rights); empty when it cannot be read.
std::vector<BYTE> ProcessUser(HANDLE process);

} // namespace velt
