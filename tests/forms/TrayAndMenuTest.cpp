// The tray icon's 88-byte record and the popup menu.
#include "fakes/TestUi.h"
#include "forms/Form.h"
#include "forms/PopupMenu.h"
#include "forms/TrayIcon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace velt {
namespace {

struct MainWindow : Form {
    explicit MainWindow(Application& app) : Form(app, "Veltarion", 326, 198) {
        activate.Default = true;
        activate.OnClick = [this] { clicked += "activate;"; };
        quit.OnClick = [this] { clicked += "quit;"; };
    }
    TrayIcon icon{*this};
    PopupMenu menu{*this};
    MenuItem activate{menu, "Activate ..."};
    MenuItem line{menu, "-"};
    MenuItem quit{menu, "Quit"};
    std::string clicked;
};

class TrayAndMenuTest : public ::testing::Test {
  protected:
    TestUi ui;
    MainWindow window{ui.App()};
};

TEST_F(TrayAndMenuTest, RecordCarriesWindowIconAndZeroPaddedTip) {
    window.Create();
    window.icon.SetIcon("NOT_WORK");
    window.icon.SetTip("OMVEX: Ready for job");
    EXPECT_TRUE(window.icon.Add());
    window.icon.SetIcon("WORK");
    window.icon.SetTip("OMVEX: Ciphering file I/O operation");
    EXPECT_TRUE(window.icon.Modify());
    window.icon.Data.uFlags = 0;
    ui.FailTrayCalls(true);
    EXPECT_FALSE(window.icon.Delete());

    const auto& calls = ui.TrayCalls();
    ASSERT_EQ(calls.size(), 3u);
    const TrayIconData& added = calls[0].data;
    EXPECT_EQ(calls[0].operation, kNimAdd);
    EXPECT_EQ(added.cbSize, 88u);
    EXPECT_EQ(added.hWnd, ui.WindowHandle(window));
    EXPECT_EQ(added.uID, 1u);
    EXPECT_EQ(added.uFlags, 7u);
    EXPECT_EQ(added.uCallbackMessage, 1024u);
    EXPECT_EQ(ui.IconName(added.hIcon), "NOT_WORK");
    EXPECT_STREQ(added.szTip, "OMVEX: Ready for job");
    // The longer tip that replaced it leaves no bytes of the old one behind.
    EXPECT_EQ(calls[1].operation, kNimModify);
    EXPECT_EQ(ui.IconName(calls[1].data.hIcon), "WORK");
    EXPECT_STREQ(calls[1].data.szTip, "OMVEX: Ciphering file I/O operation");
    window.icon.SetTip("x");
    for (std::size_t i = 1; i < sizeof window.icon.Data.szTip; ++i) {
        EXPECT_EQ(window.icon.Data.szTip[i], '\0') << i;
    }
    EXPECT_EQ(calls[2].operation, kNimDelete);
    EXPECT_EQ(calls[2].data.uFlags, 0u);
}

TEST_F(TrayAndMenuTest, TipIsCutTo63CharactersAndStaysTerminated) {
    window.icon.SetTip(std::string(100, 'T'));
    EXPECT_EQ(std::strlen(window.icon.Data.szTip), 63u);
    EXPECT_EQ(window.icon.Data.szTip[63], '\0');
}

TEST_F(TrayAndMenuTest, PopupShowsItemsWithDefaultAndRunsTheChosenOne) {
    ui.SetCursor({640, 700});
    const Point at = ui.CursorPos();
    window.menu.Popup(at.x, at.y); // the user clicks away
    ui.ChooseNext("Quit");
    window.menu.Popup(at.x, at.y);
    ui.ChooseNext("-");
    window.menu.Popup(at.x, at.y);
    EXPECT_EQ(window.clicked, "quit;");

    ASSERT_EQ(ui.Menus().size(), 3u);
    const auto& shown = ui.Menus()[0];
    EXPECT_EQ(shown.captions, (std::vector<std::string>{"Activate ...", "-", "Quit"}));
    EXPECT_EQ(shown.defaultIndex, 0);
    EXPECT_EQ(shown.at.x, 640);
    EXPECT_EQ(shown.at.y, 700);
    EXPECT_EQ(shown.chosen, -1);
    EXPECT_FALSE(window.line.Click()); // a separator cannot be chosen
    window.quit.Enabled = false;
    EXPECT_FALSE(window.quit.Click());
    // An item that opens a submenu is no command.
    MenuItem more{window.menu, "More"};
    MenuItem inner{more, "Inner"};
    more.OnClick = [this] { window.clicked += "more;"; };
    EXPECT_FALSE(more.Click());
    EXPECT_EQ(window.clicked, "quit;");
}

TEST_F(TrayAndMenuTest, TrayMouseMessagesReachTheOwnerForm) {
    std::vector<std::intptr_t> mouse;
    window.OnMessage = [&](unsigned message, std::uintptr_t, std::intptr_t lParam) {
        if (message != kTrayCallbackMessage) {
            return false;
        }
        mouse.push_back(lParam);
        return true;
    };
    ui.TrayMouse(window, kTrayLeftDoubleClick);
    ui.TrayMouse(window, kTrayRightButtonDown);
    EXPECT_EQ(mouse, (std::vector<std::intptr_t>{515, 516}));
}

} // namespace
} // namespace velt
