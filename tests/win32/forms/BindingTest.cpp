// A form rendered for real: geometry at 96 DPI, font, styles, and notifications becoming events.
#include "BindingFixture.h"

#include "win32/Win32SessionWatch.h"

#include <commctrl.h>

#include <cstdio>
#include <vector>

namespace velt {
namespace {

RECT RectInForm(HWND form, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Writes the window's pixels as a 24-bit BMP beside the test program, for a look by eye.
void SaveScreenshot(HWND window, const char* file) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    const DWORD size = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + size;
    if (FILE* out = std::fopen(file, "wb"); out != nullptr) {
        std::fwrite(&header, sizeof header, 1, out);
        std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
        std::fwrite(bits, size, 1, out);
        std::fclose(out);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

TEST_F(BindingTest, FormHasTheModelsGeometryFontAndFixedBorder) {
    form.Show();
    Pump();
    HWND window = Window(form);
    ASSERT_NE(window, nullptr);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 450);
    EXPECT_EQ(client.bottom, 198);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    for (Control* control : form.Controls()) {
        HWND item = Item(control->Id());
        ASSERT_NE(item, nullptr) << control->Id();
        const RECT rect = RectInForm(window, item);
        const Bounds want = control->BoundsInForm();
        EXPECT_EQ(rect.left, want.left) << control->Id();
        EXPECT_EQ(rect.top, want.top) << control->Id();
        if (control->Kind() == ControlKind::Edit || control->Kind() == ControlKind::Button ||
            control->Kind() == ControlKind::Panel || control->Kind() == ControlKind::ListBox) {
            EXPECT_EQ(rect.right - rect.left, want.width) << control->Id();
            EXPECT_EQ(rect.bottom - rect.top, want.height) << control->Id();
        }
    }
    // The closed drop-down list is as high as the layout says; the label is sized to its text.
    RECT combo;
    GetWindowRect(Item(SampleForm::kCombo), &combo);
    EXPECT_NEAR(combo.bottom - combo.top, 21, 2);
    const RECT label = RectInForm(window, Item(SampleForm::kLabel));
    EXPECT_GT(label.right - label.left, 40);
    EXPECT_GE(label.bottom - label.top, 12);

    auto font = reinterpret_cast<HFONT>(SendMessageA(Item(SampleForm::kPlain), WM_GETFONT, 0, 0));
    LOGFONTA logical{};
    ASSERT_TRUE(GetObjectA(font, sizeof logical, &logical));
    EXPECT_STREQ(logical.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(logical.lfHeight, -11); // 8 points at 96 DPI
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    std::printf("font realised as \"%s\", cell %ld px, leading %ld px\n", face, metrics.tmHeight,
                metrics.tmInternalLeading);
    EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, 11);

    UpdateWindow(window);
    SaveScreenshot(window, "forms_binding.bmp");
}

TEST_F(BindingTest, TabOrderIsDeclarationOrderOfFocusableControls) {
    form.Show();
    Pump();
    std::vector<int> order;
    HWND first = GetNextDlgTabItem(Window(form), nullptr, FALSE);
    for (HWND at = first; at != nullptr && order.size() < 20;) {
        order.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(Window(form), at, FALSE);
        if (at == first) {
            break;
        }
    }
    // The tool button takes no focus, the disabled button is skipped.
    EXPECT_EQ(order, (std::vector<int>{SampleForm::kCombo, SampleForm::kPass, SampleForm::kPlain,
                                       SampleForm::kBox, SampleForm::kList, SampleForm::kOk,
                                       SampleForm::kCancel}));
}

TEST_F(BindingTest, HiddenProgramHasNoTaskbarButton) {
    form.Create();
    EXPECT_EQ(Window(form), nullptr); // a hidden form needs no window yet
    ASSERT_NE(ui.WindowNeeded(form), nullptr);
    EXPECT_EQ(GetWindow(Window(form), GW_OWNER), ui.ApplicationWindow());
    app.SetTitle("Omvex");
    EXPECT_FALSE(IsWindowVisible(ui.ApplicationWindow()));
    form.Show();
    EXPECT_TRUE(IsWindowVisible(ui.ApplicationWindow()));
    EXPECT_EQ(TextOf(ui.ApplicationWindow()), "Omvex");
    EXPECT_FALSE(GetWindowLongA(Window(form), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    form.Hide();
    EXPECT_FALSE(IsWindowVisible(Window(form)));
    EXPECT_FALSE(IsWindowVisible(ui.ApplicationWindow()));
}

TEST_F(BindingTest, EditReportsEachRealChangeOnce) {
    form.Show();
    HWND plain = Item(SampleForm::kPlain);
    SendMessageA(plain, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
    EXPECT_EQ(form.plain.Text(), "abc");
    EXPECT_EQ(form.edits, 1);
    SendMessageA(plain, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
    EXPECT_EQ(form.edits, 1);
    SendMessageA(plain, EM_SETSEL, 3, 3);
    SendMessageA(plain, WM_CHAR, 'd', 1);
    EXPECT_EQ(form.plain.Text(), "abcd");
    EXPECT_EQ(form.edits, 2);
    form.plain.SetText("from code"); // one event, and the window shows it
    EXPECT_EQ(form.edits, 3);
    EXPECT_EQ(TextOf(plain), "from code");
    // Code page 1252 holds e acute, but for A macron only the look-alike "A": refused.
    SendMessageW(plain, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"caf\u00e9"));
    EXPECT_EQ(form.plain.Text(), "caf\xE9");
    EXPECT_FALSE(form.plain.Unrepresentable());
    SendMessageW(plain, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"\u0100"));
    EXPECT_TRUE(form.plain.Unrepresentable());
}

TEST_F(BindingTest, PasswordEditShowsStarsAndItsRuleAndCutsThe33rdCharacter) {
    form.pass.SetCue("4 to 32 characters");
    form.Show();
    HWND pass = Item(SampleForm::kPass);
    EXPECT_EQ(SendMessageA(pass, EM_GETPASSWORDCHAR, 0, 0), '*');
    EXPECT_EQ(SendMessageA(Item(SampleForm::kPlain), EM_GETPASSWORDCHAR, 0, 0), 0);
    wchar_t cue[32] = {};
    SendMessageW(pass, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 32);
    EXPECT_STREQ(cue, L"4 to 32 characters");
    for (int i = 0; i < 32; ++i) {
        SendMessageA(pass, WM_CHAR, 'a' + (i % 26), 1);
    }
    // The 33rd is cut; the edit answers it (its balloon, or a beep where it has none: Wine 8).
    SendMessageA(pass, WM_CHAR, 'z', 1);
    EXPECT_EQ(form.pass.Text().size(), 32u);
    EXPECT_EQ(GetWindowTextLengthA(pass), 32);
    form.pass.SetText("");
    EXPECT_EQ(GetWindowTextLengthA(pass), 0);
}

TEST_F(BindingTest, ButtonsClickOnlyWhenEnabledAndToolButtonsTakeNoFocus) {
    form.Show();
    Pump();
    SendMessageA(Item(SampleForm::kOff), BM_CLICK, 0, 0);
    EXPECT_EQ(form.offClicks, 0);
    form.off.SetEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(Item(SampleForm::kOff)));
    SendMessageA(Item(SampleForm::kOff), BM_CLICK, 0, 0);
    EXPECT_EQ(form.offClicks, 1);

    SetFocus(Item(SampleForm::kPlain));
    HWND tool = Item(SampleForm::kTool);
    EXPECT_FALSE(GetWindowLongA(tool, GWL_STYLE) & WS_TABSTOP);
    RECT rect;
    GetClientRect(tool, &rect);
    const LPARAM middle = MAKELPARAM(rect.right / 2, rect.bottom / 2);
    SendMessageA(tool, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    SendMessageA(tool, WM_LBUTTONUP, 0, middle);
    EXPECT_EQ(form.toolClicks, 1);
    SendMessageA(tool, BM_CLICK, 0, 0);
    EXPECT_EQ(form.toolClicks, 2);
    EXPECT_EQ(GetFocus(), Item(SampleForm::kPlain));
}

TEST_F(BindingTest, CheckBoxAndListsFollowTheUserAndTheModel) {
    form.Show();
    int boxClicks = 0;
    int comboChanges = 0;
    int listClicks = 0;
    form.box.OnClick = [&] { ++boxClicks; };
    form.combo.OnChange = [&] { ++comboChanges; };
    form.list.OnClick = [&] { ++listClicks; };

    SendMessageA(Item(SampleForm::kBox), BM_CLICK, 0, 0);
    EXPECT_TRUE(form.box.Checked());
    EXPECT_EQ(boxClicks, 1);
    form.box.SetChecked(false);
    EXPECT_EQ(SendMessageA(Item(SampleForm::kBox), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(boxClicks, 2);

    HWND combo = Item(SampleForm::kCombo);
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    SendMessageA(Window(form), WM_COMMAND, MAKEWPARAM(SampleForm::kCombo, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(form.combo.ItemIndex(), 1);
    EXPECT_EQ(comboChanges, 1);
    form.combo.SetItemIndex(7); // no such item: nothing selected, in the window too
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(comboChanges, 1);

    HWND list = Item(SampleForm::kList);
    SendMessageA(list, LB_SETCURSEL, 2, 0);
    SendMessageA(Window(form), WM_COMMAND, MAKEWPARAM(SampleForm::kList, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(form.list.ItemIndex(), 2);
    EXPECT_EQ(listClicks, 1);
    form.list.Move(2, 0);
    form.list.Add("Fourth");
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);
    char text[64] = {};
    SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Third");
    EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 13);
}

TEST_F(BindingTest, HiddenPanelHidesWhatItHolds) {
    form.Show();
    form.panel.SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(Item(SampleForm::kPass)));
    form.panel.SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(Item(SampleForm::kPass)));
    form.plain.SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(Item(SampleForm::kPlain)));
}

BOOL CALLBACK FindTooltip(HWND window, LPARAM found) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0) {
        *reinterpret_cast<HWND*>(found) = window;
    }
    return TRUE;
}

TEST_F(BindingTest, ToolTipsCarryTheHints) {
    form.Show();
    HWND tip = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindTooltip, reinterpret_cast<LPARAM>(&tip));
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 3);
    char text[128] = {};
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = Window(form);
    info.uId = reinterpret_cast<UINT_PTR>(Item(SampleForm::kCombo));
    info.lpszText = text;
    SendMessageA(tip, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, "Select already created profile from list");
    form.combo.SetHint("Files to protect: \"c:\\confident\\*.*\"");
    SendMessageA(tip, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, "Files to protect: \"c:\\confident\\*.*\"");
}

} // namespace
} // namespace velt

