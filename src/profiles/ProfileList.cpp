#include "profiles/ProfileList.h"
#include "platform/Error.h"

#include <utility>

namespace velt {

void ProfileList::Clear() {
    entries_.clear();
    itemIndex_ = -1;
    ++generation_;
}

void ProfileList::Append(std::string_view text, std::unique_ptr<TProfileObj> profile) {
    if (!profile) {
        profile = std::make_unique<TProfileObj>();
    }
    std::optional<std::string> own;
    if (text != profile->ProfileName.str()) {
        own.emplace(text);
    }
    entries_.push_back(Entry{std::move(own), std::move(profile)});
}

void ProfileList::Append(std::string_view text, TProfileObj profile) {
    Append(text, std::make_unique<TProfileObj>(std::move(profile)));
}

void ProfileList::AppendByName(std::unique_ptr<TProfileObj> profile) {
    if (!profile) {
        profile = std::make_unique<TProfileObj>();
    }
    entries_.push_back(Entry{std::nullopt, std::move(profile)});
}

void ProfileList::AppendByName(TProfileObj profile) {
    AppendByName(std::make_unique<TProfileObj>(std::move(profile)));
}

const ProfileList::Entry& ProfileList::At(std::size_t i) const {
    if (i >= entries_.size()) {
        throw IndexError("List index out of bounds (" + std::to_string(i) + ")");
    }
    return entries_[i];
}

void ProfileList::SetText(std::size_t i, std::string_view text) {
    At(i);
    entries_[i].text.emplace(text);
}

void ProfileList::Delete(std::size_t i) {
    At(i);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
    const auto deleted = static_cast<std::int32_t>(i);
    if (itemIndex_ == deleted) {
        itemIndex_ = -1;
    } else if (itemIndex_ > deleted) {
        --itemIndex_;
    }
}

const std::string& ProfileList::Text(std::size_t i) const {
    const Entry& entry = At(i);
    return entry.text ? *entry.text : entry.profile->ProfileName.str();
}

TProfileObj& ProfileList::Profile(std::size_t i) {
    At(i);
    return *entries_[i].profile;
}

const TProfileObj& ProfileList::Profile(std::size_t i) const {
    return *At(i).profile;
}

void ProfileList::SetItemIndex(std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) {
        itemIndex_ = -1;
    } else {
        itemIndex_ = index;
    }
}

} // namespace velt
