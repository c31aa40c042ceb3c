// Every window of the real Veltarion.exe at 96, 120, 144 and 192 DPI (the prefix's LogPixels, the
// value the display settings write), measured against the windows' own layout: the very objects
// the program builds its windows from, made here on the test double. At 96 DPI each control sits
// exactly where its layout says; at the other scales within a pixel of the scaled place, its text
// fits, it stays inside its panel and the window, and overlaps nothing it did not overlap at 96.
// Screenshots of every window at 96 and 192 DPI go to the build's e2e-shots folder.
#include "e2e/harness/E2eHarness.h"

#include "ResourceNames.h"
#include "e2e/harness/DeclaredWindows.h"
#include "forms/StaticControls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace velt::e2e {
namespace {

// The system DPI of the programs started from now on (0: the prefix's own). Wine 8 reads it at a
// program's start from this value, else from the machine's LogPixels under "Hardware Profiles",
// as Windows since Vista does.
void SetSystemDpi(DWORD dpi) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                    nullptr, &key, nullptr);
    dpi == 0 ? RegDeleteValueA(key, "LogPixels")
             : RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                              sizeof dpi);
    RegCloseKey(key);
}

RECT InClient(HWND control, HWND window) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool Overlap(const RECT& a, const RECT& b) {
    RECT both{};
    return IntersectRect(&both, &a, &b) != FALSE;
}

bool Inside(const RECT& inner, const RECT& outer) {
    RECT both{};
    return IntersectRect(&both, &inner, &outer) && EqualRect(&both, &inner);
}

// Controls whose text the check measures against their size.
bool ShowsCaption(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::Button ||
           kind == ControlKind::CheckBox || kind == ControlKind::GroupBox;
}

