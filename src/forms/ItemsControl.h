// The common part of drop-down lists and list boxes: ordered texts and one selected index.
#pragma once

#include "forms/Control.h"

#include <functional>
#include <string>
#include <vector>

namespace velt {

class ItemsControl : public Control {
  public:
    const std::vector<std::string>& Items() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // The text at an index; throws std::out_of_range for an index naming no item.
    const std::string& Item(int index) const;

    // -1 when nothing is selected.
    int ItemIndex() const { return itemIndex_; }
    // From code, fires nothing. An index naming no item selects nothing (-1).
    void SetItemIndex(int index);

    // Appends and returns the new item's index.
    int Add(std::string text);
    // Inserts before the item at index (Count() appends). The selection stays on its item.
    void Insert(int index, std::string text);
    // Deletes one item. Deleting the selected item selects nothing; a selection after it moves
    // up with its item.
    void Delete(int index);
    // Replaces the text of one item; the selection stays.
    void SetItem(int index, std::string text);
    // Moves one item to a new index; the selection follows the item it was on.
    void Move(int from, int to);
    void Clear();

    bool TakesFocus() const override { return true; }

  protected:
    ItemsControl(Form& form, ControlKind kind, int id, Bounds bounds);
    ItemsControl(Control& parent, ControlKind kind, int id, Bounds bounds);
    // A user selection: refused (false) when the control cannot be reached or the index names
    // no item.
    bool SelectByUser(int index);

  private:
    void CheckIndex(int index, int limit) const;

    std::vector<std::string> items_;
    int itemIndex_ = -1;
};

// A drop-down list without typing, not sorted.
class ComboBox final : public ItemsControl {
  public:
    ComboBox(Form& form, int id, Bounds bounds);
    ComboBox(Control& parent, int id, Bounds bounds);

    // The user picks an item: selects it and fires OnChange.
    bool UserSelect(int index);

    std::function<void()> OnChange;
};

// A single-selection list box, not sorted.
class ListBox final : public ItemsControl {
  public:
    ListBox(Form& form, int id, Bounds bounds);
    ListBox(Control& parent, int id, Bounds bounds);

    // The user clicks an item: selects it and fires OnClick.
    bool UserSelect(int index);

    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);

    std::function<void()> OnClick;

  private:
    int itemHeight_ = 13;
};

} // namespace velt
