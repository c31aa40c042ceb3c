// The ordered profile list: entries of a display text and an owned profile, plus the current
// index (-1 for none). This is what the main window's profile combo box shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/profiles.h"

namespace velt {

class ProfileList {
  public:
    // Removes every entry (and its profile); no entry stays current.
    void Clear();
    // Adds an entry at the end; the list owns the profile from now on.
    void Append(std::string_view text, std::unique_ptr<TProfileObj> profile);
    void Append(std::string_view text, TProfileObj profile);
    // Replaces the display text of entry i; its profile stays.
    void SetText(std::size_t i, std::string_view text);
    // Removes entry i and its profile; later entries move up by one. The current entry stays
    // current (at its new position); deleting the current entry leaves none current.
    void Delete(std::size_t i);

    std::size_t Count() const { return entries_.size(); }
    const std::string& Text(std::size_t i) const;
    TProfileObj& Profile(std::size_t i);
    const TProfileObj& Profile(std::size_t i) const;

    std::int32_t ItemIndex() const { return itemIndex_; }
    // An index that names no entry (negative, or not below the count) selects nothing.
    void SetItemIndex(std::int32_t index);

  private:
    struct Entry {
        std::string text;
        std::unique_ptr<TProfileObj> profile;
    };
    const Entry& At(std::size_t i) const;

    std::vector<Entry> entries_;
    std::int32_t itemIndex_ = -1;
};

} // namespace velt
