#include "forms/StaticControls.h"

#include <utility>

namespace velt {

Label::Label(Form& form, int id, Bounds bounds, std::string caption)
    : Control(form, ControlKind::Label, id, bounds), caption_(std::move(caption)) {}

Label::Label(Control& parent, int id, Bounds bounds, std::string caption)
    : Control(parent, ControlKind::Label, id, bounds), caption_(std::move(caption)) {}

void Label::SetCaption(std::string caption) {
    if (caption_ != caption) {
        caption_ = std::move(caption);
        Changed(ControlChange::Text);
    }
}

void Label::SetBold(bool bold) {
    bold_ = bold;
    Changed(ControlChange::Style);
}

void Label::SetFontHeight(int pixels) {
    fontHeight_ = pixels;
    Changed(ControlChange::Style);
}

Picture::Picture(Form& form, int id, Bounds bounds, std::string iconName)
    : Control(form, ControlKind::Picture, id, bounds), icon_(std::move(iconName)) {}

Picture::Picture(Control& parent, int id, Bounds bounds, std::string iconName)
    : Control(parent, ControlKind::Picture, id, bounds), icon_(std::move(iconName)) {}

void Picture::SetIconName(std::string iconName) {
    icon_ = std::move(iconName);
    Changed(ControlChange::Style);
}

void Picture::SetHandCursor(bool hand) {
    handCursor_ = hand;
    Changed(ControlChange::Style);
}

bool Picture::Click() {
    if (!Usable()) {
        return false;
    }
    if (OnClick) {
        OnClick();
    }
    return true;
}

Panel::Panel(Form& form, int id, Bounds bounds) : Control(form, ControlKind::Panel, id, bounds) {}

Panel::Panel(Control& parent, int id, Bounds bounds)
    : Control(parent, ControlKind::Panel, id, bounds) {}

GroupBox::GroupBox(Form& form, int id, Bounds bounds, std::string caption)
    : Control(form, ControlKind::GroupBox, id, bounds), caption_(std::move(caption)) {}

GroupBox::GroupBox(Control& parent, int id, Bounds bounds, std::string caption)
    : Control(parent, ControlKind::GroupBox, id, bounds), caption_(std::move(caption)) {}

void GroupBox::SetCaption(std::string caption) {
    if (caption_ != caption) {
        caption_ = std::move(caption);
        Changed(ControlChange::Text);
    }
}

Bevel::Bevel(Form& form, int id, Bounds bounds, Shape shape)
    : Control(form, ControlKind::Bevel, id, bounds), shape_(shape) {}

Bevel::Bevel(Control& parent, int id, Bounds bounds, Shape shape)
    : Control(parent, ControlKind::Bevel, id, bounds), shape_(shape) {}

} // namespace velt
