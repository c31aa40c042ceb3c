// The program's named locks on Windows, taken by the lock code the command caller and the setup
// DLL share (NamedLock.h).
#pragma once

#include "platform/ProcessLocks.h"

namespace velt {

class Win32ProcessLocks final : public IProcessLocks {
  public:
    LockState Take(std::string_view name, std::uint32_t timeoutMs) override;
};

// The answer of the shared lock code in the program's terms.
LockState LockStateOf(int state);

} // namespace velt
