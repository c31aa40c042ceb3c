// Controls that show something and take no input: labels, pictures, panels, bevels, group boxes.
#pragma once

#include "forms/Control.h"

#include <functional>
#include <string>

namespace velt {

// A text. A label whose width and height are 0 takes the size of its text.
class Label final : public Control {
  public:
    Label(Form& form, int id, Bounds bounds, std::string caption);
    Label(Control& parent, int id, Bounds bounds, std::string caption);

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    bool Bold() const { return bold_; }
    void SetBold(bool bold);
    // Font height in pixels; 0 = the form's font (13 pixels).
    int FontHeight() const { return fontHeight_; }
    void SetFontHeight(int pixels);
    bool AutoSize() const { return GetBounds().width == 0 && GetBounds().height == 0; }

  private:
    std::string caption_;
    bool bold_ = false;
    int fontHeight_ = 0;
};

// An icon of the program's resources, centred in its area; may show a hand cursor and be clicked.
class Picture final : public Control {
  public:
    Picture(Form& form, int id, Bounds bounds, std::string iconName);
    Picture(Control& parent, int id, Bounds bounds, std::string iconName);

    const std::string& IconName() const { return icon_; }
    void SetIconName(std::string iconName);
    bool HandCursor() const { return handCursor_; }
    void SetHandCursor(bool hand);

    // A user click; refused (false) when the picture cannot be reached.
    bool Click();
    std::function<void()> OnClick;

  private:
    std::string icon_;
    bool handCursor_ = false;
};

// A panel with a raised inner and a lowered outer bevel; holds other controls.
class Panel final : public Control {
  public:
    Panel(Form& form, int id, Bounds bounds);
    Panel(Control& parent, int id, Bounds bounds);
};

// A group box with a caption; holds other controls, placed relative to it.
class GroupBox final : public Control {
  public:
    GroupBox(Form& form, int id, Bounds bounds, std::string caption);
    GroupBox(Control& parent, int id, Bounds bounds, std::string caption);

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);

  private:
    std::string caption_;
};

// An etched frame around an area, or a horizontal rule (height is then ignored).
class Bevel final : public Control {
  public:
    enum class Shape { Frame, HorizontalLine };

    Bevel(Form& form, int id, Bounds bounds, Shape shape);
    Bevel(Control& parent, int id, Bounds bounds, Shape shape);

    Shape GetShape() const { return shape_; }

  private:
    Shape shape_;
};

} // namespace velt
