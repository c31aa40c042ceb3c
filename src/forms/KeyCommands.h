// Keys that press a form's buttons: a key pressed while a given control has the focus (or
// wherever the focus is) does exactly what a click on the button does, and nothing while the
// button cannot be clicked. Key codes are the virtual-key numbers of the keyboard.
#pragma once

#include <vector>

namespace velt {

class Button;
class Control;

inline constexpr unsigned kKeyUp = 0x26;
inline constexpr unsigned kKeyDown = 0x28;
inline constexpr unsigned kKeyInsert = 0x2D;
inline constexpr unsigned kKeyDelete = 0x2E;
inline constexpr unsigned kKeyF2 = 0x71;
inline constexpr unsigned kKeyF4 = 0x73;
// A letter key: its capital ('O').
constexpr unsigned KeyOf(char letter) {
    return static_cast<unsigned char>(letter);
}

// The keys held with it.
enum KeyModifier : unsigned { kNoModifier = 0, kShift = 1, kCtrl = 2, kAlt = 4 };

struct KeyPress {
    unsigned code = 0;
    unsigned modifiers = kNoModifier;
};

class KeyCommands {
  public:
    // focus: the control the key is for, or nullptr for the whole form.
    void Add(KeyPress key, const Control* focus, Button& button);
    // A key pressed with the focus on focused (nullptr: none): true when it is one of these keys,
    // whose button was then clicked if it could be.
    bool Press(KeyPress key, const Control* focused) const;

  private:
    struct Entry {
        KeyPress key;
        const Control* focus;
        Button* button;
    };
    std::vector<Entry> entries_;
};

} // namespace velt
