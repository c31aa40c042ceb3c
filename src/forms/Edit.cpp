#include "forms/Edit.h"

#include "digest/SecureWipe.h"

#include <utility>

namespace velt {

Edit::Edit(Form& form, int id, Bounds bounds) : Control(form, ControlKind::Edit, id, bounds) {}

Edit::Edit(Control& parent, int id, Bounds bounds)
    : Control(parent, ControlKind::Edit, id, bounds) {}

Edit::~Edit() {
    if (password_) {
        SecureWipe(text_);
    }
}

void Edit::Replace(std::string_view text) {
    // The new text may be a view into the old one (a user deleting its last character): copy it
    // before the old text is wiped.
    std::string next(text);
    allSelected_ = false;
    if (password_) {
        SecureWipe(text_);
    }
    text_.swap(next);
    if (password_) {
        SecureWipe(next);
    }
}

void Edit::SetText(std::string_view text) {
    if (text == text_ && !unrepresentable_) {
        return;
    }
    unrepresentable_ = false;
    Replace(text);
    Changed(ControlChange::Text);
    if (OnChange) {
        OnChange();
    }
}

bool Edit::UserEdit(std::string_view text, bool representable) {
    if (!Usable() || (maxLength_ != 0 && text.size() > maxLength_)) {
        return false;
    }
    if (text == text_ && representable != unrepresentable_) {
        return true;
    }
    unrepresentable_ = !representable;
    Replace(text);
    // The real control already shows the text the user typed; nothing is pushed back.
    if (OnChange) {
        OnChange();
    }
    return true;
}

void Edit::SelectAll() {
    allSelected_ = true;
    Changed(ControlChange::Selection);
}

void Edit::SetMaxLength(std::size_t length) {
    maxLength_ = length;
    Changed(ControlChange::Style);
}

void Edit::SetCue(std::string cue) {
    cue_ = std::move(cue);
    Changed(ControlChange::Style);
}

std::string Edit::LimitText() const {
    if (maxLength_ == 0) {
        return {};
    }
    return "This field takes at most " + std::to_string(maxLength_) +
           " characters: what came after them was not taken.";
}

void Edit::SetPassword(bool password) {
    password_ = password;
    Changed(ControlChange::Style);
}

} // namespace velt
