// Test-only stand-in for the check byte while the digest library has no sources in this build:
// a fixed function of the text, enough for tests that only compare check bytes with each other.
#include "digest/MD5_RC4.h"

namespace velt {

std::uint8_t PasswordCheckByte(std::string_view password) {
    std::uint8_t sum = 0x5A;
    for (const char c : password) {
        sum = static_cast<std::uint8_t>(sum * 31 + static_cast<unsigned char>(c));
    }
    return sum;
}

} // namespace velt
