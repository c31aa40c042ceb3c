// The ordered profile list: entries of a display text and an owned profile, plus the current
// index (-1 for none). This is what the main window's profile combo box shows.
//
// An entry's text is its profile's name unless it was given another one (Append with a different
// text, SetText): a list of many loaded profiles then holds each name once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/profiles.h"

namespace velt {

class ProfileList {
  public:
    // Removes every entry (and its profile); no entry stays current. Starts a new generation.
    void Clear();
    // Advanced by every Clear: an index taken in one generation may name another entry, or
    // none, in the next.
    std::uint64_t Generation() const { return generation_; }
    // Adds an entry at the end; the list owns the profile from now on.
    void Append(std::string_view text, std::unique_ptr<TProfileObj> profile);
    void Append(std::string_view text, TProfileObj profile);
    // Adds an entry whose text is the profile's name, as a load does.
    void AppendByName(std::unique_ptr<TProfileObj> profile);
    void AppendByName(TProfileObj profile);
    // Makes room for `count` entries in all (a load knows how many it will append).
    void Reserve(std::size_t count) { entries_.reserve(count); }
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
        // The display text when it differs from the profile's name (after an edit with a name
        // longer than a profile holds); otherwise the name itself is shown, and not copied.
        std::optional<std::string> text;
        std::unique_ptr<TProfileObj> profile;
    };
    const Entry& At(std::size_t i) const;

    std::vector<Entry> entries_;
    std::int32_t itemIndex_ = -1;
    std::uint64_t generation_ = 0;
};

} // namespace velt
