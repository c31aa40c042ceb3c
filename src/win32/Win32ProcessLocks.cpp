#include "win32/Win32ProcessLocks.h"

#include "win32/NamedLock.h"

#include <string>

namespace velt {

LockState LockStateOf(int state) {
    switch (state) {
    case VELT_LOCK_FREE:
        return LockState::Free;
    case VELT_LOCK_HELD:
        return LockState::Held;
    default:
        return LockState::Untold;
    }
}

LockState Win32ProcessLocks::Take(std::string_view name, std::uint32_t timeoutMs) {
    // The names are the program's own, in ASCII.
    const std::wstring wide(name.begin(), name.end());
    return LockStateOf(VeltTakeNamedLock(wide.c_str(), timeoutMs, 1));
}

} // namespace velt
