// A one-line edit: text, length limit for typing, password display, cue, change event.
#pragma once

#include "forms/Control.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace velt {

class Edit final : public Control {
  public:
    Edit(Form& form, int id, Bounds bounds);
    Edit(Control& parent, int id, Bounds bounds);
    ~Edit() override;

    const std::string& Text() const { return text_; }
    // From code. Setting the text the edit already holds is no change and fires nothing.
    void SetText(std::string_view text);
    // From the user: the whole new text of the edit. Refused (false) when the edit cannot be
    // reached or the text is longer than MaxLength. representable = false: the user's text holds
    // characters the system's code page cannot store, and text is what the conversion made of it
    // (default characters in their place); the windows treat such an edit as invalid input.
    bool UserEdit(std::string_view text, bool representable = true);
    // The user's text holds characters the code page cannot store (until the next text).
    bool Unrepresentable() const { return unrepresentable_; }
    // Selects the whole text, so that what the user types next replaces it (until the text
    // changes).
    void SelectAll();
    bool AllSelected() const { return allSelected_; }

    // The most characters a user may type; 0 = no limit. Text set by code is not cut.
    std::size_t MaxLength() const { return maxLength_; }
    void SetMaxLength(std::size_t length);
    // Shows every character as '*'. The text of such an edit is wiped when replaced.
    bool Password() const { return password_; }
    void SetPassword(bool password);
    // The grey text the empty edit shows, saying what it takes (drawn by the newer common
    // controls; elsewhere it shows nothing).
    const std::string& Cue() const { return cue_; }
    void SetCue(std::string cue);
    // What the edit tells the user when typing or pasting went past MaxLength and the surplus
    // was cut; empty for an edit without a limit.
    std::string LimitText() const;

    bool TakesFocus() const override { return true; }

    std::function<void()> OnChange;

    // What the edit tells the user about such a text.
    static constexpr const char* kUnrepresentableTitle = "Characters not supported";
    static constexpr const char* kUnrepresentableText =
        "The text contains characters this computer's language setting cannot store.";
    static constexpr const char* kLimitTitle = "Too many characters";

  private:
    void Replace(std::string_view text);

    std::string text_;
    std::size_t maxLength_ = 0;
    std::string cue_;
    bool password_ = false;
    bool unrepresentable_ = false;
    bool allSelected_ = false;
};

} // namespace velt
