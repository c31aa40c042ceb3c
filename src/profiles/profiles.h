// The profile: a named path list and the optional password check byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "profiles/FixedText.h"

namespace velt {

inline constexpr std::size_t kProfileNameCapacity = 99;
inline constexpr std::size_t kPathListCapacity = 255;
inline constexpr std::size_t kReservedCapacity = 153;

// A plain holder of fields, laid out as the storage record is. A new profile has every text
// empty and every byte 0. CheckFlag is a byte, not a bool: a damaged storage file may carry any
// value, and every value other than 0 means "on".
class TProfileObj {
  public:
    FixedText<kProfileNameCapacity> ProfileName;
    FixedText<kPathListCapacity> PathList;
    FixedText<kReservedCapacity> Reserved;
    std::uint8_t CheckFlag = 0;
    std::uint8_t CheckByte = 0;

    friend bool operator==(const TProfileObj&, const TProfileObj&) = default;
};

inline constexpr std::string_view kDefaultProfileName = "My Confidential Data";
inline constexpr std::string_view kDefaultPathList = "c:\\confident\\*.*";

// The profile offered on first run.
TProfileObj MakeDefaultProfile();

// The profile properties dialog's answers.
struct ProfileAnswers {
    std::string_view Name;
    std::string_view PathList;
    bool CheckPassword = false;
    std::string_view Password; // the first password entry
};

// Stores the dialog's answers: name and path list (cut to capacity), the check flag from the
// check box, and the check byte of the first password only when the box is ticked (otherwise the
// old check byte stays). Reserved is left alone.
void StoreProfileAnswers(TProfileObj& profile, const ProfileAnswers& answers);

} // namespace velt
