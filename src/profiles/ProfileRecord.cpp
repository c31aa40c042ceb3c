#include "profiles/ProfileRecord.h"

#include <algorithm>
#include <string_view>

namespace velt {

namespace {

void PutText(ProfileRecord& record, std::size_t offset, std::string_view text) {
    record[offset] = static_cast<std::uint8_t>(text.size());
    std::copy(text.begin(), text.end(), record.begin() + static_cast<std::ptrdiff_t>(offset + 1));
}

std::string_view GetText(std::span<const std::uint8_t, kRecordSize> record, std::size_t offset,
                         std::size_t capacity) {
    const std::size_t length = std::min<std::size_t>(record[offset], capacity);
    return {reinterpret_cast<const char*>(record.data() + offset + 1), length};
}

} // namespace

ProfileRecord EncodeRecord(const TProfileObj& profile) {
    ProfileRecord record{};
    PutText(record, kNameOffset, profile.ProfileName);
    PutText(record, kPathListOffset, profile.PathList);
    PutText(record, kReservedOffset, profile.Reserved);
    record[kCheckFlagOffset] = profile.CheckFlag;
    record[kCheckByteOffset] = profile.CheckByte;
    return record;
}

TProfileObj DecodeRecord(std::span<const std::uint8_t, kRecordSize> record) {
    TProfileObj profile;
    profile.ProfileName = GetText(record, kNameOffset, kProfileNameCapacity);
    profile.PathList = GetText(record, kPathListOffset, kPathListCapacity);
    profile.Reserved = GetText(record, kReservedOffset, kReservedCapacity);
    profile.CheckFlag = record[kCheckFlagOffset];
    profile.CheckByte = record[kCheckByteOffset];
    return profile;
}

} // namespace velt
