#include "digest/MD5_RC4.h"

#include "digest/MD5Compress.h"
#include "digest/SecureWipe.h"

#include <array>
#include <cstring>

namespace velt {

namespace {

// The digest context: chaining words and the block buffer. One per process; every computation
// starts with DigestReset, so nothing carries over from one computation to the next.
struct DigestContext {
    std::array<std::uint32_t, 4> state{};
    std::array<std::uint8_t, 64> block{};
};

DigestContext g_context; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

} // namespace

void DigestReset() {
    SecureWipe(g_context.state.data(), sizeof g_context.state);
    SecureWipe(g_context.block.data(), g_context.block.size());
}

void DigestUpdate(const void* data, std::int32_t length) {
    if (data == nullptr || length <= 0) {
        return;
    }
    const auto* in = static_cast<const std::uint8_t*>(data);
    auto remaining = static_cast<std::size_t>(length);
    while (remaining >= g_context.block.size()) {
        std::memcpy(g_context.block.data(), in, g_context.block.size());
        MD5Compress(g_context.state.data(), g_context.block.data());
        in += g_context.block.size();
        remaining -= g_context.block.size();
    }
    if (remaining > 0) {
        // The tail block: the remaining bytes, then zeros; no marker byte and no length.
        std::memcpy(g_context.block.data(), in, remaining);
        std::memset(g_context.block.data() + remaining, 0, g_context.block.size() - remaining);
        MD5Compress(g_context.state.data(), g_context.block.data());
    }
    // The buffer held password bytes: do not leave them in the context.
    SecureWipe(g_context.block.data(), g_context.block.size());
}

void DigestRead(std::uint8_t* out16) {
    for (std::size_t w = 0; w < g_context.state.size(); ++w) {
        const std::uint32_t word = g_context.state[w];
        for (std::size_t b = 0; b < 4; ++b) {
            out16[4 * w + b] = static_cast<std::uint8_t>(word >> (8U * b));
        }
    }
}

std::string PasswordDigest(std::string_view password) {
    DigestReset();
    // Passwords are a few dozen bytes; a text beyond the signed 32-bit range is cut there.
    constexpr std::size_t kMaxLength = 0x7FFFFFFF;
    const std::size_t length = password.size() < kMaxLength ? password.size() : kMaxLength;
    DigestUpdate(password.data(), static_cast<std::int32_t>(length));
    std::string digest(kDigestSize, '*');
    DigestRead(reinterpret_cast<std::uint8_t*>(digest.data()));
    // Nothing reads the context afterwards: clear the chaining words, a copy of the digest.
    DigestReset();
    return digest;
}

std::uint8_t PasswordCheckByte(std::string_view password) {
    std::string digest = PasswordDigest(password);
    std::uint8_t sum = 0;
    for (const char c : digest) {
        sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(c));
    }
    SecureWipe(digest);
    return sum;
}

} // namespace velt
