// A controller stand-in for one process: connects to the driver with the real driver link and
// Win32 calls, optionally starts and stops, and writes what happened to a report file.
//
//   driver_probe.exe REPORT [start PATHLIST PASSWORD | stop]...
//
// Report lines: connect=0|1, nt=0|1, handle=0|1 (a device is open), call=<driver-OS call and
// outcome> in order, message=<flags>|<caption>|<text>, terminate=<requests>, start=0|1, stop=0|1.
#include "driver/OMX_API.h"
#include "fakes/RecordingMessenger.h"
#include "win32/ExecutableName.h"
#include "win32/Win32DriverFiles.h"
#include "win32/Win32DriverOs.h"
#include "win32/driver/LoggingDriverOs.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: driver_probe REPORT [start PATHLIST PASSWORD | stop]...\n");
        return 2;
    }
    velt::Win32DriverOs real;
    velt::standin::LoggingDriverOs os(real);
    velt::Win32DriverFiles files;
    velt::fakes::RecordingMessenger messenger;
    velt::OmxModuleInit(os, files, velt::ExecutableFileName());
    const bool connected = velt::DriverConnect(messenger);

    std::string report;
    report += "connect=" + std::to_string(connected) + "\n";
    report += "nt=" + std::to_string(velt::IsNtFamily()) + "\n";
    report += "handle=" + std::to_string(velt::DriverHandle() != velt::kInvalidHandle) + "\n";
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "start") == 0 && i + 2 < argc) {
            const bool started = velt::DriverStart(argv[i + 1], "*", argv[i + 2], 2);
            report += "start=" + std::to_string(started) + "\n";
            i += 2;
        } else if (std::strcmp(argv[i], "stop") == 0) {
            report += "stop=" + std::to_string(velt::DriverStop()) + "\n";
        } else {
            std::fprintf(stderr, "unknown action %s\n", argv[i]);
            return 2;
        }
    }
    for (const std::string& call : os.calls) {
        report += "call=" + call + "\n";
    }
    for (const auto& shown : messenger.shown) {
        report += "message=" + std::to_string(shown.flags) + "|" + shown.caption + "|" +
                  shown.text + "\n";
    }
    report += "terminate=" + std::to_string(messenger.terminateRequests) + "\n";

    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) {
        return 3;
    }
    const bool written = std::fwrite(report.data(), 1, report.size(), file) == report.size();
    return (std::fclose(file) == 0 && written) ? 0 : 3;
}
