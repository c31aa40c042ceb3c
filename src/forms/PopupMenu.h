// A popup menu: items with captions, separators, a default item shown bold, check marks (plain
// or radio), submenus and click events.
#pragma once

#include "forms/Geometry.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace velt {

class Form;
class PopupMenu;

class MenuItem {
  public:
    // A caption of "-" makes a separator.
    MenuItem(PopupMenu& menu, std::string caption);
    // An item of the submenu that `parent` opens (declared after it, in the same menu).
    MenuItem(MenuItem& parent, std::string caption);
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;
    ~MenuItem();

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    bool Separator() const { return caption_ == "-"; }
    // The item whose submenu holds this one, or nullptr for an item of the menu itself.
    MenuItem* Parent() const { return parent_; }
    // The default item is drawn bold.
    bool Default = false;
    bool Enabled = true;
    // A check mark; a radio item shows it as a dot (one choice of a group).
    bool Checked = false;
    bool RadioItem = false;
    std::function<void()> OnClick;

    // A user choice of the item: runs OnClick unless disabled or a separator.
    bool Click();

  private:
    PopupMenu& menu_;
    MenuItem* parent_ = nullptr;
    std::string caption_;
};

class PopupMenu {
  public:
    explicit PopupMenu(Form& owner);
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    Form& Owner() const { return owner_; }
    // Every item in declaration order, the items of submenus after the item opening them.
    const std::vector<MenuItem*>& Items() const { return items_; }

    // Whether an item opens a submenu (some item names it as its parent).
    bool HasSubmenu(const MenuItem& item) const;

    // Shows the menu at a screen position and runs the chosen item's OnClick.
    void Popup(int x, int y);

    void AddItem(MenuItem& item);
    void RemoveItem(MenuItem& item);

  private:
    Form& owner_;
    std::vector<MenuItem*> items_;
};

} // namespace velt