// The extent of a text in "MS Sans Serif" of a height given at 96 DPI, at dpi.
SIZE TextExtent(const std::string& text, int height, bool bold, int dpi) {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(-static_cast<int>(std::lround(height * dpi / 96.0)), 0, 0, 0,
                             bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return size;
}

// Rectangles of each window's controls at 96 DPI, by window caption and control id.
using Measured = std::map<std::string, std::map<int, RECT>>;

void CheckWindow(HWND window, const Form& layout, int dpi, Measured& at96) {
    ASSERT_NE(window, nullptr) << layout.Caption() << " at " << dpi;
    const std::string where = layout.Caption() + " at " + std::to_string(dpi) + " DPI: ";
    const double k = dpi / 96.0;
    // At 96 DPI exactly the layout; above it within a pixel of the scaled place.
    const double slack = dpi == 96 ? 0.0 : 1.0;
    const auto atScale = [&](long actual, int at96px) {
        return std::fabs(static_cast<double>(actual) - at96px * k) <= slack + 1e-9;
    };
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_TRUE(atScale(client.right, layout.ClientWidth()) &&
                atScale(client.bottom, layout.ClientHeight()))
        << where << "client " << client.right << "x" << client.bottom;

    std::map<const Control*, RECT> rects;
    for (const Control* control : layout.Controls()) {
        HWND item = Item(window, control->Id());
        ASSERT_NE(item, nullptr) << where << "control " << control->Id();
        const RECT rect = InClient(item, window);
        rects[control] = rect;
        const std::string what = where + "control " + std::to_string(control->Id()) + ": ";
        const Bounds b = control->BoundsInForm();
        const auto* label =
            control->Kind() == ControlKind::Label ? static_cast<const Label*>(control) : nullptr;
        const bool autoSized = label != nullptr && label->AutoSize();
        // An etched rule is as thick as the system draws it.
        const bool ownHeight = control->Kind() == ControlKind::Bevel;
        EXPECT_TRUE(atScale(rect.left, b.left) && atScale(rect.top, b.top)) << what << "place";
        if (!autoSized) {
            EXPECT_TRUE(atScale(rect.right, b.left + b.width)) << what << "width";
            if (!ownHeight) {
                EXPECT_TRUE(atScale(rect.bottom, b.top + b.height)) << what << "height";
            }
        }
        const std::string caption = ShowsCaption(control->Kind()) ? Text(item) : std::string();
        if (!caption.empty()) {
            // A label's own font height, else its window's, else the default 11 pixels.
            const int formHeight = layout.FontHeight() != 0 ? layout.FontHeight() : 11;
            const int height =
                label != nullptr && label->FontHeight() != 0 ? label->FontHeight() : formHeight;
            const SIZE text = TextExtent(caption, height, label != nullptr && label->Bold(), dpi);
            // A label is as high as its font's cells: the font is the layout's, scaled.
            if (autoSized) {
                EXPECT_EQ(rect.bottom - rect.top, text.cy) << what << "font";
            }
            // Room for the text beside a check box's square, inside a button's edges.
            const long room =
                (rect.right - rect.left) -
                (control->Kind() == ControlKind::CheckBox
                     ? std::lround(16 * k)
                     : (control->Kind() == ControlKind::Label ? 0 : std::lround(6 * k)));
            EXPECT_LE(text.cx, room) << what << "text " << caption << " clipped";
            EXPECT_LE(text.cy, rect.bottom - rect.top) << what << "text " << caption << " clipped";
        }
        EXPECT_TRUE(Inside(rect, client)) << what << "outside the window";
    }
    auto& before = at96[layout.Caption()];
    for (const auto& [control, rect] : rects) {
        if (control->Parent() != nullptr) {
            EXPECT_TRUE(Inside(rect, rects[control->Parent()]))
                << where << "control " << control->Id() << " outside its panel";
        }
        if (dpi == 96) {
            before[control->Id()] = rect;
            continue;
        }
        for (const auto& [other, otherRect] : rects) {
            if (other != control && other->Parent() == control->Parent() &&
                before.count(control->Id()) != 0 && before.count(other->Id()) != 0 &&
                !Overlap(before[control->Id()], before[other->Id()])) {
                EXPECT_FALSE(Overlap(rect, otherRect)) << where << "controls " << control->Id()
                                                       << " and " << other->Id() << " overlap";
            }
        }
    }
}

// Opens every window at each scale in turn (the 96-DPI pass first: it gives the overlaps).
TEST(LayoutE2e, EveryWindowFollowsItsLayoutAtEveryScale) {
    Declared layouts;
    Measured at96;
    // The prefix's own DPI comes back however the test ends: a scale left behind would be the
    // next test program's from its start, and its fonts those of that scale.
    struct PrefixDpi {
        ~PrefixDpi() { SetSystemDpi(0); }
    } restore;
    for (const int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE("DPI " + std::to_string(dpi));
        SetSystemDpi(static_cast<DWORD>(dpi));
        const bool shots = dpi == 96 || dpi == 192;
        const auto shot = [&](const char* name) {
            if (shots)
                Screenshot("dpi" + std::to_string(dpi) + "-" + name);
        };
        const auto check = [&](HWND window, const Form& layout, const char* name) {
            CheckWindow(window, layout, dpi, at96);
            shot(name);
        };
        const auto gone = [](HWND window) {
            return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); });
        };
        DeleteSettingsKey();
        Install install;
        App app(install);
        HWND main = app.MainWindow();
        ASSERT_NE(main, nullptr);
        HWND welcome = app.WaitWindow(nullptr, TDefaultForm::kCaption);
        CheckWindow(main, layouts.main, dpi, at96);
        check(welcome, layouts.welcome, "welcome");
        PostMessageA(welcome, WM_CLOSE, 0, 0);
        ASSERT_TRUE(gone(welcome));
        shot("main");

        Click(Item(main, TSetParamForm::kCreateProfile));
        HWND dialog = app.WaitWindow(nullptr, TPFPropertysForm::kCreateCaption);
        check(dialog, layouts.properties, "properties");
        Click(Item(dialog, TPFPropertysForm::kCallWizardButton));
        HWND wizard = app.WaitWindow(nullptr, TFileListForm::kCaption);
        check(wizard, layouts.wizard, "wizard");
        if (shots) { // the system's own dialogs beside ours: the browse dialog
            Click(Item(wizard, TFileListForm::kPickButton));
            HWND browse = app.WaitWindow(kDialogClass, nullptr);
            ASSERT_NE(browse, nullptr);
            shot("browse");
            PostMessageA(browse, WM_COMMAND, IDCANCEL, 0);
            ASSERT_TRUE(gone(browse));
        }
        Click(Item(wizard, TFileListForm::kBtnCancel));
        ASSERT_TRUE(gone(wizard));
        // A profile with a password, so that editing it asks for the password first.
        SetText(Item(dialog, TPFPropertysForm::kProfileNameEdit), "Work");
        SetText(Item(dialog, TPFPropertysForm::kListEdit), "c:\\work\\*.*");
        SetText(Item(dialog, TPFPropertysForm::kPass1Edit), "Tiger9");
        SetText(Item(dialog, TPFPropertysForm::kPass2Edit), "Tiger9");
        ASSERT_TRUE(
            WaitUntil([&] { return Enabled(Item(dialog, TPFPropertysForm::kApplyButton)); }));
        Click(Item(dialog, TPFPropertysForm::kApplyButton));
        ASSERT_TRUE(gone(dialog));

        Click(Item(main, TSetParamForm::kEditProfile));
        HWND prompt = app.WaitWindow(nullptr, TPasswordsForm::kCaption);
        check(prompt, layouts.prompt, "prompt");
        Click(Item(prompt, TPasswordsForm::kCancelButton));
        ASSERT_TRUE(gone(prompt));

        if (shots) { // a message box
            ASSERT_TRUE(ChooseTrayItem(app.Pid(), main, kMenuDeactivate));
            HWND box = app.WaitMessageBox("Deactivation");
            ASSERT_NE(box, nullptr);
            shot("message-box");
            Answer(box, IDOK);
            ASSERT_TRUE(gone(box));
        }
        ASSERT_TRUE(ChooseTrayItem(app.Pid(), main, kMenuAbout));
        HWND about = app.WaitWindow(nullptr, TAboutForm::kCaption);
        check(about, layouts.about, "about");
        Click(Item(about, TAboutForm::kOKButton));
        ASSERT_TRUE(gone(about));

        ASSERT_TRUE(ChooseTrayItem(app.Pid(), main, kMenuQuit));
        EXPECT_TRUE(app.WaitExit().has_value());
    }
    DeleteSettingsKey();
}

