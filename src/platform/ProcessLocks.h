// The named locks a copy of the program holds for its life: one copy per log-on session, and one
// on the machine, since the filter driver is one for the whole machine.
#pragma once

#include <cstdint>
#include <string_view>

namespace velt {

// What a lock was found to be (the same three answers for every caller of the lock code).
enum class LockState {
    Free,  // no other process holds it: this one got it
    Held,  // another process holds it
    Untold // it cannot be told (no right to it, the name taken by another kind of object, a
           // failed wait); who must fail closed reads it as held
};

class IProcessLocks {
  public:
    virtual ~IProcessLocks() = default;
    // Takes the named lock, waiting for it up to timeoutMs; one this process got is held until
    // the process ends. A lock this process makes lets everyone wait for it and SYSTEM and
    // Administrators do anything with it.
    virtual LockState Take(std::string_view name, std::uint32_t timeoutMs) = 0;
};

} // namespace velt
