#include "forms/Button.h"

#include "forms/Form.h"

#include <utility>

namespace velt {

namespace {
ControlKind KindOf(Button::Style style) {
    return style == Button::Style::Tool ? ControlKind::ToolButton : ControlKind::Button;
}
} // namespace

Button::Button(Form& form, int id, Bounds bounds, std::string caption, Style style)
    : Control(form, KindOf(style), id, bounds), caption_(std::move(caption)) {}

Button::Button(Control& parent, int id, Bounds bounds, std::string caption, Style style)
    : Control(parent, KindOf(style), id, bounds), caption_(std::move(caption)) {}

void Button::SetCaption(std::string caption) {
    if (caption_ != caption) {
        caption_ = std::move(caption);
        Changed(ControlChange::Text);
    }
}

void Button::SetPicture(std::string resourceName) {
    picture_ = std::move(resourceName);
    Changed(ControlChange::Style);
}

void Button::SetDefault(bool isDefault) {
    default_ = isDefault;
    Changed(ControlChange::Style);
}

bool Button::Click() {
    if (!Usable()) {
        return false;
    }
    if (OnClick) {
        OnClick();
    }
    if (modalResult_ != 0) {
        Owner().SetModalResult(modalResult_);
    }
    return true;
}

} // namespace velt
