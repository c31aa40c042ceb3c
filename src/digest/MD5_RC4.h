// Password digest and check byte.
//
// The digest runs the MD5 compression function over the password with a zero chaining start and
// a zero-padded tail block (no marker byte, no length). Its 16 bytes are the key material handed
// to the filter driver; the check byte (their 8-bit sum) is what a protected profile stores.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velt {

inline constexpr std::size_t kDigestSize = 16;

// The one digest context of the process.
void DigestReset();
void DigestUpdate(const void* data, std::int32_t length);
void DigestRead(std::uint8_t* out16);

// Reset, update over the text's bytes, read: 16 characters, zero bytes included.
std::string PasswordDigest(std::string_view password);
// 8-bit sum of the 16 digest bytes.
std::uint8_t PasswordCheckByte(std::string_view password);

} // namespace velt
