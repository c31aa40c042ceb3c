#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "platform/Error.h"
#include "profiles/ProfileList.h"

namespace velt {
namespace {

TProfileObj Named(const char* name, const char* paths = "") {
    TProfileObj profile;
    profile.ProfileName = name;
    profile.PathList = paths;
    return profile;
}

TEST(ProfileList, KeepsInsertionOrderAndOwnsProfiles) {
    ProfileList list;
    list.Append("b", Named("b"));
    list.Append("a", std::make_unique<TProfileObj>(Named("a")));
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Text(0), "b");
    EXPECT_EQ(list.Text(1), "a");
    EXPECT_EQ(list.Profile(1).ProfileName, "a");
    EXPECT_EQ(list.ItemIndex(), -1);
}

TEST(ProfileList, SameNamesAreToldApartByPosition) {
    ProfileList list;
    list.Append("x", Named("x", "c:\\one"));
    list.Append("x", Named("x", "d:\\two"));
    list.Profile(1).CheckFlag = 1;
    list.SetItemIndex(1);
    const auto& current = list.Profile(static_cast<std::size_t>(list.ItemIndex()));
    EXPECT_EQ(current.PathList, "d:\\two");
    EXPECT_EQ(current.CheckFlag, 1);
    EXPECT_EQ(list.Profile(0).CheckFlag, 0);
}

TEST(ProfileList, SettingAnIndexThatNamesNoEntrySelectsNothing) {
    ProfileList list;
    list.Append("a", Named("a"));
    list.Append("b", Named("b"));
    list.SetItemIndex(1);
    EXPECT_EQ(list.ItemIndex(), 1);
    list.SetItemIndex(2);
    EXPECT_EQ(list.ItemIndex(), -1);
    list.SetItemIndex(0);
    list.SetItemIndex(-5);
    EXPECT_EQ(list.ItemIndex(), -1);
    list.SetItemIndex(INT32_MIN);
    EXPECT_EQ(list.ItemIndex(), -1);
}

TEST(ProfileList, AppendByNameShowsTheName) {
    ProfileList list;
    list.AppendByName(Named("first"));
    list.AppendByName(std::make_unique<TProfileObj>(Named("second")));
    list.AppendByName(std::unique_ptr<TProfileObj>());
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.Text(0), "first");
    EXPECT_EQ(list.Text(1), "second");
    EXPECT_EQ(list.Text(2), "");
}

TEST(ProfileList, SetTextKeepsTheProfile) {
    ProfileList list;
    list.Append("a", Named("a", "p"));
    list.SetText(0, std::string(120, 't'));
    EXPECT_EQ(list.Text(0).size(), 120u); // the display text is not a profile field
    EXPECT_EQ(list.Profile(0).ProfileName, "a");
    EXPECT_EQ(list.Profile(0).PathList, "p");
}

TEST(ProfileList, DeleteMovesLaterEntriesUpAndTracksTheSelection) {
    ProfileList list;
    for (const char* name : {"a", "b", "c", "d"}) {
        list.Append(name, Named(name));
    }
    list.SetItemIndex(2); // "c"
    list.Delete(0);
    EXPECT_EQ(list.Text(0), "b");
    EXPECT_EQ(list.ItemIndex(), 1); // still "c"
    list.Delete(2);                 // "d", after the selection
    EXPECT_EQ(list.ItemIndex(), 1);
    list.Delete(1); // the selected entry itself
    EXPECT_EQ(list.ItemIndex(), -1);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Text(0), "b");
}

TEST(ProfileList, DeletingTheLastEntryLeavesAnEmptyListWithNoSelection) {
    ProfileList list;
    list.Append("only", Named("only"));
    list.SetItemIndex(0);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.ItemIndex(), -1);
}

TEST(ProfileList, ClearRemovesEverything) {
    ProfileList list;
    list.Append("a", Named("a"));
    list.SetItemIndex(0);
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.ItemIndex(), -1);
}

TEST(ProfileList, EntriesOutsideTheListAreRefused) {
    ProfileList list;
    list.Append("a", Named("a"));
    EXPECT_THROW(list.Text(1), IndexError);
    EXPECT_THROW(list.Profile(1), IndexError);
    EXPECT_THROW(list.SetText(1, "x"), IndexError);
    EXPECT_THROW(list.Delete(1), IndexError);
    EXPECT_EQ(list.Count(), 1u);
}

} // namespace
} // namespace velt
