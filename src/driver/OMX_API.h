// The driver link: loading and connecting the filter driver, and the requests sent to it.
//
// One module-level state holds the parameter block, the device handle, the executable's
// directory and the driver file path. Driver operations report success as a Boolean and never
// throw; the only messages they show are the connection's failure and drive-mask warnings.
#pragma once

#include "SharedNames.h"
#include "driver/DriverParamBlock.h"
#include "platform/DriverFiles.h"
#include "platform/DriverOs.h"
#include "platform/Messenger.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velt {

inline constexpr std::string_view kDriverServiceName = shared::kServiceName;
inline constexpr std::string_view kDriverFileName = shared::kDriverFile;
inline constexpr std::string_view kVxdDevicePath = "\\\\.\\OMXVXD.VXD";
inline constexpr std::string_view kDevicePrefix = "\\\\.\\";
// Longest driver file path handed to the service manager.
inline constexpr std::size_t kMaxDriverFilePath = 255;

// Module initialisation, once at program start (and by tests to start afresh): the parameter
// block becomes 580 zero bytes, no device is open, and ExeDir and DriverFilePath are computed
// from the executable's full file name. Every later operation goes through `os`, and the driver
// file is read through `files`; both must outlive their use.
void OmxModuleInit(IDriverOs& os, IDriverFiles& files, std::string_view exeFileName);

// The executable's directory, up to and including its last backslash.
const std::string& ExeDir();
// ExeDir followed by "OMXDRV.SYS"; empty when that would exceed 255 characters or ExeDir is not
// an absolute path, in which case no service is ever installed from it.
const std::string& DriverFilePath();
// The file of the kernel driver that runs: the image the connection started, or, for a driver it
// found running, the image its service records (as ServiceImageFile maps it, asked once). Empty
// when it cannot be told.
const std::string& LoadedDriverImage();
// Set by DriverConnect: platform NT with a major version of 4 or more.
bool IsNtFamily();
// The open device, or kInvalidHandle; never closed by the program.
OsHandle DriverHandle();
const DriverParamBlock& CurrentParamBlock();

// Reaches the driver (NT: device, else check the driver file, install and start the service,
// device again; 9x: the VXD), then on NT exchanges the drive mask, and on both sends the zero
// parameter block. When the driver cannot be reached it shows the failure message and asks the
// application to end. A refused driver file is also told to `refused` (the file, the reason).
using DriverFileRefused = std::function<void(std::string_view file, std::string_view reason)>;
bool DriverConnect(IMessenger& messenger, const DriverFileRefused& refused = {});
// Before installing or starting the service it examines the driver file (DriverFileRefusal): a
// refused one is neither installed nor started, and the reason goes to `refusal`.
bool ConnectNtDriver(std::string_view serviceName, std::string_view driverFilePath,
                     OsHandle& handle, std::string* refusal = nullptr);
bool OpenDriverDevice(std::string_view deviceName, OsHandle& handle);
bool InstallDriverService(OsHandle manager, std::string_view serviceName,
                          std::string_view driverFilePath);
// Starts the service only when the file its recorded image path names passes the driver-file
// checks; else the reason goes to `refusal` and nothing is started.
bool StartDriverService(OsHandle manager, std::string_view serviceName,
                        std::string* refusal = nullptr);

// Bit n set for each fixed or CD-ROM drive whose letter is the n-th of the alphabet.
std::uint32_t LocalDriveMask();

// Fills the block (strings cut at 255 characters and at an embedded zero, the password's digest,
// the mode), sends IOCTL_SET_PARAMS and, only if it was accepted, IOCTL_START.
bool DriverStart(std::string_view pathList, std::string_view auxString, std::string_view password,
                 std::uint32_t mode);
// Sends IOCTL_STOP whatever the driver's state.
bool DriverStop();

} // namespace velt
