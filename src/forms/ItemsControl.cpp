#include "forms/ItemsControl.h"
#include "platform/Error.h"

#include <utility>

namespace velt {

ItemsControl::ItemsControl(Form& form, ControlKind kind, int id, Bounds bounds)
    : Control(form, kind, id, bounds) {}

ItemsControl::ItemsControl(Control& parent, ControlKind kind, int id, Bounds bounds)
    : Control(parent, kind, id, bounds) {}

void ItemsControl::CheckIndex(int index, int limit) const {
    if (index < 0 || index >= limit) {
        throw IndexError("list index out of bounds (" + std::to_string(index) + ")");
    }
}

const std::string& ItemsControl::Item(int index) const {
    CheckIndex(index, Count());
    return items_[static_cast<std::size_t>(index)];
}

void ItemsControl::SetItemIndex(int index) {
    const int next = (index >= 0 && index < Count()) ? index : -1;
    if (next != itemIndex_) {
        itemIndex_ = next;
        Changed(ControlChange::ItemIndex);
    }
}

int ItemsControl::Add(std::string text) {
    items_.push_back(std::move(text));
    Changed(ControlChange::Items);
    return Count() - 1;
}

void ItemsControl::Insert(int index, std::string text) {
    CheckIndex(index, Count() + 1);
    items_.insert(items_.begin() + index, std::move(text));
    if (itemIndex_ >= index) {
        ++itemIndex_;
    }
    Changed(ControlChange::Items);
}

void ItemsControl::Delete(int index) {
    CheckIndex(index, Count());
    items_.erase(items_.begin() + index);
    if (itemIndex_ == index) {
        itemIndex_ = -1;
    } else if (itemIndex_ > index) {
        --itemIndex_;
    }
    Changed(ControlChange::Items);
}

void ItemsControl::SetItem(int index, std::string text) {
    CheckIndex(index, Count());
    items_[static_cast<std::size_t>(index)] = std::move(text);
    Changed(ControlChange::Items);
}

void ItemsControl::Move(int from, int to) {
    CheckIndex(from, Count());
    CheckIndex(to, Count());
    if (from == to) {
        return;
    }
    std::string text = std::move(items_[static_cast<std::size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(text));
    if (itemIndex_ == from) {
        itemIndex_ = to;
    } else if (from < itemIndex_ && itemIndex_ <= to) {
        --itemIndex_;
    } else if (to <= itemIndex_ && itemIndex_ < from) {
        ++itemIndex_;
    }
    Changed(ControlChange::Items);
}

void ItemsControl::Clear() {
    items_.clear();
    itemIndex_ = -1;
    Changed(ControlChange::Items);
}

bool ItemsControl::SelectByUser(int index) {
    if (!Usable() || index < 0 || index >= Count()) {
        return false;
    }
    if (index != itemIndex_) {
        itemIndex_ = index;
        Changed(ControlChange::ItemIndex);
    }
    return true;
}

ComboBox::ComboBox(Form& form, int id, Bounds bounds)
    : ItemsControl(form, ControlKind::ComboBox, id, bounds) {}

ComboBox::ComboBox(Control& parent, int id, Bounds bounds)
    : ItemsControl(parent, ControlKind::ComboBox, id, bounds) {}

bool ComboBox::UserSelect(int index) {
    if (!SelectByUser(index)) {
        return false;
    }
    if (OnChange) {
        OnChange();
    }
    return true;
}

ListBox::ListBox(Form& form, int id, Bounds bounds)
    : ItemsControl(form, ControlKind::ListBox, id, bounds) {}

ListBox::ListBox(Control& parent, int id, Bounds bounds)
    : ItemsControl(parent, ControlKind::ListBox, id, bounds) {}

bool ListBox::UserSelect(int index) {
    if (!SelectByUser(index)) {
        return false;
    }
    if (OnClick) {
        OnClick();
    }
    return true;
}

void ListBox::SetItemHeight(int height) {
    itemHeight_ = height;
    Changed(ControlChange::Style);
}

} // namespace velt
