// Drop-down lists and list boxes: the index rule, user selections, and edits of the items.
#include "platform/Error.h"
#include "fakes/TestUi.h"
#include "forms/Form.h"
#include "forms/ItemsControl.h"

#include <gtest/gtest.h>

namespace velt {
namespace {

struct Lists : Form {
    explicit Lists(Application& app) : Form(app, "Lists", 200, 200) {}
    ComboBox combo{*this, 1, {0, 0, 100, 21}};
    ListBox list{*this, 2, {0, 30, 100, 100}};
};

class ItemsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* text : {"a", "b", "c", "d"}) {
            form.combo.Add(text);
            form.list.Add(text);
        }
    }
    TestUi ui;
    Lists form{ui.App()};
};

TEST_F(ItemsTest, IndexNamingNoItemSelectsNothing) {
    form.combo.SetItemIndex(2);
    EXPECT_EQ(form.combo.ItemIndex(), 2);
    form.combo.SetItemIndex(4);
    EXPECT_EQ(form.combo.ItemIndex(), -1);
    form.combo.SetItemIndex(1);
    form.combo.SetItemIndex(-7);
    EXPECT_EQ(form.combo.ItemIndex(), -1);
    EXPECT_THROW(form.combo.Item(4), IndexError);
}

TEST_F(ItemsTest, OnlyUserSelectionsFireEvents) {
    int changes = 0;
    int clicks = 0;
    form.combo.OnChange = [&] { ++changes; };
    form.list.OnClick = [&] { ++clicks; };
    form.combo.SetItemIndex(1);
    form.list.SetItemIndex(1);
    EXPECT_EQ(changes + clicks, 0);
    EXPECT_TRUE(ui.Select(form.combo, 3));
    EXPECT_TRUE(ui.Select(form.list, 0));
    EXPECT_FALSE(ui.Select(form.list, 9));
    form.list.SetEnabled(false);
    EXPECT_FALSE(ui.Select(form.list, 2));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(form.combo.ItemIndex(), 3);
    EXPECT_EQ(form.list.ItemIndex(), 0);
}

TEST_F(ItemsTest, SelectionFollowsItsItemThroughMovesAndInserts) {
    ListBox& list = form.list;
    list.SetItemIndex(1); // "b"
    list.Move(1, 3);
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"a", "c", "d", "b"}));
    EXPECT_EQ(list.ItemIndex(), 3);
    list.Move(0, 2); // an item moves past the selection from before it
    EXPECT_EQ(list.ItemIndex(), 3);
    list.Move(3, 0);
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"b", "c", "d", "a"}));
    EXPECT_EQ(list.ItemIndex(), 0);
    list.SetItemIndex(2); // "d"
    list.Move(3, 1);      // "a" jumps before it
    EXPECT_EQ(list.ItemIndex(), 3);
    EXPECT_EQ(list.Item(3), "d");
    list.Insert(0, "x");
    EXPECT_EQ(list.Item(list.ItemIndex()), "d");
    list.SetItem(list.ItemIndex(), "D");
    EXPECT_EQ(list.Item(list.ItemIndex()), "D");
    EXPECT_THROW(list.Move(0, 5), IndexError);
    EXPECT_THROW(list.Insert(7, "y"), IndexError);
}

TEST_F(ItemsTest, DeletingTheSelectedItemSelectsNothing) {
    ListBox& list = form.list;
    list.SetItemIndex(2);
    list.Delete(0);
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_EQ(list.Item(1), "c");
    list.Delete(1);
    EXPECT_EQ(list.ItemIndex(), -1);
    list.SetItemIndex(0);
    list.Clear();
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.Count(), 0);
}

} // namespace
} // namespace velt
