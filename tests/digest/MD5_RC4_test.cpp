#include "digest/MD5_RC4.h"
#include "digest/SecureWipe.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velt {
namespace {

using Bytes = std::array<std::uint8_t, 16>;

std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) {
        s[i] = static_cast<char>((i * 7 + 1) % 256);
    }
    return s;
}

Bytes ToBytes(const std::string& digest) {
    Bytes out{};
    for (std::size_t i = 0; i < out.size() && i < digest.size(); ++i) {
        out[i] = static_cast<std::uint8_t>(digest[i]);
    }
    return out;
}

struct KnownAnswer {
    const char* name;
    std::string text;
    Bytes digest;
    int check;
};

// Expected values from tests/digest/known_answers.py, an independent RFC 1321 reference.
std::vector<KnownAnswer> KnownAnswers() {
    return {
        {"abc",
         "abc",
         {0x32, 0x38, 0x53, 0x48, 0x84, 0xF8, 0xD3, 0x2C, 0x68, 0x68, 0xFB, 0x58, 0x70, 0x92, 0xE2,
          0x07},
         142},
        {"pattern 63",
         Pattern(63),
         {0x34, 0x21, 0x53, 0x31, 0xAA, 0x55, 0x14, 0x00, 0xC0, 0x9A, 0x9C, 0xEE, 0x40, 0x8A, 0x72,
          0x24},
         48},
        {"pattern 64",
         Pattern(64),
         {0x60, 0x1D, 0x51, 0xC3, 0x23, 0x31, 0xF0, 0x76, 0xC1, 0x22, 0x04, 0xE7, 0x54, 0x5E, 0x92,
          0x74},
         209},
        {"pattern 65",
         Pattern(65),
         {0x11, 0x50, 0x81, 0xD8, 0xA3, 0x5E, 0x85, 0x77, 0x38, 0xA9, 0x13, 0x86, 0xE1, 0x14, 0x21,
          0x91},
         216},
        {"pattern 128",
         Pattern(128),
         {0x25, 0xF7, 0xB4, 0xA0, 0x24, 0xE6, 0x8F, 0x31, 0xF1, 0xF9, 0x35, 0x85, 0x8F, 0xC7, 0x69,
          0x93},
         48},
        {"high bytes",
         std::string("\x80\xA9\xFF\xE9\xC4", 5),
         {0x92, 0xE7, 0x51, 0x1C, 0xA3, 0xAE, 0xAE, 0x9B, 0xA3, 0x56, 0xAF, 0x5B, 0xC9, 0xC1, 0xC1,
          0x02},
         208},
        {"Abc",
         "Abc",
         {0x55, 0x28, 0xCC, 0x3F, 0x12, 0x6A, 0x5F, 0x46, 0x2D, 0x6B, 0x60, 0x35, 0xE5, 0x9B, 0x57,
          0x29},
         214},
    };
}

TEST(PasswordDigest, MatchesIndependentReference) {
    for (const auto& ka : KnownAnswers()) {
        SCOPED_TRACE(ka.name);
        const std::string digest = PasswordDigest(ka.text);
        ASSERT_EQ(digest.size(), kDigestSize);
        EXPECT_EQ(ToBytes(digest), ka.digest);
        EXPECT_EQ(PasswordCheckByte(ka.text), ka.check);
    }
}

TEST(PasswordDigest, EmptyTextCompressesNothing) {
    const std::string digest = PasswordDigest("");
    ASSERT_EQ(digest.size(), kDigestSize); // zero bytes still count as characters
    EXPECT_EQ(ToBytes(digest), Bytes{});
    EXPECT_EQ(PasswordCheckByte(""), 0);
}

TEST(PasswordDigest, TrailingZerosInLastBlockDoNotMatter) {
    EXPECT_EQ(PasswordDigest(std::string("abc\0", 4)), PasswordDigest("abc"));
    // A 64-byte text gets no tail block, so one zero byte more adds a whole block.
    EXPECT_NE(PasswordDigest(Pattern(64) + std::string(1, '\0')), PasswordDigest(Pattern(64)));
}

TEST(PasswordDigest, EarlierComputationLeavesNoTrace) {
    const std::string first = PasswordDigest("abc");
    (void)PasswordDigest(Pattern(200));
    EXPECT_EQ(PasswordDigest("abc"), first);
}

TEST(DigestContext, StepwiseApiMatchesPasswordDigest) {
    const std::string text = Pattern(65);
    Bytes out{};
    DigestReset();
    DigestUpdate(text.data(), static_cast<std::int32_t>(text.size()));
    DigestRead(out.data());
    EXPECT_EQ(out, ToBytes(PasswordDigest(text)));

    // Each update pads its own tail: 64 bytes then the 65th equals 65 at once.
    DigestReset();
    DigestUpdate(text.data(), 64);
    DigestUpdate(text.data() + 64, 1);
    DigestRead(out.data());
    EXPECT_EQ(out, ToBytes(PasswordDigest(text)));
}

TEST(DigestContext, NonPositiveLengthCompressesNothing) {
    Bytes out{};
    out.fill(0xAA);
    DigestReset();
    DigestUpdate("abc", 0);
    DigestUpdate("abc", -5);
    DigestUpdate(nullptr, 3);
    DigestRead(out.data());
    EXPECT_EQ(out, Bytes{});
}

TEST(SecureWipe, ClearsBufferAndWholeStringAllocation) {
    std::array<unsigned char, 8> buffer{1, 2, 3, 4, 5, 6, 7, 8};
    SecureWipe(buffer.data(), 5);
    EXPECT_EQ(buffer, (std::array<unsigned char, 8>{0, 0, 0, 0, 0, 6, 7, 8}));

    std::string secret(100, 'p');
    secret.resize(10); // the other 90 characters stay in the spare capacity
    const char* storage = secret.data();
    const std::size_t capacity = secret.capacity();
    SecureWipe(secret);
    EXPECT_TRUE(secret.empty());
    ASSERT_EQ(secret.data(), storage);
    for (std::size_t i = 0; i < capacity; ++i) {
        ASSERT_EQ(storage[i], '\0') << "byte " << i;
    }
}

} // namespace
} // namespace velt
