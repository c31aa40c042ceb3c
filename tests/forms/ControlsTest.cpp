// Edits, buttons and check boxes raise their events only for real changes and real clicks.
#include "platform/Error.h"
#include "fakes/TestUi.h"
#include "forms/Button.h"
#include "forms/CheckBox.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/PictureColours.h"
#include "forms/StaticControls.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace velt {
namespace {

struct Sample : Form {
    explicit Sample(Application& app) : Form(app, "Sample", 200, 100) {}
    Panel panel{*this, 10, {4, 4, 150, 60}};
    Edit edit{panel, 11, {8, 8, 100, 21}};
    Button ok{*this, 12, {10, 70, 75, 25}, "OK"};
    CheckBox box{panel, 13, {8, 30, 100, 17}, "Tick"};
};

class ControlsTest : public ::testing::Test {
  protected:
    TestUi ui;
    Sample form{ui.App()};
};

TEST_F(ControlsTest, EditFiresOnlyForRealChangesFromCodeOrUser) {
    int changes = 0;
    form.edit.OnChange = [&] { ++changes; };
    form.edit.SetText("abc");
    form.edit.SetText("abc");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(ui.Paste(form.edit, "abc")); // same text from the user: no change either
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(ui.Type(form.edit, "de"));
    EXPECT_EQ(changes, 3);
    EXPECT_TRUE(ui.Backspace(form.edit));
    EXPECT_EQ(form.edit.Text(), "abcd");
    form.edit.SetText("");
    EXPECT_EQ(changes, 5);
}

TEST_F(ControlsTest, TypingStopsAtMaxLengthButCodeMayExceedIt) {
    form.edit.SetMaxLength(32);
    form.edit.SetPassword(true);
    EXPECT_TRUE(ui.Type(form.edit, std::string(32, 'x')));
    EXPECT_FALSE(ui.Type(form.edit, "y"));
    EXPECT_EQ(form.edit.Text(), std::string(32, 'x'));
    EXPECT_FALSE(ui.Paste(form.edit, std::string(33, 'z')));
    form.edit.SetText(std::string(40, 'c'));
    EXPECT_EQ(form.edit.Text().size(), 40u);
}

TEST_F(ControlsTest, PasswordEditKeepsTheRightTextWhileItsOldTextIsWiped) {
    form.edit.SetPassword(true);
    EXPECT_TRUE(ui.Type(form.edit, "secret"));
    EXPECT_TRUE(ui.Backspace(form.edit)); // the new text is a view into the old one
    EXPECT_EQ(form.edit.Text(), "secre");
    form.edit.SetText(form.edit.Text().substr(1));
    EXPECT_EQ(form.edit.Text(), "ecre");
}

TEST_F(ControlsTest, UnreachableEditRefusesTyping) {
    form.edit.SetEnabled(false);
    EXPECT_FALSE(ui.Type(form.edit, "a"));
    form.edit.SetEnabled(true);
    form.panel.SetVisible(false); // hidden with its panel
    EXPECT_FALSE(ui.Type(form.edit, "a"));
    EXPECT_EQ(form.edit.Text(), "");
}

TEST_F(ControlsTest, DisabledOrHiddenButtonCannotBeClicked) {
    int clicks = 0;
    form.ok.OnClick = [&] { ++clicks; };
    form.ok.SetEnabled(false);
    EXPECT_FALSE(ui.Click(form.ok));
    form.ok.SetEnabled(true);
    form.ok.SetVisible(false);
    EXPECT_FALSE(ui.Click(form.ok));
    form.ok.SetVisible(true);
    EXPECT_TRUE(ui.Click(form.ok));
    EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, CheckBoxFiresOnEveryChangeOfStateOnly) {
    int clicks = 0;
    form.box.OnClick = [&] { ++clicks; };
    form.box.SetChecked(true);
    form.box.SetChecked(true);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(ui.Click(form.box));
    EXPECT_FALSE(form.box.Checked());
    EXPECT_EQ(clicks, 2);
    form.box.SetEnabled(false);
    EXPECT_FALSE(ui.Click(form.box));
    EXPECT_EQ(clicks, 2);
}

TEST_F(ControlsTest, ControlsKnowTheirPlaceInTheFormAndTheTabStops) {
    EXPECT_EQ(form.edit.BoundsInForm().left, 12);
    EXPECT_EQ(form.edit.BoundsInForm().top, 12);
    EXPECT_EQ(form.FindControl(13), &form.box);
    EXPECT_EQ(form.FindControl(99), nullptr);
    Button tool{form, 14, {0, 0, 24, 24}, "", Button::Style::Tool};
    EXPECT_FALSE(tool.TakesFocus());
    EXPECT_TRUE(form.ok.TakesFocus());
    EXPECT_FALSE(form.panel.TakesFocus());
    EXPECT_THROW(Edit(form.ok, 15, {}), UsageError); // buttons hold no controls
}

TEST(PictureColours, TheFaceIsTheBackgroundAndHighContrastDrawsTheShapeInTheThemesText) {
    const PictureTheme normal{false, 0xD4D0C8, 0x000000, 0x808080};
    const PictureTheme black{true, 0x000000, 0xFFFFFF, 0x00FF00}; // "High Contrast Black"
    const PictureTheme white{true, 0xFFFFFF, 0x000000, 0x600000}; // "High Contrast White"
    struct Row {
        std::uint32_t pixel;
        bool enabled;
        const PictureTheme& theme;
        std::uint32_t drawn;
    };
    const Row rows[] = {
        {kPictureFace, true, normal, 0xD4D0C8}, {0x0000FF, true, normal, 0x0000FF},
        {kPictureFace, false, normal, kWhite},  {0x0000FF, false, normal, 0x0000FF},
        {kPictureFace, true, black, 0x000000},  {0x0000FF, true, black, 0xFFFFFF},
        {kWhite, true, black, 0xFFFFFF},        {kPictureFace, false, black, 0x000000},
        {0x0000FF, false, black, 0x00FF00},     {kPictureFace, true, white, 0xFFFFFF},
        {0x000000, true, white, 0x000000},      {0xFFFF00, false, white, 0x600000},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PictureColour(row.pixel, row.enabled, row.theme), row.drawn)
            << std::hex << row.pixel << (row.enabled ? " enabled" : " disabled");
    }
}

} // namespace
} // namespace velt
