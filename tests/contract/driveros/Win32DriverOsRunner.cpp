// The driver-OS contract against the real Win32 calls (run under Wine).
#include "DriverOsContract.h"

#include "win32/Win32DriverOs.h"

namespace velt::contract {

std::unique_ptr<IDriverOs> MakeDriverOs() {
    return std::make_unique<Win32DriverOs>();
}

} // namespace velt::contract
