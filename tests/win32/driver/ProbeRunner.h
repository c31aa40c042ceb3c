// Runs driver_probe.exe (a one-process controller stand-in) and reads back its report.
#pragma once

#include <string>
#include <vector>

namespace velt::standin {

struct ProbeReport {
    bool ran = false; // the probe ran to its end and wrote its report
    int connect = -1;
    int nt = -1;
    int handle = -1;
    int terminate = -1;
    std::vector<int> starts;           // DriverStart results, in order
    std::vector<int> stops;            // DriverStop results, in order
    std::vector<std::string> calls;    // "Name:ok" / "Name:fail"
    std::vector<std::string> messages; // "flags|caption|text"
    std::string raw;

    bool Called(const std::string& prefix) const;
};

// Runs `probeExe` with the given actions ("start", PATHLIST, PASSWORD / "stop") and waits for it.
ProbeReport RunProbe(const std::string& probeExe, const std::vector<std::string>& actions = {});

// A new empty folder under the temporary folder, with its trailing backslash.
std::string MakeScratchDir(const std::string& stem);
// Deletes the files of a folder made by MakeScratchDir (it has no subfolders), then the folder.
void RemoveScratchDir(const std::string& dir);

// A scratch folder for one test, removed when it goes.
class ScratchDir {
  public:
    explicit ScratchDir(const std::string& stem) : path(MakeScratchDir(stem)) {}
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir() { RemoveScratchDir(path); }
    const std::string path;
};
// The probe built beside the running test executable.
std::string ProbeBesideExe();

} // namespace velt::standin
