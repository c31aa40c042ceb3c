// The driver-OS contract against the in-memory double.
#include "DriverOsContract.h"

#include "fakes/FakeDriverOs.h"

namespace velt::contract {

std::unique_ptr<IDriverOs> MakeDriverOs() {
    auto os = std::make_unique<fakes::FakeDriverOs>();
    os->drives = {{'C', kDriveFixed}, {'D', kDriveCdrom}};
    return os;
}

} // namespace velt::contract
