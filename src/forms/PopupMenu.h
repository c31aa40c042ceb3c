// A popup menu: items with captions, separators, a default item shown bold, click events.
#pragma once

#include "forms/Geometry.h"

#include <functional>
#include <string>
#include <vector>

namespace velt {

class Form;
class PopupMenu;

class MenuItem {
  public:
    // A caption of "-" makes a separator.
    MenuItem(PopupMenu& menu, std::string caption);
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;
    ~MenuItem();

    const std::string& Caption() const { return caption_; }
    bool Separator() const { return caption_ == "-"; }
    // The default item is drawn bold.
    bool Default = false;
    bool Enabled = true;
    std::function<void()> OnClick;

    // A user choice of the item: runs OnClick unless disabled or a separator.
    bool Click();

  private:
    PopupMenu& menu_;
    std::string caption_;
};

class PopupMenu {
  public:
    explicit PopupMenu(Form& owner);
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    Form& Owner() const { return owner_; }
    // Every item in declaration order.
    const std::vector<MenuItem*>& Items() const { return items_; }

    // Shows the menu at a screen position and runs the chosen item's OnClick.
    void Popup(int x, int y);

    void AddItem(MenuItem& item);
    void RemoveItem(MenuItem& item);

  private:
    Form& owner_;
    std::vector<MenuItem*> items_;
};

} // namespace velt
