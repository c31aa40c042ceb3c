#include "forms/Form.h"
#include "platform/Error.h"

#include "forms/Application.h"
#include "forms/Button.h"
#include "forms/Control.h"
#include "forms/UiBackend.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace velt {

Form::Form(Application& app, std::string caption, int clientWidth, int clientHeight)
    : app_(app), caption_(std::move(caption)), width_(clientWidth), height_(clientHeight) {
    app_.AddForm(*this);
}

Form::~Form() {
    if (created_) {
        Backend().DestroyFormWindow(*this);
    }
    for (Form* form : app_.Forms()) {
        if (form->ownerForm_ == this) {
            form->ownerForm_ = nullptr;
        }
    }
    app_.RemoveForm(*this);
}

IUiBackend& Form::Backend() const {
    return app_.Backend();
}

void Form::SetCaption(std::string caption) {
    if (caption_ != caption) {
        caption_ = std::move(caption);
        if (created_) {
            Backend().FormChanged(*this, FormChange::Caption);
        }
    }
}

void Form::SetClientSize(int width, int height) {
    width_ = width;
    height_ = height;
    if (created_) {
        Backend().FormChanged(*this, FormChange::Size);
    }
}

void Form::Create() {
    if (created_) {
        return;
    }
    Backend().CreateFormWindow(*this);
    created_ = true;
    if (OnCreate) {
        OnCreate();
    }
}

void Form::Destroy() {
    if (!created_) {
        return;
    }
    if (OnDestroy) {
        OnDestroy();
    }
    Backend().DestroyFormWindow(*this);
    created_ = false;
    visible_ = false;
    active_ = false;
}

void Form::Show() {
    Create();
    if (!visible_) {
        visible_ = true;
        Backend().FormChanged(*this, FormChange::Visible);
        // Each showing starts at the top of the tab order, never on a control an earlier use
        // left focused; OnShow may choose another.
        for (Control* control : TabOrder()) {
            if (control->Usable()) {
                FocusControl(*control);
                break;
            }
        }
        Form* const front = app_.LastFront();
        if (OnShow) {
            OnShow();
        }
        // A window that OnShow brought to the front (the welcome dialog over the main window)
        // keeps the front and the activation. Raising this one over it would leave the other to
        // win them back when it is deactivated, a round trip through the message queue that
        // any other window taking the activation meanwhile can cut short.
        if (Form* shown = app_.LastFront();
            shown != nullptr && shown != front && shown != this && shown->Visible()) {
            return;
        }
    }
    BringToFront();
}

void Form::Hide() {
    if (modal_ && modalResult_ == kMrNone) {
        // A modal show of a hidden window could never be ended by the user while every other
        // window of the program is disabled: hiding it cancels the show.
        modalResult_ = kMrCancel;
    }
    if (visible_) {
        visible_ = false;
        if (created_) {
            Backend().FormChanged(*this, FormChange::Visible);
        }
    }
}

void Form::BringToFront() {
    if (created_ && visible_) {
        app_.NoteFront(*this);
        Backend().FormChanged(*this, FormChange::BringToFront);
    }
}

void Form::Close() {
    if (modal_) {
        // The modal loop runs the close handler when it sees the result.
        modalResult_ = kMrCancel;
        return;
    }
    CloseAction action = CloseAction::Hide;
    if (OnClose) {
        OnClose(action);
    }
    switch (action) {
    case CloseAction::None:
        break;
    case CloseAction::Hide:
        Hide();
        break;
    case CloseAction::Free:
        if (app_.MainForm() == this) {
            app_.RequestTerminate();
        } else {
            Release();
        }
        break;
    }
}

void Form::Release() {
    Hide();
    app_.ScheduleRelease(*this);
}

bool Form::CloseModal() {
    CloseAction action = CloseAction::Hide;
    if (OnClose) {
        OnClose(action);
    }
    if (action == CloseAction::None) {
        modalResult_ = kMrNone;
        return false;
    }
    if (action == CloseAction::Free) {
        app_.ScheduleRelease(*this);
    }
    return true;
}

int Form::ShowModal() {
    if (modal_ || visible_) {
        throw UsageError("Cannot make a visible window modal");
    }
    Create();
    modalResult_ = kMrNone;
    modal_ = true;
    Backend().BeginModal(*this);
    struct EndModal {
        Form& form;
        ~EndModal() {
            form.modal_ = false;
            form.Backend().EndModal(form);
            form.Hide();
        }
    } end{*this};
    Show();
    for (;;) {
        if (app_.Terminated()) {
            modalResult_ = kMrCancel;
            break;
        }
        if (modalResult_ != kMrNone && CloseModal()) {
            break;
        }
        Backend().WaitAndDispatch();
        app_.DestroyReleased();
    }
    return modalResult_;
}

void Form::SetModalResult(int result) {
    modalResult_ = result;
}

void Form::FocusControl(Control& control) {
    if (&control.Owner() != this) {
        throw UsageError("a form can only focus its own controls");
    }
    focused_ = &control;
    if (created_) {
        Backend().FormChanged(*this, FormChange::Focus);
    }
}

void Form::PressEnter() {
    if (focused_ != nullptr && focused_->Kind() == ControlKind::Button && focused_->Usable()) {
        static_cast<Button*>(focused_)->Click();
        return;
    }
    if (Button* button = DefaultButton(); button != nullptr) {
        button->Click();
    }
}

void Form::PressEscape() {
    if (Button* button = CancelButton(); button != nullptr) {
        button->Click();
    }
}

void Form::PressHelp() {
    if (helpContext_ != 0) {
        app_.Help(helpContext_);
    }
}

void Form::Activated(bool active) {
    if (active_ == active) {
        return;
    }
    active_ = active;
    const auto& handler = active ? OnActivate : OnDeactivate;
    if (handler) {
        handler();
    }
}

Control* Form::FindControl(int id) const {
    const auto it = std::find_if(controls_.begin(), controls_.end(),
                                 [id](const Control* c) { return c->Id() == id; });
    return it == controls_.end() ? nullptr : *it;
}

std::vector<Control*> Form::TabOrder() const {
    std::vector<Control*> order;
    std::copy_if(controls_.begin(), controls_.end(), std::back_inserter(order),
                 [](const Control* c) { return c->TakesFocus(); });
    return order;
}

namespace {
template <class Pred> Button* FindButton(const std::vector<Control*>& controls, Pred pred) {
    for (Control* c : controls) {
        if (c->Kind() == ControlKind::Button || c->Kind() == ControlKind::ToolButton) {
            auto* button = static_cast<Button*>(c);
            if (pred(*button) && button->Usable()) {
                return button;
            }
        }
    }
    return nullptr;
}
} // namespace

Button* Form::DefaultButton() const {
    return FindButton(controls_, [](const Button& b) { return b.Default(); });
}

Button* Form::CancelButton() const {
    return FindButton(controls_, [](const Button& b) { return b.Cancel(); });
}

void Form::AddControl(Control& control) {
    controls_.push_back(&control);
}

void Form::RemoveControl(Control& control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), &control), controls_.end());
    if (focused_ == &control) {
        focused_ = nullptr;
    }
    if (created_) {
        Backend().ControlGone(control);
    }
}

} // namespace velt
