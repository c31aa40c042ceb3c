// Which control of each form had the focus when the form last lost the activation, and the order
// in which the forms were last active: where the focus and the activation go back to.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

namespace velt {

class Form;

class Win32FocusHistory {
  public:
    // The form's window became active: the form is now the most recent, and the focus goes back
    // to the control it was on (or to the first one that can take it).
    void Activated(Form& form);
    // The focus is on this window of the form (the form lost the activation with it there, or
    // the model moved it there).
    void Remember(const Form& form, HWND focus) { lastFocus_[&form] = focus; }
    // The visible, enabled form most recently active other than one, or nullptr: where the
    // activation goes when the active form hides.
    Form* NextActive(const Form* except) const;
    // The form's window went.
    void Forget(const Form& form);

  private:
    std::map<const Form*, HWND> lastFocus_;
    std::vector<Form*> recent_; // forms in the order they were last active
};

} // namespace velt
