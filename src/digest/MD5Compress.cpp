#include "digest/MD5Compress.h"

#include <cstddef>

#include "bytes/LittleEndian.h"

namespace velt {

namespace {

constexpr std::uint32_t Rotl(std::uint32_t x, unsigned n) {
    return (x << n) | (x >> (32U - n));
}

// F and G in the equivalent forms with one operation less: (x & y) | (~x & z) and
// (x & z) | (y & ~z).
constexpr std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return ((y ^ z) & x) ^ z;
}
constexpr std::uint32_t G(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return ((x ^ y) & z) ^ y;
}
constexpr std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return x ^ y ^ z;
}
constexpr std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return y ^ (x | ~z);
}

// One step: a = b + ((a + f(b, c, d) + x + t) <<< s).
#define VELT_MD5_STEP(f, a, b, c, d, x, s, t)                                                      \
    (a) += f((b), (c), (d)) + (x) + (t);                                                           \
    (a) = Rotl((a), (s)) + (b)

struct MessageWords {
    const std::uint8_t* block;
    std::uint32_t operator[](std::size_t i) const { return LoadLe32(block + (4 * i)); }
};

} // namespace

void MD5Compress(std::uint32_t state[4], const std::uint8_t block[64]) {
    // The message words are read from the block where each step needs them, instead of being
    // copied into an array on the stack that would keep the password's bytes after the call.
    const MessageWords x{block};
    std::uint32_t a = state[0];
    std::uint32_t b = state[1];
    std::uint32_t c = state[2];
    std::uint32_t d = state[3];

    VELT_MD5_STEP(F, a, b, c, d, x[0], 7, 0xd76aa478);
    VELT_MD5_STEP(F, d, a, b, c, x[1], 12, 0xe8c7b756);
    VELT_MD5_STEP(F, c, d, a, b, x[2], 17, 0x242070db);
    VELT_MD5_STEP(F, b, c, d, a, x[3], 22, 0xc1bdceee);
    VELT_MD5_STEP(F, a, b, c, d, x[4], 7, 0xf57c0faf);
    VELT_MD5_STEP(F, d, a, b, c, x[5], 12, 0x4787c62a);
    VELT_MD5_STEP(F, c, d, a, b, x[6], 17, 0xa8304613);
    VELT_MD5_STEP(F, b, c, d, a, x[7], 22, 0xfd469501);
    VELT_MD5_STEP(F, a, b, c, d, x[8], 7, 0x698098d8);
    VELT_MD5_STEP(F, d, a, b, c, x[9], 12, 0x8b44f7af);
    VELT_MD5_STEP(F, c, d, a, b, x[10], 17, 0xffff5bb1);
    VELT_MD5_STEP(F, b, c, d, a, x[11], 22, 0x895cd7be);
    VELT_MD5_STEP(F, a, b, c, d, x[12], 7, 0x6b901122);
    VELT_MD5_STEP(F, d, a, b, c, x[13], 12, 0xfd987193);
    VELT_MD5_STEP(F, c, d, a, b, x[14], 17, 0xa679438e);
    VELT_MD5_STEP(F, b, c, d, a, x[15], 22, 0x49b40821);

    VELT_MD5_STEP(G, a, b, c, d, x[1], 5, 0xf61e2562);
    VELT_MD5_STEP(G, d, a, b, c, x[6], 9, 0xc040b340);
    VELT_MD5_STEP(G, c, d, a, b, x[11], 14, 0x265e5a51);
    VELT_MD5_STEP(G, b, c, d, a, x[0], 20, 0xe9b6c7aa);
    VELT_MD5_STEP(G, a, b, c, d, x[5], 5, 0xd62f105d);
    VELT_MD5_STEP(G, d, a, b, c, x[10], 9, 0x02441453);
    VELT_MD5_STEP(G, c, d, a, b, x[15], 14, 0xd8a1e681);
    VELT_MD5_STEP(G, b, c, d, a, x[4], 20, 0xe7d3fbc8);
    VELT_MD5_STEP(G, a, b, c, d, x[9], 5, 0x21e1cde6);
    VELT_MD5_STEP(G, d, a, b, c, x[14], 9, 0xc33707d6);
    VELT_MD5_STEP(G, c, d, a, b, x[3], 14, 0xf4d50d87);
    VELT_MD5_STEP(G, b, c, d, a, x[8], 20, 0x455a14ed);
    VELT_MD5_STEP(G, a, b, c, d, x[13], 5, 0xa9e3e905);
    VELT_MD5_STEP(G, d, a, b, c, x[2], 9, 0xfcefa3f8);
    VELT_MD5_STEP(G, c, d, a, b, x[7], 14, 0x676f02d9);
    VELT_MD5_STEP(G, b, c, d, a, x[12], 20, 0x8d2a4c8a);

    VELT_MD5_STEP(H, a, b, c, d, x[5], 4, 0xfffa3942);
    VELT_MD5_STEP(H, d, a, b, c, x[8], 11, 0x8771f681);
    VELT_MD5_STEP(H, c, d, a, b, x[11], 16, 0x6d9d6122);
    VELT_MD5_STEP(H, b, c, d, a, x[14], 23, 0xfde5380c);
    VELT_MD5_STEP(H, a, b, c, d, x[1], 4, 0xa4beea44);
    VELT_MD5_STEP(H, d, a, b, c, x[4], 11, 0x4bdecfa9);
    VELT_MD5_STEP(H, c, d, a, b, x[7], 16, 0xf6bb4b60);
    VELT_MD5_STEP(H, b, c, d, a, x[10], 23, 0xbebfbc70);
    VELT_MD5_STEP(H, a, b, c, d, x[13], 4, 0x289b7ec6);
    VELT_MD5_STEP(H, d, a, b, c, x[0], 11, 0xeaa127fa);
    VELT_MD5_STEP(H, c, d, a, b, x[3], 16, 0xd4ef3085);
    VELT_MD5_STEP(H, b, c, d, a, x[6], 23, 0x04881d05);
    VELT_MD5_STEP(H, a, b, c, d, x[9], 4, 0xd9d4d039);
    VELT_MD5_STEP(H, d, a, b, c, x[12], 11, 0xe6db99e5);
    VELT_MD5_STEP(H, c, d, a, b, x[15], 16, 0x1fa27cf8);
    VELT_MD5_STEP(H, b, c, d, a, x[2], 23, 0xc4ac5665);

    VELT_MD5_STEP(I, a, b, c, d, x[0], 6, 0xf4292244);
    VELT_MD5_STEP(I, d, a, b, c, x[7], 10, 0x432aff97);
    VELT_MD5_STEP(I, c, d, a, b, x[14], 15, 0xab9423a7);
    VELT_MD5_STEP(I, b, c, d, a, x[5], 21, 0xfc93a039);
    VELT_MD5_STEP(I, a, b, c, d, x[12], 6, 0x655b59c3);
    VELT_MD5_STEP(I, d, a, b, c, x[3], 10, 0x8f0ccc92);
    VELT_MD5_STEP(I, c, d, a, b, x[10], 15, 0xffeff47d);
    VELT_MD5_STEP(I, b, c, d, a, x[1], 21, 0x85845dd1);
    VELT_MD5_STEP(I, a, b, c, d, x[8], 6, 0x6fa87e4f);
    VELT_MD5_STEP(I, d, a, b, c, x[15], 10, 0xfe2ce6e0);
    VELT_MD5_STEP(I, c, d, a, b, x[6], 15, 0xa3014314);
    VELT_MD5_STEP(I, b, c, d, a, x[13], 21, 0x4e0811a1);
    VELT_MD5_STEP(I, a, b, c, d, x[4], 6, 0xf7537e82);
    VELT_MD5_STEP(I, d, a, b, c, x[11], 10, 0xbd3af235);
    VELT_MD5_STEP(I, c, d, a, b, x[2], 15, 0x2ad7d2bb);
    VELT_MD5_STEP(I, b, c, d, a, x[9], 21, 0xeb86d391);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

#undef VELT_MD5_STEP

} // namespace velt