// The sizes of every icon image (width and bits per pixel) in the executable's resources, and the
// twice-sized drawing of every button picture.
TEST(LayoutE2e, ResourcesCarryEveryScale) {
    Install install;
    HMODULE exe =
        LoadLibraryExA(install.Path("Veltarion.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    const auto images = [&](const char* name) {
        std::set<std::pair<int, int>> found;
        HRSRC group = FindResourceA(exe, name, MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
        if (group == nullptr)
            return found;
        const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(exe, group)));
        const int count = dir[4] | (dir[5] << 8);
        for (int i = 0; i < count; ++i) {
            const BYTE* entry = dir + 6 + 14 * i; // width, height, colours, 0, planes, bits, ...
            found.emplace(entry[0] == 0 ? 256 : entry[0], entry[6] | (entry[7] << 8));
        }
        return found;
    };
    const std::set<std::pair<int, int>> everyScale{{16, 32}, {20, 32}, {24, 32}, {32, 32},
                                                   {40, 32}, {48, 32}, {64, 32}};
    auto mainIcon = everyScale;
    mainIcon.insert({{16, 4}, {32, 4}, {16, 8}, {32, 8}});
    const auto pictureSize = [&](const std::string& name) {
        BITMAP bitmap{};
        HANDLE image = LoadImageA(exe, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        GetObjectA(image, sizeof bitmap, &bitmap);
        DeleteObject(image);
        return std::make_pair(bitmap.bmWidth, bitmap.bmHeight);
    };
#define VELT_NAME(constant, name) res::constant,
    for (const char* icon : {VELT_ICON_NAMES(VELT_NAME)})
        EXPECT_EQ(images(icon), icon == res::kMainIcon ? mainIcon : everyScale) << icon;
    for (const char* picture : {VELT_PICTURE_NAMES(VELT_NAME)}) {
        const auto small = pictureSize(picture);
        EXPECT_GT(small.first, 0) << picture;
        EXPECT_EQ(pictureSize(picture + std::string(res::kPicture2xSuffix)),
                  std::make_pair(2 * small.first, 2 * small.second))
            << picture;
    }
#undef VELT_NAME
    FreeLibrary(exe);
}

} // namespace
} // namespace velt::e2e
