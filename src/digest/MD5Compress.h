// The MD5 compression function of RFC 1321: one 64-byte block folded into four chaining words.
#pragma once

#include <cstdint>

namespace velt {

// Runs the 64 steps over the block (sixteen little-endian words) and adds the working words to
// state[0..3] modulo 2^32.
void MD5Compress(std::uint32_t state[4], const std::uint8_t block[64]);

} // namespace velt
