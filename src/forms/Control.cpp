#include "forms/Control.h"
#include "platform/Error.h"

#include "forms/Form.h"

#include <utility>

namespace velt {

Control::Control(Form& form, ControlKind kind, int id, Bounds bounds)
    : form_(form), parent_(nullptr), kind_(kind), id_(id), bounds_(bounds) {
    form_.AddControl(*this);
}

Control::Control(Control& parent, ControlKind kind, int id, Bounds bounds)
    : form_(parent.Owner()), parent_(&parent), kind_(kind), id_(id), bounds_(bounds) {
    if (!parent.IsContainer()) {
        throw UsageError("only panels and group boxes hold controls");
    }
    form_.AddControl(*this);
}

Control::~Control() {
    form_.RemoveControl(*this);
}

IUiBackend& Control::Backend() const {
    return form_.Backend();
}

void Control::Changed(ControlChange what) {
    if (form_.Created()) {
        Backend().ControlChanged(*this, what);
    }
}

void Control::SetBounds(const Bounds& bounds) {
    bounds_ = bounds;
    Changed(ControlChange::Bounds);
}

Bounds Control::BoundsInForm() const {
    Bounds result = bounds_;
    for (const Control* p = parent_; p != nullptr; p = p->parent_) {
        result.left += p->bounds_.left;
        result.top += p->bounds_.top;
    }
    return result;
}

Bounds Control::FromClient(Bounds client) const {
    const Bounds origin = BoundsInForm();
    return {client.left - origin.left, client.top - origin.top, client.width, client.height};
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ != enabled) {
        enabled_ = enabled;
        Changed(ControlChange::Enabled);
    }
}

void Control::SetVisible(bool visible) {
    if (visible_ != visible) {
        visible_ = visible;
        Changed(ControlChange::Visible);
    }
}

bool Control::Usable() const {
    for (const Control* c = this; c != nullptr; c = c->parent_) {
        if (!c->enabled_ || !c->visible_) {
            return false;
        }
    }
    return true;
}

void Control::SetHint(std::string hint) {
    if (hint_ != hint) {
        hint_ = std::move(hint);
        Changed(ControlChange::Hint);
    }
}

void Control::SetFocus() {
    form_.FocusControl(*this);
}

} // namespace velt
