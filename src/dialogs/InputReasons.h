// The limits of a typed password, and the reasons a disabled confirming button gives in its tool
// tip: the windows show no message for incomplete input, so the tip is how the user learns what
// is missing.
#pragma once

#include "forms/Edit.h"

#include <cstddef>
#include <string_view>

namespace velt {

inline constexpr std::size_t kMinPasswordLength = 4;
inline constexpr std::size_t kMaxPasswordLength = 32;
// The rule, as every password edit shows it while empty.
inline constexpr std::string_view kPasswordRule = "4 to 32 characters";

inline constexpr std::string_view kReasonNoProfile = "Select a profile first.";
inline constexpr std::string_view kReasonNoName = "Type a name for the profile.";
inline constexpr std::string_view kReasonNoList = "Give the files and folders to protect.";
inline constexpr std::string_view kReasonListTooLong =
    "The files and folders to protect take more than 255 characters.";
inline constexpr std::string_view kReasonTooShort = "A password has at least 4 characters.";
inline constexpr std::string_view kReasonTooLong = "A password has at most 32 characters.";
inline constexpr std::string_view kReasonReenter =
    "Type the password again under \"Reenter password\".";
inline constexpr std::string_view kReasonDiffer = "The two passwords differ.";
inline constexpr std::string_view kReasonListFull =
    "The list holds 16 entries: replace or delete one to add this one.";
inline constexpr std::string_view kReasonUnchanged = "Nothing has been changed yet.";
inline constexpr std::string_view kReasonUnrepresentable =
    "The text holds characters this computer's language setting cannot store.";

// Makes the edit a password edit: stars, at most 32 characters typed, the rule as its cue, and as
// its tool tip where it has none of its own (a system that draws no cue still says the rule).
void MakePasswordEdit(Edit& edit);
// Why the edit's text cannot be taken as a password; empty when it can.
std::string_view PasswordFault(const Edit& edit);
// Why the second entry of a password, typed to repeat a first one that passed PasswordFault, is
// not taken; empty when it is. repeats: whether it counts as the same password (by its text, or
// only by its length where the texts are compared later). An empty one asks for the password
// again rather than for its length.
std::string_view ReenterFault(const Edit& again, bool repeats);

} // namespace velt
