// The base of every control object: identity, place, enabled and visible state, tool tip.
#pragma once

#include "forms/Geometry.h"
#include "forms/UiBackend.h"

#include <cstdint>
#include <string>

namespace velt {

class Form;

enum class ControlKind {
    Label,
    Edit,
    Button,
    ToolButton,
    CheckBox,
    ComboBox,
    ListBox,
    Picture,
    Panel,
    Bevel,
    GroupBox
};

class Control {
  public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    // The number used as the real control's id (GetDlgItem finds it).
    int Id() const { return id_; }
    ControlKind Kind() const { return kind_; }
    Form& Owner() const { return form_; }
    // The panel or group box holding this control, or nullptr when it sits on the form.
    Control* Parent() const { return parent_; }
    bool IsContainer() const {
        return kind_ == ControlKind::Panel || kind_ == ControlKind::GroupBox;
    }

    // Place relative to the parent's client area.
    const Bounds& GetBounds() const { return bounds_; }
    void SetBounds(const Bounds& bounds);
    // Place relative to the form's client area.
    Bounds BoundsInForm() const;
    // A place given in the form's client coordinates made relative to this container, for the
    // controls that a layout places inside a panel by their client coordinates.
    Bounds FromClient(Bounds client) const;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Visible and enabled, and so are the panels around it: a user can reach it.
    bool Usable() const;

    const std::string& Hint() const { return hint_; }
    void SetHint(std::string hint);

    // Whether Tab stops here; the tab order is the declaration order of such controls.
    virtual bool TakesFocus() const { return false; }
    // Puts the keyboard focus here.
    void SetFocus();

    // Backend bookkeeping: the real control.
    std::uintptr_t NativeHandle() const { return native_; }
    void SetNativeHandle(std::uintptr_t handle) { native_ = handle; }

  protected:
    // On the form's client area.
    Control(Form& form, ControlKind kind, int id, Bounds bounds);
    // Inside a panel or a group box.
    Control(Control& parent, ControlKind kind, int id, Bounds bounds);
    // Tells the backend (when the real window exists) that part of the state changed.
    void Changed(ControlChange what);
    IUiBackend& Backend() const;

  private:
    Form& form_;
    Control* parent_;
    ControlKind kind_;
    int id_;
    Bounds bounds_;
    bool enabled_ = true;
    bool visible_ = true;
    std::string hint_;
    std::uintptr_t native_ = 0;
};

} // namespace velt
