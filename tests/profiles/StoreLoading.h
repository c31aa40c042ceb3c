// A store whose load went through, for the store tests over the doubles and over Windows alike.
#pragma once

#include <cstdint>

#include "profiles/ProfileList.h"
#include "profiles/RegistIO.h"

namespace velt {

// `store` after its settings key exists and it has loaded into `list` (a first start's load when
// there is no storage file).
inline ProfileStore LoadedInto(ProfileStore store, ProfileList& list) {
    store.EnsureSettingsKey();
    std::int32_t index = 0;
    store.LoadProfiles(list, index);
    return store;
}

} // namespace velt
