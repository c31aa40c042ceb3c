// Push buttons and flat tool buttons: caption, picture, default/cancel roles, modal result.
#pragma once

#include "forms/Control.h"

#include <functional>
#include <string>

namespace velt {

class Button final : public Control {
  public:
    enum class Style { Push, Tool };

    Button(Form& form, int id, Bounds bounds, std::string caption, Style style = Style::Push);
    Button(Control& parent, int id, Bounds bounds, std::string caption, Style style = Style::Push);

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    // A bitmap of the program's resources by name ("" = none).
    const std::string& PictureName() const { return picture_; }
    void SetPicture(std::string resourceName);
    bool IsTool() const { return Kind() == ControlKind::ToolButton; }

    // Enter presses the default button, Esc the cancel button.
    bool Default() const { return default_; }
    void SetDefault(bool isDefault);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool isCancel) { cancel_ = isCancel; }
    // Non-zero: a click ends the owning form's modal show with this result after OnClick.
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }

    // A user click. A disabled or hidden button cannot be clicked (false).
    bool Click();

    // Tool buttons take no keyboard focus.
    bool TakesFocus() const override { return !IsTool(); }

    std::function<void()> OnClick;

  private:
    std::string caption_;
    std::string picture_;
    bool default_ = false;
    bool cancel_ = false;
    int modalResult_ = 0;
};

} // namespace velt
