#include "forms/PopupMenu.h"

#include "forms/Form.h"
#include "forms/UiBackend.h"

#include <algorithm>
#include <utility>

namespace velt {

MenuItem::MenuItem(PopupMenu& menu, std::string caption)
    : menu_(menu), caption_(std::move(caption)) {
    menu_.AddItem(*this);
}

MenuItem::MenuItem(MenuItem& parent, std::string caption)
    : menu_(parent.menu_), parent_(&parent), caption_(std::move(caption)) {
    menu_.AddItem(*this);
}

MenuItem::~MenuItem() {
    menu_.RemoveItem(*this);
}

bool MenuItem::Click() {
    if (Separator() || !Enabled || menu_.HasSubmenu(*this)) {
        return false;
    }
    if (OnClick) {
        OnClick();
    }
    return true;
}

PopupMenu::PopupMenu(Form& owner) : owner_(owner) {}

void PopupMenu::AddItem(MenuItem& item) {
    items_.push_back(&item);
}

void PopupMenu::RemoveItem(MenuItem& item) {
    items_.erase(std::remove(items_.begin(), items_.end(), &item), items_.end());
}

bool PopupMenu::HasSubmenu(const MenuItem& item) const {
    return std::any_of(items_.begin(), items_.end(),
                       [&item](const MenuItem* other) { return other->Parent() == &item; });
}

void PopupMenu::Popup(int x, int y) {
    const int chosen = owner_.Backend().TrackPopup(owner_, *this, Point{x, y});
    if (chosen >= 0 && chosen < static_cast<int>(items_.size())) {
        items_[static_cast<std::size_t>(chosen)]->Click();
    }
}

} // namespace velt
