#include "dialogs/InputReasons.h"

namespace velt {

void MakePasswordEdit(Edit& edit) {
    edit.SetPassword(true);
    edit.SetMaxLength(kMaxPasswordLength);
    edit.SetCue(std::string(kPasswordRule));
    if (edit.Hint().empty()) {
        edit.SetHint(std::string(kPasswordRule));
    }
}

std::string_view PasswordFault(const Edit& edit) {
    const std::size_t length = edit.Text().size();
    if (length < kMinPasswordLength) {
        return kReasonTooShort;
    }
    if (length > kMaxPasswordLength) {
        return kReasonTooLong;
    }
    if (edit.Unrepresentable()) {
        return kReasonUnrepresentable;
    }
    return {};
}

std::string_view ReenterFault(const Edit& again, bool repeats) {
    if (again.Text().empty()) {
        return kReasonReenter;
    }
    if (again.Unrepresentable()) {
        return kReasonUnrepresentable;
    }
    return repeats ? std::string_view() : kReasonDiffer;
}

} // namespace velt
