#include "win32/driver/ProbeRunner.h"

#include "win32/driver/StandinKit.h"

#include <windows.h>

#include <fstream>
#include <sstream>

namespace velt::standin {
namespace {

std::string Quote(const std::string& arg) {
    return "\"" + arg + "\"";
}

void Parse(ProbeReport& report) {
    std::istringstream lines(report.raw);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "connect") {
            report.connect = std::stoi(value);
        } else if (key == "nt") {
            report.nt = std::stoi(value);
        } else if (key == "handle") {
            report.handle = std::stoi(value);
        } else if (key == "terminate") {
            report.terminate = std::stoi(value);
            report.ran = true;
        } else if (key == "start") {
            report.starts.push_back(std::stoi(value));
        } else if (key == "stop") {
            report.stops.push_back(std::stoi(value));
        } else if (key == "call") {
            report.calls.push_back(value);
        } else if (key == "message") {
            report.messages.push_back(value);
        }
    }
}

} // namespace

bool ProbeReport::Called(const std::string& prefix) const {
    for (const std::string& call : calls) {
        if (call.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

ProbeReport RunProbe(const std::string& probeExe, const std::vector<std::string>& actions) {
    ProbeReport report;
    const ScratchDir scratch("report");
    const std::string reportFile = scratch.path + "report.txt";
    std::string command = Quote(probeExe) + " " + Quote(reportFile);
    for (const std::string& action : actions) {
        command += " " + Quote(action);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(probeExe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return report;
    }
    const DWORD waited = WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (waited != WAIT_OBJECT_0 || exitCode != 0) {
        return report;
    }
    std::ifstream in(reportFile, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    report.raw = text.str();
    Parse(report);
    return report;
}

std::string MakeScratchDir(const std::string& stem) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    for (unsigned n = GetTickCount() % 100000;; ++n) {
        std::string dir = std::string(temp) + "velt_" + stem + "_" +
                          std::to_string(GetCurrentProcessId()) + "_" + std::to_string(n);
        if (CreateDirectoryA(dir.c_str(), nullptr)) {
            return dir + "\\";
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return {};
        }
    }
}

void RemoveScratchDir(const std::string& dir) {
    if (dir.empty()) {
        return;
    }
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                DeleteFileA((dir + found.cFileName).c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(dir.c_str());
}

std::string ProbeBesideExe() {
    return ExeDir() + "driver_probe.exe";
}

} // namespace velt::standin
