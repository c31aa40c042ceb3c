#include "forms/CheckBox.h"

#include <utility>

namespace velt {

CheckBox::CheckBox(Form& form, int id, Bounds bounds, std::string caption)
    : Control(form, ControlKind::CheckBox, id, bounds), caption_(std::move(caption)) {}

CheckBox::CheckBox(Control& parent, int id, Bounds bounds, std::string caption)
    : Control(parent, ControlKind::CheckBox, id, bounds), caption_(std::move(caption)) {}

void CheckBox::SetCaption(std::string caption) {
    if (caption_ != caption) {
        caption_ = std::move(caption);
        Changed(ControlChange::Text);
    }
}

void CheckBox::SetChecked(bool checked) {
    if (checked_ == checked) {
        return;
    }
    checked_ = checked;
    Changed(ControlChange::Checked);
    if (OnClick) {
        OnClick();
    }
}

bool CheckBox::Click() {
    if (!Usable()) {
        return false;
    }
    SetChecked(!checked_);
    return true;
}

} // namespace velt
