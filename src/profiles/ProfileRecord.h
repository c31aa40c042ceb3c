// The 512-byte storage record of one profile.
//
//   offset   0, 100 bytes: name length (0..99), then the characters
//   offset 100, 256 bytes: path-list length (0..255), then the characters
//   offset 356, 154 bytes: reserved-text length (0..153), then the characters
//   offset 510:            CheckFlag
//   offset 511:            CheckByte
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "profiles/profiles.h"

namespace velt {

inline constexpr std::size_t kRecordSize = 512;
inline constexpr std::size_t kNameOffset = 0;
inline constexpr std::size_t kPathListOffset = 100;
inline constexpr std::size_t kReservedOffset = 356;
inline constexpr std::size_t kCheckFlagOffset = 510;
inline constexpr std::size_t kCheckByteOffset = 511;

using ProfileRecord = std::array<std::uint8_t, kRecordSize>;

// Builds the record of a profile; the bytes after each text's last character are zero.
ProfileRecord EncodeRecord(const TProfileObj& profile);
void EncodeRecordInto(const TProfileObj& profile, std::span<std::uint8_t, kRecordSize> record);

// Reads a record as it stands: a length byte above its field's capacity is cut to the capacity,
// CheckFlag and CheckByte are taken as they are.
TProfileObj DecodeRecord(std::span<const std::uint8_t, kRecordSize> record);
void DecodeRecordInto(std::span<const std::uint8_t, kRecordSize> record, TProfileObj& profile);

} // namespace velt
