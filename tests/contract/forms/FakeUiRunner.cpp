// The forms contract against the native test double.
#include "FormsContract.h"

#include "fakes/TestUi.h"

namespace velt::contract {

namespace {
class FakeUser final : public UserSide {
  public:
    Application& App() override { return ui_.App(); }
    void ReplaceText(Edit& edit, const std::string& text) override { ui_.Paste(edit, text); }
    void PostClick(Button& button) override {
        ui_.Queue([this, &button] { ui_.Click(button); });
    }
    void PostCloseBox(Form& form) override {
        ui_.Queue([this, &form] { ui_.CloseBox(form); });
    }
    void PostKey(Control& focused, Key key) override {
        ui_.Queue([this, &focused, key] {
            focused.SetFocus();
            key == Key::Enter ? ui_.PressEnter(focused.Owner()) : ui_.PressEscape(focused.Owner());
        });
    }
    void PostTrayMouse(Form& form, int mouseMessage) override {
        ui_.Queue([this, &form, mouseMessage] { ui_.TrayMouse(form, mouseMessage); });
    }
    void Settle() override {
        while (ui_.PendingSteps() > 0) {
            ui_.WaitAndDispatch();
        }
    }

  private:
    TestUi ui_;
};
} // namespace

std::unique_ptr<UserSide> MakeUserSide() {
    return std::make_unique<FakeUser>();
}

} // namespace velt::contract
