#include "win32/Win32FocusHistory.h"

#include "forms/Form.h"
#include "win32/Win32Ui.h"

#include <algorithm>

namespace velt {

void Win32FocusHistory::Activated(Form& form) {
    recent_.erase(std::remove(recent_.begin(), recent_.end(), &form), recent_.end());
    recent_.push_back(&form);
    HWND window = Win32Ui::WindowOf(form);
    HWND target = nullptr;
    if (const auto it = lastFocus_.find(&form); it != lastFocus_.end()) {
        target = it->second;
    }
    if (target == nullptr || !IsChild(window, target) || !IsWindowVisible(target) ||
        !IsWindowEnabled(target)) {
        target = GetNextDlgTabItem(window, nullptr, FALSE);
    }
    if (target != nullptr) {
        SetFocus(target);
    }
}

Form* Win32FocusHistory::NextActive(const Form* except) const {
    for (auto it = recent_.rbegin(); it != recent_.rend(); ++it) {
        if (*it != except && (*it)->Visible() && IsWindowEnabled(Win32Ui::WindowOf(**it))) {
            return *it;
        }
    }
    return nullptr;
}

void Win32FocusHistory::Forget(const Form& form) {
    recent_.erase(std::remove(recent_.begin(), recent_.end(), &form), recent_.end());
    lastFocus_.erase(&form);
}

} // namespace velt
