#include "driver/OMX_API.h"
#include "driver/OmxModule.h"

#include <array>

namespace velt {

namespace {

// Each root takes four bytes: letter, colon, backslash, zero.
constexpr std::uint32_t kRootsBufferSize = 256;
constexpr std::size_t kRootStep = 4;

bool IsLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::uint32_t LocalDriveMask() {
    IDriverOs* os = omx::State().os;
    if (os == nullptr) {
        return 0;
    }
    // One byte more than the size given to the OS, always zero: the walk below cannot run past
    // the end whatever the OS left in the buffer.
    std::array<char, kRootsBufferSize + 1> roots{};
    const std::uint32_t length = os->LogicalDriveStrings(roots.data(), kRootsBufferSize);
    if (length == 0 || length > kRootsBufferSize) {
        // Failed, or the roots did not fit (nothing was written).
        return 0;
    }
    std::uint32_t mask = 0;
    for (std::size_t pos = 0; pos + kRootStep <= kRootsBufferSize && roots[pos] != '\0';
         pos += kRootStep) {
        const auto letter = static_cast<unsigned char>(roots[pos]);
        // The root string, at most the three characters of its step.
        std::size_t rootLength = 0;
        while (rootLength < kRootStep - 1 && roots[pos + rootLength] != '\0') {
            ++rootLength;
        }
        const std::uint32_t type = os->DriveType(std::string_view(&roots[pos], rootLength));
        if ((type == kDriveFixed || type == kDriveCdrom) && IsLetter(letter)) {
            // Letter code minus that of 'a', modulo 32: 'A' and 'a' both give bit 0.
            mask |= 1U << ((letter - 97U) % 32U);
        }
    }
    return mask;
}

} // namespace velt
