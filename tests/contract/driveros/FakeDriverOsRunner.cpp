// The driver-OS contract against the in-memory double.
#include "DriverOsContract.h"

#include "fakes/FakeDriverFiles.h"
#include "fakes/FakeDriverOs.h"

namespace velt::contract {

std::unique_ptr<IDriverOs> MakeDriverOs() {
    auto os = std::make_unique<fakes::FakeDriverOs>();
    os->drives = {{'C', kDriveFixed}, {'D', kDriveCdrom}};
    return os;
}

std::unique_ptr<IDriverFiles> MakeDriverFiles(const std::vector<std::uint8_t>& bytes,
                                              std::string& path) {
    auto files = std::make_unique<fakes::FakeDriverFiles>();
    path = "C:\\Program Files\\Veltarion\\OMXDRV.SYS";
    files->contents[path] = bytes;
    return files;
}

} // namespace velt::contract
