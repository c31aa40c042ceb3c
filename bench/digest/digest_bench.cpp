// Compression throughput of the password digest against libcrypto's MD5 over the same 1 MiB.
//
// Both sides process whole 64-byte blocks only: our MD5Compress once per block, and MD5_Update
// over the whole buffer (which runs libcrypto's block function on each block and buffers
// nothing). Rounds alternate between the two and the best time of each is kept, because the
// machine is shared. Prints the ratio reference time / our time (above 1: ours is faster).
#include "digest/MD5Compress.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <openssl/md5.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kBytes = 1U << 20U;
constexpr int kRounds = 50;

volatile std::uint32_t g_sink; // keeps the results alive

double OursSeconds(const std::vector<std::uint8_t>& data) {
    const auto start = Clock::now();
    std::uint32_t state[4] = {0, 0, 0, 0};
    for (std::size_t pos = 0; pos < data.size(); pos += 64) {
        velt::MD5Compress(state, data.data() + pos);
    }
    const auto stop = Clock::now();
    g_sink = state[0] ^ state[3];
    return std::chrono::duration<double>(stop - start).count();
}

double ReferenceSeconds(const std::vector<std::uint8_t>& data) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const auto start = Clock::now();
    MD5_CTX ctx;
    MD5_Init(&ctx);
    MD5_Update(&ctx, data.data(), data.size());
    const auto stop = Clock::now();
#pragma GCC diagnostic pop
    g_sink = ctx.A ^ ctx.D;
    return std::chrono::duration<double>(stop - start).count();
}

} // namespace

int main() {
    std::vector<std::uint8_t> data(kBytes);
    std::uint32_t x = 0x12345678;
    for (auto& b : data) {
        x = x * 1664525U + 1013904223U;
        b = static_cast<std::uint8_t>(x >> 24U);
    }
    double ours = 1e9;
    double reference = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        ours = std::min(ours, OursSeconds(data));
        reference = std::min(reference, ReferenceSeconds(data));
    }
    const double mib = static_cast<double>(kBytes) / (1024.0 * 1024.0);
    std::printf("compression over 1 MiB, best of %d rounds\n", kRounds);
    std::printf("  MD5Compress:        %8.3f ms  %7.1f MiB/s\n", ours * 1e3, mib / ours);
    std::printf("  libcrypto MD5 block: %7.3f ms  %7.1f MiB/s\n", reference * 1e3, mib / reference);
    std::printf("  ratio (libcrypto time / ours): %.2fx  (goal >= 0.9x)\n", reference / ours);
    return 0;
}
