// Wiping the program's own copies of a password: writes that the optimiser may not drop.
#pragma once

#include <cstddef>
#include <string>

namespace velt {

void SecureWipe(void* data, std::size_t size);
// Overwrites every character (and the spare capacity) with zeros, then empties the string.
void SecureWipe(std::string& text);

} // namespace velt
