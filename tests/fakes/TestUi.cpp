#include "fakes/TestUi.h"

#include "forms/Button.h"
#include "forms/CheckBox.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/ItemsControl.h"
#include "forms/PopupMenu.h"
#include "forms/StaticControls.h"

#include <algorithm>
#include <utility>

namespace velt {

TestUi::TestUi() : app_(*this) {}

TestUi::~TestUi() = default;

bool TestUi::Act(const Form& form, const std::function<bool()>& action) {
    if (!modal_.empty() && modal_.back() != &form) {
        return false; // the window is disabled while another one is shown modally
    }
    bool done = false;
    app_.RunEvent([&] { done = action(); });
    app_.DestroyReleased();
    return done;
}

bool TestUi::Type(Edit& edit, std::string_view chars) {
    for (const char c : chars) {
        // A selected text is replaced by the first character.
        const auto typed = [&] {
            return edit.UserEdit((edit.AllSelected() ? std::string() : edit.Text()) + c);
        };
        if (!Act(edit.Owner(), typed)) {
            return false;
        }
    }
    return true;
}

bool TestUi::Paste(Edit& edit, std::string_view text, bool representable) {
    return Act(edit.Owner(), [&] { return edit.UserEdit(text, representable); });
}

bool TestUi::Backspace(Edit& edit) {
    return Act(edit.Owner(), [&] {
        if (edit.Text().empty()) {
            return false;
        }
        return edit.UserEdit(std::string_view(edit.Text()).substr(0, edit.Text().size() - 1));
    });
}

bool TestUi::Click(Button& button) {
    return Act(button.Owner(), [&] { return button.Click(); });
}

bool TestUi::Click(CheckBox& box) {
    return Act(box.Owner(), [&] { return box.Click(); });
}

bool TestUi::Click(Picture& picture) {
    return Act(picture.Owner(), [&] { return picture.Click(); });
}

bool TestUi::Select(ComboBox& combo, int index) {
    return Act(combo.Owner(), [&] { return combo.UserSelect(index); });
}

bool TestUi::Select(ListBox& list, int index) {
    return Act(list.Owner(), [&] { return list.UserSelect(index); });
}

void TestUi::CloseBox(Form& form) {
    Act(form, [&] {
        form.Close();
        return true;
    });
}

void TestUi::PressEnter(Form& form) {
    Act(form, [&] {
        form.PressEnter();
        return true;
    });
}

void TestUi::PressEscape(Form& form) {
    Act(form, [&] {
        form.PressEscape();
        return true;
    });
}

bool TestUi::PressKey(Form& form, KeyPress key) {
    return Act(form, [&] { return form.PressKey(key); });
}

void TestUi::PressF1(Form& form) {
    Act(form, [&] {
        form.PressHelp();
        return true;
    });
}

bool TestUi::Activate(Form& form) {
    return Act(form, [&] {
        ActivateForm(&form);
        return true;
    });
}

void TestUi::Deliver(Form& form, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    // Messages reach every window, disabled or not.
    app_.RunEvent([&] {
        if (form.OnMessage) {
            form.OnMessage(message, wParam, lParam);
        }
    });
    app_.DestroyReleased();
}

void TestUi::Tick(Form& form, unsigned id) {
    app_.RunEvent([&] {
        if (form.OnTimer) {
            form.OnTimer(id);
        }
    });
}

void TestUi::Raise(Form& form, SystemEvent event) {
    app_.RunEvent([&] {
        if (form.OnSystemEvent) {
            form.OnSystemEvent(event);
        }
    });
}

void TestUi::TrayMouse(Form& form, int mouseMessage) {
    Deliver(form, kTrayCallbackMessage, 1, mouseMessage);
}

void TestUi::Queue(std::function<void()> step) {
    steps_.push_back(std::move(step));
}

void TestUi::ActivateForm(Form* form) {
    if (active_ == form) {
        return;
    }
    if (form != nullptr) {
        recent_.erase(std::remove(recent_.begin(), recent_.end(), form), recent_.end());
        recent_.push_back(form);
    }
    Form* previous = active_;
    active_ = form;
    if (previous != nullptr) {
        previous->Activated(false); // may hand the activation on again
    }
    if (form != nullptr && active_ == form) {
        form->Activated(true);
    }
}

Form* TestUi::NextActive(const Form* except) const {
    for (auto it = recent_.rbegin(); it != recent_.rend(); ++it) {
        if (*it != except && (*it)->Visible()) {
            return *it;
        }
    }
    return nullptr;
}

void TestUi::CreateFormWindow(Form& form) {
    log_.push_back("create " + form.Caption());
    created_.insert(&form);
}

void TestUi::DestroyFormWindow(Form& form) {
    log_.push_back("destroy " + form.Caption());
    created_.erase(&form);
    lockWatched_.erase(&form); // a window's registrations go with it
    recent_.erase(std::remove(recent_.begin(), recent_.end(), &form), recent_.end());
    std::replace(activeAtModal_.begin(), activeAtModal_.end(), &form, static_cast<Form*>(nullptr));
    if (active_ == &form) {
        active_ = nullptr;
        ActivateForm(NextActive(&form));
    }
    modal_.erase(std::remove(modal_.begin(), modal_.end(), &form), modal_.end());
    handles_.erase(&form);
}

void TestUi::FormChanged(Form& form, FormChange what) {
    switch (what) {
    case FormChange::Visible:
        log_.push_back((form.Visible() ? "show " : "hide ") + form.Caption());
        if (!form.Visible() && active_ == &form) {
            ActivateForm(NextActive(&form));
        }
        break;
    case FormChange::BringToFront:
        log_.push_back("front " + form.Caption());
        ActivateForm(&form); // showing a window activates it, as on Windows
        break;
    case FormChange::Focus:
        log_.push_back("focus " + form.Caption());
        break;
    case FormChange::Caption:
    case FormChange::Size:
        break;
    }
}

void TestUi::ControlChanged(Control&, ControlChange) {}

void TestUi::ControlGone(Control&) {}

std::uint32_t TestUi::WindowHandle(Form& form) {
    auto [it, added] =
        handles_.try_emplace(&form, static_cast<std::uint32_t>(0x10000 + 4 * handles_.size()));
    return it->second;
}

void TestUi::BeginModal(Form& form) {
    activeAtModal_.push_back(active_);
    modal_.push_back(&form);
    modalShows_.push_back(form.Caption());
    log_.push_back("modal " + form.Caption());
}

void TestUi::EndModal(Form& form) {
    modal_.erase(std::remove(modal_.begin(), modal_.end(), &form), modal_.end());
    log_.push_back("endmodal " + form.Caption());
    // Before the dialog hides, the activation returns to the window it came from.
    if (!activeAtModal_.empty()) {
        Form* previous = activeAtModal_.back();
        activeAtModal_.pop_back();
        if (previous != nullptr && previous->Visible()) {
            ActivateForm(previous);
        }
    }
}

void TestUi::WaitAndDispatch() {
    if (!steps_.empty()) {
        auto step = std::move(steps_.front());
        steps_.pop_front();
        app_.RunEvent(step);
        return;
    }
    if (Form* form = ModalForm(); form != nullptr) {
        form->Close();
        return;
    }
    app_.RequestTerminate();
}

int TestUi::ShowMessageBox(std::string_view text, std::string_view caption, unsigned flags) {
    boxes_.push_back(Box{std::string(text), std::string(caption), flags});
    log_.push_back("box " + std::string(caption));
    if (!boxSteps_.empty()) {
        const std::function<void()> step = std::move(boxSteps_.front());
        boxSteps_.pop_front();
        step();
    }
    if (!answers_.empty()) {
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    switch (flags & 0xFu) {
    case 0: // MB_OK
        return kIdOk;
    case 4: // MB_YESNO
        return kIdNo;
    default:
        return 2; // IDCANCEL
    }
}

std::uint32_t TestUi::LoadIconByName(std::string_view name) {
    auto it = icons_.find(name);
    if (it == icons_.end()) {
        const auto handle = static_cast<std::uint32_t>(0x2000 + icons_.size());
        it = icons_.emplace(std::string(name), handle).first;
    }
    return it->second;
}

std::string TestUi::IconName(std::uint32_t handle) const {
    for (const auto& [name, h] : icons_) {
        if (h == handle) {
            return name;
        }
    }
    return {};
}

bool TestUi::NotifyIcon(unsigned operation, const TrayIconData& data, std::string_view tip) {
    if (whileTray_) {
        std::exchange(whileTray_, nullptr)();
    }
    trayCalls_.push_back(TrayCall{operation, data, std::string(tip)});
    return !trayFails_;
}

int TestUi::TrackPopup(Form& owner, const PopupMenu& menu, Point at) {
    ShownMenu shown;
    shown.owner = &owner;
    shown.at = at;
    for (const MenuItem* item : menu.Items()) {
        if (item->Default) {
            shown.defaultIndex = static_cast<int>(shown.captions.size());
        }
        shown.captions.push_back(item->Caption());
        if (item->Checked) {
            shown.checked.push_back(item->Caption());
        }
        if (item->RadioItem) {
            shown.radio.push_back(item->Caption());
        }
    }
    if (!choices_.empty()) {
        const auto it = std::find(shown.captions.begin(), shown.captions.end(), choices_.front());
        if (it != shown.captions.end()) {
            shown.chosen = static_cast<int>(it - shown.captions.begin());
        }
        choices_.pop_front();
    }
    menus_.push_back(shown);
    return shown.chosen;
}

void TestUi::SetForeground(Form& form) {
    foreground_.push_back(&form);
    log_.push_back("foreground " + form.Caption());
}

unsigned TestUi::RegisterMessageId(std::string_view name) {
    auto it = messageIds_.find(name);
    if (it == messageIds_.end()) {
        it = messageIds_.emplace(std::string(name), 0xC000u + messageIds_.size()).first;
    }
    return it->second;
}

} // namespace velt

namespace velt {

bool TestUi::NotifyBalloon(const TrayIconData& icon, std::string_view title,
                           std::string_view text) {
    balloons_.push_back(Balloon{icon.hWnd, icon.uID, std::string(title), std::string(text)});
    return !trayFails_;
}

void TestUi::StartTimer(Form& form, unsigned id, unsigned milliseconds) {
    timers_[{&form, id}] = milliseconds;
}

void TestUi::StopTimer(Form& form, unsigned id) {
    timers_.erase({&form, id});
}

bool TestUi::WatchSessionLock(Form& form) {
    if (created_.count(&form) == 0) {
        return false; // no window to send them to
    }
    if (refuseLockWatch_ > 0) {
        --refuseLockWatch_;
        return false;
    }
    lockWatched_.insert(&form);
    return true;
}

unsigned TestUi::TimerInterval(const Form& form, unsigned id) const {
    const auto it = timers_.find({&form, id});
    return it == timers_.end() ? 0 : it->second;
}

} // namespace velt