namespace velt {
namespace {

COLORREF PictureCorner(HWND button) {
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0));
    if (bitmap == nullptr) {
        return CLR_INVALID;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF corner = GetPixel(dc, 0, 0); // drawn on the classic grey
    SelectObject(dc, old);
    DeleteDC(dc);
    return corner;
}

TEST_F(BindingTest, ButtonPictureSitsOnTheFaceColourAndOnWhiteWhileDisabled) {
    form.Show();
    EXPECT_EQ(PictureCorner(Item(SampleForm::kOk)), GetSysColor(COLOR_BTNFACE));
    // White is what the system leaves out when it draws a disabled picture embossed.
    EXPECT_EQ(PictureCorner(Item(SampleForm::kOff)), RGB(255, 255, 255));
    form.off.SetEnabled(true);
    EXPECT_EQ(PictureCorner(Item(SampleForm::kOff)), GetSysColor(COLOR_BTNFACE));
}

TEST_F(BindingTest, LabelsAskForTheirOwnFontAndPicturesShowAHandAndClick) {
    form.Show();
    auto font = reinterpret_cast<HFONT>(SendMessageA(Item(SampleForm::kTitle), WM_GETFONT, 0, 0));
    LOGFONTA logical{};
    ASSERT_TRUE(GetObjectA(font, sizeof logical, &logical));
    EXPECT_EQ(logical.lfHeight, -16);
    EXPECT_EQ(logical.lfWeight, FW_BOLD);

    HWND picture = Item(SampleForm::kPicture);
    SendMessageA(Window(form), WM_SETCURSOR, reinterpret_cast<WPARAM>(picture),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
    EXPECT_NE(SendMessageA(picture, STM_GETICON, 0, 0), 0); // MAINICON from the resources
    int clicks = 0;
    form.picture.OnClick = [&] { ++clicks; };
    SendMessageA(Window(form), WM_COMMAND, MAKEWPARAM(SampleForm::kPicture, STN_CLICKED),
                 reinterpret_cast<LPARAM>(picture));
    EXPECT_EQ(clicks, 1);
}

// What Windows 10 sends a per-monitor aware window moved to a monitor of 144 DPI.
TEST_F(BindingTest, MovedToAMonitorOfAnotherScaleTheFormIsDrawnAtItsDpi) {
    form.Show();
    Pump();
    HWND window = Window(form);
    RECT suggested{10, 20, 710, 350};
    SendMessageA(window, 0x02E0, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_TRUE(EqualRect(&outer, &suggested));
    for (Control* control : form.Controls()) {
        const Bounds want = control->BoundsInForm();
        const RECT rect = RectInForm(window, Item(control->Id()));
        EXPECT_NEAR(rect.left, want.left * 1.5, 1) << control->Id();
        EXPECT_NEAR(rect.top, want.top * 1.5, 1) << control->Id();
        if (control->Kind() == ControlKind::Edit || control->Kind() == ControlKind::Button) {
            EXPECT_NEAR(rect.right, (want.left + want.width) * 1.5, 1) << control->Id();
            EXPECT_NEAR(rect.bottom, (want.top + want.height) * 1.5, 1) << control->Id();
        }
    }
    const auto fontHeight = [&](int id) {
        LOGFONTA logical{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(Item(id), WM_GETFONT, 0, 0)),
                   sizeof logical, &logical);
        return logical.lfHeight;
    };
    EXPECT_EQ(fontHeight(SampleForm::kPlain), -17);
    EXPECT_EQ(fontHeight(SampleForm::kTitle), -24);
    // The key is drawn for the scale, not stretched; the picture's icon is 48 pixels.
    BITMAP picture{};
    GetObjectA(reinterpret_cast<HGDIOBJ>(
                   SendMessageA(Item(SampleForm::kOk), BM_GETIMAGE, IMAGE_BITMAP, 0)),
               sizeof picture, &picture);
    EXPECT_EQ(picture.bmWidth, 24);
    ICONINFO icon{};
    ASSERT_TRUE(GetIconInfo(
        reinterpret_cast<HICON>(SendMessageA(Item(SampleForm::kPicture), STM_GETICON, 0, 0)),
        &icon));
    BITMAP mask{};
    GetObjectA(icon.hbmMask, sizeof mask, &mask);
    DeleteObject(icon.hbmMask);
    DeleteObject(icon.hbmColor);
    EXPECT_EQ(mask.bmWidth, 48);
}

TEST_F(BindingTest, ActivationAndRegisteredMessagesReachTheForms) {
    // The lock notifications are asked for a form's window, made for it if need be, through
    // wtsapi32, which is loaded for the first request and freed with the notifications' owner.
    {
        Win32LockNotifications notifications;
        EXPECT_FALSE(notifications.Register(nullptr));
        EXPECT_EQ(GetModuleHandleA("wtsapi32.dll"), nullptr) << "not loaded for no window";
    }
    form.Create();
    ASSERT_EQ(Window(form), nullptr);
    EXPECT_TRUE(ui.WatchSessionLock(form));
    EXPECT_NE(Window(form), nullptr);
    EXPECT_NE(GetModuleHandleA("wtsapi32.dll"), nullptr);
    ui.UnwatchSessionLock(form);
    SampleForm other(app, "Other");
    std::vector<std::string> events;
    form.OnActivate = [&] { events.push_back("form+"); };
    form.OnDeactivate = [&] { events.push_back("form-"); };
    other.OnActivate = [&] { events.push_back("other+"); };
    form.Show();
    other.Show();
    Pump();
    EXPECT_EQ(events, (std::vector<std::string>{"form+", "form-", "other+"}));
    EXPECT_TRUE(other.Active());

    const unsigned taskbarCreated = ui.RegisterMessageId("TaskbarCreated");
    std::vector<unsigned> seen;
    form.OnMessage = [&](unsigned message, std::uintptr_t, std::intptr_t) {
        seen.push_back(message);
        return true;
    };
    PostMessageA(Window(form), taskbarCreated, 0, 0);
    Pump();
    EXPECT_EQ(SendMessageA(Window(form), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(seen, (std::vector<unsigned>{taskbarCreated, WM_QUERYENDSESSION}));

    // Timers and the session's and the computer's news reach the form as model events.
    std::vector<int> events2;
    form.OnTimer = [&](unsigned id) { events2.push_back(static_cast<int>(id)); };
    form.OnSystemEvent = [&](SystemEvent e) { events2.push_back(100 + static_cast<int>(e)); };
    SendMessageA(Window(form), WM_TIMER, 7, 0);
    SendMessageA(Window(form), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    SendMessageA(Window(form), WM_WTSSESSION_CHANGE, WTS_REMOTE_CONNECT, 1); // not followed
    EXPECT_EQ(SendMessageA(Window(form), WM_POWERBROADCAST, PBT_APMSUSPEND, 0), TRUE);
    SendMessageA(Window(form), WM_ENDSESSION, FALSE, 0); // cancelled: no end
    SendMessageA(Window(form), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(events2, (std::vector<int>{7, 100, 102, 104}));
    EXPECT_EQ(seen.size(), 2U) << "no raw message for these";
}

TEST_F(BindingTest, OwnedFormLiesOnItsOwnersWindowAndOutlivesIt) {
    SampleForm owned(app, "Owned");
    owned.SetOwnerForm(&form);
    form.Create();
    owned.Show(); // makes the owner's window too, hidden
    Pump();
    EXPECT_EQ(GetWindow(Window(owned), GW_OWNER), Window(form));
    EXPECT_EQ(GetWindow(Window(form), GW_OWNER), ui.ApplicationWindow());

    form.Destroy();
    ASSERT_TRUE(IsWindow(Window(owned)));
    EXPECT_TRUE(IsWindowVisible(Window(owned)));
    EXPECT_EQ(GetWindow(Window(owned), GW_OWNER), ui.ApplicationWindow());
}

TEST_F(BindingTest, FormComingBackWhenDeactivatedIsLeftAloneOnceGoneOrDisabled) {
    SampleForm dialog(app, "Dialog");
    dialog.OnDeactivate = [&] { dialog.Show(); };
    form.Show();
    dialog.Show();
    Pump();
    ASSERT_TRUE(dialog.Active());

    // Disabled (as by a modal show) before its turn comes: the activation stays where it went.
    form.BringToFront();
    EnableWindow(Window(dialog), FALSE);
    Pump();
    EXPECT_TRUE(form.Active());
    EnableWindow(Window(dialog), TRUE);
    dialog.Show();
    Pump();
    ASSERT_TRUE(dialog.Active());

    // Destroyed before its turn comes.
    form.BringToFront();
    dialog.OnDeactivate = nullptr;
    dialog.Destroy();
    Pump();
    EXPECT_TRUE(form.Active());
    EXPECT_EQ(GetActiveWindow(), Window(form));
}

TEST_F(BindingTest, TwoFormsComingBackWhenDeactivatedSettleWithTheFirstInFront) {
    SampleForm second(app, "Second");
    int deactivations = 0;
    form.OnDeactivate = [&] {
        ++deactivations;
        form.Show();
    };
    second.OnDeactivate = [&] {
        ++deactivations;
        second.Show();
    };
    form.Show();
    second.Show();
    Pump();
    EXPECT_TRUE(form.Active());
    EXPECT_FALSE(second.Active());
    const int settled = deactivations;
    Pump();
    EXPECT_EQ(deactivations, settled);
    EXPECT_LE(settled, 2);
}

} // namespace
} // namespace velt
