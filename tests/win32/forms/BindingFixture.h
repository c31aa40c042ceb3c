// A small window with one control of each kind, rendered for real, and helpers to drive it.
#pragma once

#include "forms/Application.h"
#include "forms/Button.h"
#include "forms/CheckBox.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/ItemsControl.h"
#include "forms/StaticControls.h"
#include "win32/Win32Ui.h"

#include <gtest/gtest.h>

#include <string>

namespace velt {

struct SampleForm : Form {
    enum Id {
        kPanel = 100,
        kLabel,
        kCombo,
        kTool,
        kRule,
        kPass,
        kPlain,
        kBox,
        kPicture,
        kGroup,
        kList,
        kOk,
        kCancel,
        kOff,
        kTitle
    };
    explicit SampleForm(Application& app, std::string caption = "Binding sample");

    Panel panel{*this, kPanel, {4, 4, 317, 145}};
    Label label{panel, kLabel, {8, 16, 0, 0}, "Select profile"};
    ComboBox combo{panel, kCombo, {8, 39, 201, 21}};
    Button tool{panel, kTool, {220, 8, 24, 24}, "", Button::Style::Tool};
    Bevel rule{panel, kRule, {8, 68, 301, 0}, Bevel::Shape::HorizontalLine};
    Edit pass{panel, kPass, {100, 80, 150, 21}};
    Edit plain{panel, kPlain, {100, 112, 150, 21}};
    CheckBox box{panel, kBox, {8, 84, 80, 17}, "Tick"};
    Picture picture{panel, kPicture, {256, 78, 54, 54}, "MAINICON"};
    GroupBox group{*this, kGroup, {326, 4, 120, 145}, " Files "};
    ListBox list{group, kList, {8, 16, 104, 120}};
    Button ok{*this, kOk, {60, 160, 95, 28}, "Activate"};
    Button cancel{*this, kCancel, {172, 160, 95, 28}, "Cancel"};
    Button off{*this, kOff, {280, 160, 95, 28}, "Off"};
    Label title{*this, kTitle, {384, 166, 0, 0}, "Omvex"};

    int okClicks = 0;
    int offClicks = 0;
    int toolClicks = 0;
    int edits = 0;
};

class BindingTest : public ::testing::Test {
  protected:
    void TearDown() override;
    HWND Window(const Form& f) const { return Win32Ui::WindowOf(f); }
    HWND Item(int id) const { return GetDlgItem(Window(form), id); }
    // Runs the program's message handling until the queue is empty.
    void Pump();
    // A key pressed in a control, as the keyboard would deliver it.
    void PostKey(HWND target, WPARAM key) const;
    std::string TextOf(HWND window) const;

    Win32Ui ui{GetModuleHandleA(nullptr)};
    Application app{ui};
    SampleForm form{app};
};

} // namespace velt
