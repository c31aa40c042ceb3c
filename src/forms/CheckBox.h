// A check box: caption and state; every change of the state fires OnClick.
#pragma once

#include "forms/Control.h"

#include <functional>
#include <string>

namespace velt {

class CheckBox final : public Control {
  public:
    CheckBox(Form& form, int id, Bounds bounds, std::string caption);
    CheckBox(Control& parent, int id, Bounds bounds, std::string caption);

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);

    bool Checked() const { return checked_; }
    // From code or from a user click: a change fires OnClick, the same state fires nothing.
    void SetChecked(bool checked);
    // A user click toggles the state; refused (false) when the box cannot be reached.
    bool Click();

    bool TakesFocus() const override { return true; }

    std::function<void()> OnClick;

  private:
    std::string caption_;
    bool checked_ = false;
};

} // namespace velt
