// The application object: title, message loop, terminate request, message boxes, the help
// handler and the top-level error handler.
#pragma once

#include "platform/Messenger.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace velt {

class Form;
class IUiBackend;

// The help command a help request carries with a form's help context (HELP_CONTEXT).
inline constexpr unsigned kHelpContext = 1;

class Application final : public IMessenger {
  public:
    explicit Application(IUiBackend& backend);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application() override;

    IUiBackend& Backend() const { return backend_; }

    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }

    int ShowMessage(std::string_view text, std::string_view caption, unsigned flags) override;
    void RequestTerminate() override;
    bool Terminated() const { return terminated_; }

    // The help handler: receives the help command and its data (the help context).
    std::function<void(unsigned command, long data)> OnHelp;
    void Help(int context);

    // The top-level error handler: the error's text (with a full stop added when it lacks one)
    // in a message box with the error icon and the title as caption.
    void HandleException(const std::exception& error);
    // Runs one event the way the message loop does: an error ends the event, not the program.
    void RunEvent(const std::function<void()>& event);

    // Handles whatever is pending, then destroys released forms.
    void ProcessMessages();
    // Shows the main form and dispatches messages until the terminate request, then destroys
    // the forms it owns, last created first.
    void Run();

    // Creates a form owned by the application and creates its window; the first such form is
    // the main form.
    template <class T, class... Args> T& CreateForm(Args&&... args) {
        auto form = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T& ref = *form;
        Adopt(std::move(form));
        ref.Create();
        return ref;
    }
    Form* MainForm() const { return mainForm_; }
    Form* ActiveForm() const;
    const std::vector<Form*>& Forms() const { return forms_; }
    // The form last brought to the front (null once it is gone).
    Form* LastFront() const { return lastFront_; }
    void NoteFront(Form& form) { lastFront_ = &form; }

    // Bookkeeping of the forms.
    void AddForm(Form& form);
    void RemoveForm(Form& form);
    void ScheduleRelease(Form& form);
    void DestroyReleased();

  private:
    void Adopt(std::unique_ptr<Form> form);

    IUiBackend& backend_;
    std::string title_;
    bool terminated_ = false;
    Form* mainForm_ = nullptr;
    Form* lastFront_ = nullptr;
    std::vector<Form*> forms_;
    std::vector<std::unique_ptr<Form>> owned_;
    std::vector<Form*> released_;
};

} // namespace velt
