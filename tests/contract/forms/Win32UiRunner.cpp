// The forms contract against the Win32 binding: real windows driven by window messages.
#include "FormsContract.h"

#include "win32/Win32Ui.h"

namespace velt::contract {

namespace {
class Win32User final : public UserSide {
  public:
    Application& App() override { return app_; }
    void ReplaceText(Edit& edit, const std::string& text) override {
        ui_.WindowNeeded(edit.Owner());
        SendMessageA(Win32Ui::WindowOf(edit), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(text.c_str()));
    }
    void PostClick(Button& button) override {
        ui_.WindowNeeded(button.Owner()); // messages are posted before the dialog is shown
        PostMessageA(Win32Ui::WindowOf(button), BM_CLICK, 0, 0);
    }
    void PostCloseBox(Form& form) override { PostMessageA(ui_.WindowNeeded(form), WM_CLOSE, 0, 0); }
    void PostKey(Control& focused, Key key) override {
        const WPARAM code = key == Key::Enter ? VK_RETURN : VK_ESCAPE;
        ui_.WindowNeeded(focused.Owner());
        PostMessageA(Win32Ui::WindowOf(focused), WM_KEYDOWN, code, 1);
        PostMessageA(Win32Ui::WindowOf(focused), WM_KEYUP, code, static_cast<LPARAM>(0xC0000001u));
    }
    void PostTrayMouse(Form& form, int mouseMessage) override {
        PostMessageA(ui_.WindowNeeded(form), kTrayCallbackMessage, 1, mouseMessage);
    }
    void Settle() override {
        for (int round = 0; round < 3; ++round) {
            app_.ProcessMessages();
            Sleep(1);
        }
    }

  private:
    Win32Ui ui_{GetModuleHandleA(nullptr)};
    Application app_{ui_};
};
} // namespace

std::unique_ptr<UserSide> MakeUserSide() {
    return std::make_unique<Win32User>();
}

} // namespace velt::contract
