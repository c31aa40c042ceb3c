#include "BindingFixture.h"

namespace velt {

SampleForm::SampleForm(Application& app, std::string caption)
    : Form(app, std::move(caption), 450, 198) {
    pass.SetPassword(true);
    pass.SetMaxLength(32);
    pass.SetHint("Enter here your password");
    combo.SetHint("Select already created profile from list");
    tool.SetHint("Create new profile ...");
    picture.SetHandCursor(true);
    title.SetBold(true);
    title.SetFontHeight(16);
    for (const char* text : {"My Confidential Data", "Second", "Third"}) {
        combo.Add(text);
        list.Add(text);
    }
    ok.SetPicture("BMP_ACTIVATE");
    ok.SetDefault(true);
    ok.SetModalResult(kMrOk);
    cancel.SetCancel(true);
    cancel.SetModalResult(kMrCancel);
    off.SetPicture("BMP_ACTIVATE");
    off.SetEnabled(false);
    ok.OnClick = [this] { ++okClicks; };
    off.OnClick = [this] { ++offClicks; };
    tool.OnClick = [this] { ++toolClicks; };
    plain.OnChange = [this] { ++edits; };
}

void BindingTest::TearDown() {
    app.ProcessMessages();
}

void BindingTest::Pump() {
    for (int round = 0; round < 3; ++round) {
        app.ProcessMessages();
        Sleep(1);
    }
}

void BindingTest::PostKey(HWND target, WPARAM key) const {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

std::string BindingTest::TextOf(HWND window) const {
    char buffer[256] = {};
    SendMessageA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

} // namespace velt
