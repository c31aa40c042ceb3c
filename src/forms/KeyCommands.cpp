#include "forms/KeyCommands.h"

#include "forms/Button.h"

namespace velt {

void KeyCommands::Add(KeyPress key, const Control* focus, Button& button) {
    entries_.push_back({key, focus, &button});
}

bool KeyCommands::Press(KeyPress key, const Control* focused) const {
    for (const Entry& entry : entries_) {
        if (entry.key.code == key.code && entry.key.modifiers == key.modifiers &&
            (entry.focus == nullptr || entry.focus == focused)) {
            entry.button->Click(); // refused while the button is disabled or hidden
            return true;
        }
    }
    return false;
}

} // namespace velt
