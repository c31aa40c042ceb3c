// The control requests of the filter driver and the 580-byte parameter block it is handed.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace velt {

// CTL_CODE(device type, function, METHOD_BUFFERED, FILE_ANY_ACCESS) of the driver's device type.
constexpr std::uint32_t DriverControlCode(std::uint32_t function) {
    constexpr std::uint32_t kDeviceType = 0x8300;
    return (kDeviceType << 16U) | (function << 2U);
}

inline constexpr std::uint32_t IOCTL_DRIVE_MASK = DriverControlCode(0);
inline constexpr std::uint32_t IOCTL_STOP = DriverControlCode(4);
inline constexpr std::uint32_t IOCTL_START = DriverControlCode(5);
inline constexpr std::uint32_t IOCTL_SET_PARAMS = DriverControlCode(6);
static_assert(IOCTL_DRIVE_MASK == 0x83000000 && IOCTL_STOP == 0x83000010 &&
              IOCTL_START == 0x83000014 && IOCTL_SET_PARAMS == 0x83000018);

// Capacity of each string field: its characters and a terminating zero.
inline constexpr std::size_t kParamStringField = 256;
inline constexpr std::size_t kParamStringMax = kParamStringField - 1;

// What the driver receives with IOCTL_SET_PARAMS, byte for byte (little-endian, no header).
// The string fields are zero-terminated and zero after the terminator; the reserved bytes are
// never written.
struct DriverParamBlock {
    std::array<char, kParamStringField> AuxString{};
    std::array<char, kParamStringField> PathList{};
    std::array<std::uint8_t, 16> KeyDigest{};
    std::array<std::uint8_t, 48> Reserved{};
    std::uint32_t Mode = 0;
};

static_assert(std::endian::native == std::endian::little, "the block is sent as it lies in memory");
static_assert(sizeof(DriverParamBlock) == 580);
static_assert(offsetof(DriverParamBlock, AuxString) == 0);
static_assert(offsetof(DriverParamBlock, PathList) == 256);
static_assert(offsetof(DriverParamBlock, KeyDigest) == 512);
static_assert(offsetof(DriverParamBlock, Reserved) == 528);
static_assert(offsetof(DriverParamBlock, Mode) == 576);

} // namespace velt
