#include "forms/Application.h"

#include "forms/Form.h"
#include "forms/UiBackend.h"

#include <algorithm>

namespace velt {

Application::Application(IUiBackend& backend) : backend_(backend) {}

Application::~Application() {
    // Last created first, as the program's windows are torn down.
    while (!owned_.empty()) {
        owned_.pop_back();
    }
}

int Application::ShowMessage(std::string_view text, std::string_view caption, unsigned flags) {
    const int answer = backend_.ShowMessageBox(text, caption, flags);
    // A Quit chosen while the box was open ends the program: whatever the box asked is dropped.
    return terminated_ ? kIdCancel : answer;
}

void Application::RequestTerminate() {
    terminated_ = true;
    backend_.WakeUp();
}

void Application::Help(int context) {
    if (OnHelp) {
        OnHelp(kHelpContext, context);
    }
}

void Application::HandleException(const std::exception& error) {
    std::string text = error.what();
    if (!text.empty() && text.back() != '.') {
        text += '.';
    }
    ShowMessage(text, title_, kMbIconError);
}

void Application::RunEvent(const std::function<void()>& event) {
    try {
        event();
    } catch (const std::exception& error) {
        HandleException(error);
    }
}

void Application::ProcessMessages() {
    backend_.ProcessPending();
    DestroyReleased();
}

void Application::Run() {
    if (mainForm_ != nullptr) {
        RunEvent([this] { mainForm_->Show(); });
    }
    while (!terminated_) {
        backend_.WaitAndDispatch();
        DestroyReleased();
    }
    for (auto it = owned_.rbegin(); it != owned_.rend(); ++it) {
        Form& form = **it;
        RunEvent([&form] { form.Destroy(); });
    }
}

Form* Application::ActiveForm() const {
    const auto it = std::find_if(forms_.begin(), forms_.end(), [](Form* f) { return f->Active(); });
    return it == forms_.end() ? nullptr : *it;
}

void Application::Adopt(std::unique_ptr<Form> form) {
    if (mainForm_ == nullptr) {
        mainForm_ = form.get();
    }
    owned_.push_back(std::move(form));
}

void Application::AddForm(Form& form) {
    forms_.push_back(&form);
}

void Application::RemoveForm(Form& form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), &form), forms_.end());
    released_.erase(std::remove(released_.begin(), released_.end(), &form), released_.end());
    if (mainForm_ == &form) {
        mainForm_ = nullptr;
    }
    if (lastFront_ == &form) {
        lastFront_ = nullptr;
    }
}

void Application::ScheduleRelease(Form& form) {
    if (std::find(released_.begin(), released_.end(), &form) == released_.end()) {
        released_.push_back(&form);
    }
    backend_.WakeUp();
}

void Application::DestroyReleased() {
    for (;;) {
        // A form in its own modal loop is destroyed once that loop has ended.
        const auto it =
            std::find_if(released_.begin(), released_.end(), [](Form* f) { return !f->Modal(); });
        if (it == released_.end()) {
            return;
        }
        Form* form = *it;
        released_.erase(it);
        RunEvent([form] { form->Destroy(); });
        const auto owned = std::find_if(owned_.begin(), owned_.end(),
                                        [form](const auto& p) { return p.get() == form; });
        if (owned != owned_.end()) {
            owned_.erase(owned);
        }
    }
}

} // namespace velt
