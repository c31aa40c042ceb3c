#include "profiles/ProfileRecord.h"

#include <algorithm>
#include <string_view>

namespace velt {

namespace {

void PutText(std::span<std::uint8_t, kRecordSize> record, std::size_t offset, std::size_t capacity,
             std::string_view text) {
    record[offset] = static_cast<std::uint8_t>(text.size());
    auto* field = record.data() + offset + 1;
    std::copy(text.begin(), text.end(), field);
    std::fill(field + text.size(), field + capacity, std::uint8_t{0});
}

std::string_view GetText(std::span<const std::uint8_t, kRecordSize> record, std::size_t offset,
                         std::size_t capacity) {
    const std::size_t length = std::min<std::size_t>(record[offset], capacity);
    return {reinterpret_cast<const char*>(record.data() + offset + 1), length};
}

} // namespace

void EncodeRecordInto(const TProfileObj& profile, std::span<std::uint8_t, kRecordSize> record) {
    PutText(record, kNameOffset, kProfileNameCapacity, profile.ProfileName);
    PutText(record, kPathListOffset, kPathListCapacity, profile.PathList);
    PutText(record, kReservedOffset, kReservedCapacity, profile.Reserved);
    record[kCheckFlagOffset] = profile.CheckFlag;
    record[kCheckByteOffset] = profile.CheckByte;
}

ProfileRecord EncodeRecord(const TProfileObj& profile) {
    ProfileRecord record;
    EncodeRecordInto(profile, record);
    return record;
}

void DecodeRecordInto(std::span<const std::uint8_t, kRecordSize> record, TProfileObj& profile) {
    profile.ProfileName = GetText(record, kNameOffset, kProfileNameCapacity);
    profile.PathList = GetText(record, kPathListOffset, kPathListCapacity);
    profile.Reserved = GetText(record, kReservedOffset, kReservedCapacity);
    profile.CheckFlag = record[kCheckFlagOffset];
    profile.CheckByte = record[kCheckByteOffset];
}

TProfileObj DecodeRecord(std::span<const std::uint8_t, kRecordSize> record) {
    TProfileObj profile;
    DecodeRecordInto(record, profile);
    return profile;
}

} // namespace velt
