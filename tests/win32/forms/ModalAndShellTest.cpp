// Modal loops, keys, help, message boxes, the tray icon and popup menus of the binding.
#include "BindingFixture.h"

#include "forms/PopupMenu.h"
#include "forms/TrayIcon.h"
#include "platform/Error.h"

#include <string>
#include <vector>

namespace velt {
namespace {

TEST_F(BindingTest, ModalShowDisablesTheProgramsOtherWindowsUntilItEnds) {
    SampleForm main(app, "Main");
    main.Show();
    bool mainDisabled = false;
    main.OnMessage = [&](unsigned message, std::uintptr_t, std::intptr_t) {
        mainDisabled = message == kTrayCallbackMessage && !IsWindowEnabled(Window(main));
        return true;
    };
    form.Create();
    ui.WindowNeeded(form); // the messages below are posted before the dialog is shown
    PostMessageA(Window(main), kTrayCallbackMessage, 1, kTrayRightButtonDown);
    PostMessageA(Item(SampleForm::kOk), BM_CLICK, 0, 0);
    EXPECT_EQ(form.ShowModal(), kMrOk);
    EXPECT_TRUE(mainDisabled);
    EXPECT_TRUE(IsWindowEnabled(Window(main)));
    EXPECT_FALSE(IsWindowVisible(Window(form)));
}

TEST_F(BindingTest, HelpKeyAsksTheApplicationWithTheFormsContext) {
    std::vector<std::pair<unsigned, long>> requests;
    app.OnHelp = [&](unsigned command, long data) { requests.emplace_back(command, data); };
    form.Show();
    PostKey(Item(SampleForm::kPlain), VK_F1);
    Pump();
    EXPECT_TRUE(requests.empty()); // context 0
    form.SetHelpContext(4);
    PostKey(Item(SampleForm::kPlain), VK_F1);
    Pump();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], std::make_pair(kHelpContext, 4L));
}

std::string boxCaption = "Deactivation"; // the box the timer answers
std::string boxText;                     // what the timer read from the box

void CALLBACK AnswerYes(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowA("#32770", boxCaption.c_str());
    if (box == nullptr) {
        return;
    }
    KillTimer(nullptr, id);
    char text[128] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text); // the box's static text
    boxText = text;
    const bool yesNo = GetDlgItem(box, IDYES) != nullptr && GetDlgItem(box, IDNO) != nullptr;
    PostMessageA(box, WM_COMMAND, yesNo ? IDYES : IDCANCEL, 0);
}

TEST_F(BindingTest, MessageBoxShowsTextCaptionAndFlagsAndReturnsTheButton) {
    // A timer inside the box's own loop checks the box and answers Yes.
    boxText.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &AnswerYes);
    const int answer =
        app.ShowMessage("Do you really want to deactivate Omvex ?", "Deactivation", 36);
    KillTimer(nullptr, timer);
    EXPECT_EQ(answer, kIdYes);
    EXPECT_EQ(boxText, "Do you really want to deactivate Omvex ?");
}

TEST_F(BindingTest, ALibraryErrorReachesTheErrorHandlerAsText) {
    // The executable's own reports of the C++ library's errors, linked into this test too.
    app.SetTitle(boxCaption = "Omvex");
    boxText.clear();
    const auto beyondItsSize = [] { static_cast<void>(std::string("ab").at(5)); };
    EXPECT_THROW(beyondItsSize(), velt::Error);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &AnswerYes);
    app.RunEvent(beyondItsSize);
    KillTimer(nullptr, timer);
    EXPECT_NE(boxText, "");
    boxCaption = "Deactivation";
}

TEST_F(BindingTest, TrayIconCallsSucceedWithThe88ByteRecord) {
    form.Create();
    TrayIcon icon(form);
    icon.Data.hIcon = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(
        LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION))));
    icon.SetTip("OMVEX: Ready for job");
    EXPECT_EQ(icon.Data.cbSize, 88u);
    EXPECT_TRUE(icon.Add());
    EXPECT_EQ(icon.Data.hWnd, ui.WindowHandle(form));
    icon.SetTip("OMVEX: Ciphering file I/O operation");
    EXPECT_TRUE(icon.Modify());
    icon.Data.uFlags = 0;
    EXPECT_TRUE(icon.Delete());
}

TEST_F(BindingTest, PopupMenuRunsTheItemTheUserChooses) {
    form.Show();
    PopupMenu menu(form);
    MenuItem activate(menu, "Activate ...");
    MenuItem line(menu, "-");
    MenuItem quit(menu, "Quit");
    activate.Default = true;
    std::string chosen;
    activate.OnClick = [&] { chosen += "activate;"; };
    quit.OnClick = [&] { chosen += "quit;"; };
    // Keys the menu's own loop reads: down to "Activate ...", down past the line to "Quit".
    PostKey(Window(form), VK_DOWN);
    PostKey(Window(form), VK_DOWN);
    PostKey(Window(form), VK_RETURN);
    menu.Popup(100, 100);
    EXPECT_EQ(chosen, "quit;");
    PostKey(Window(form), VK_ESCAPE);
    menu.Popup(100, 100);
    EXPECT_EQ(chosen, "quit;");
}

} // namespace
} // namespace velt
