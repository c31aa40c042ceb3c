// Save-then-load of 10,000 and 100,000 profiles through the real store (Win32 files and registry)
// against a plain CopyFileA of the same bytes, measured side by side in one run; and the peak
// memory of a load relative to the file's size, each load in a fresh child process.
//
//   store_bench.exe [ROUNDS]          the whole benchmark (default 7 rounds)
//   store_bench.exe --load PATH       (child) loads PATH, prints peak memory figures
#include <windows.h>
#include <psapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "profiles/ProfileList.h"
#include "profiles/ProfileRecord.h"
#include "profiles/RegistIO.h"
#include "profiles/StoragePaths.h"
#include "win32/Win32Files.h"
#include "win32/Win32Registry.h"

namespace {

using namespace velt;

constexpr const char* kBenchKey = "Software\\VeltarionBench";

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void FillList(ProfileList& list, int count) {
    list.Clear();
    for (int i = 0; i < count; ++i) {
        TProfileObj p;
        p.ProfileName = "Profile number " + std::to_string(i);
        p.PathList = "c:\\data\\project" + std::to_string(i) + "\\*.*;d:\\archive\\mail" +
                     std::to_string(i % 97) + ".pst";
        p.CheckFlag = static_cast<std::uint8_t>(i % 2);
        p.CheckByte = static_cast<std::uint8_t>(i);
        list.AppendByName(std::move(p));
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Memory {
    double peakWorkingSet = 0;
    double peakPrivate = 0;
};

Memory MemoryNow() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return {static_cast<double>(counters.PeakWorkingSetSize),
            static_cast<double>(counters.PeakPagefileUsage)};
}

int LoadChild(const char* storagePath) {
    Win32Registry registry;
    Win32Files files;
    ProfileStore store(registry, files, storagePath, kBenchKey);
    const Memory before = MemoryNow();
    ProfileList list;
    std::int32_t index = 0;
    store.LoadProfiles(list, index);
    const Memory after = MemoryNow();
    std::printf("%zu %.0f %.0f\n", list.Count(), after.peakWorkingSet - before.peakWorkingSet,
                after.peakPrivate - before.peakPrivate);
    return 0;
}

std::string RunChild(const std::string& storagePath) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = "\"" + std::string(self) + "\" --load \"" + storagePath + "\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return "";
    }
    CloseHandle(writeEnd);
    std::string output;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        output.append(buffer, got);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(readEnd);
    return output;
}

struct Result {
    int count = 0;
    double fileBytes = 0;
    double saveLoad = 0;
    double save = 0;
    double load = 0;
    double copy = 0;
    double encode = 0; // records built in memory, no file
    double decode = 0; // list built from records in memory, no file
    double flush = 0;  // FlushFileBuffers of a freshly written file of the same size
    double peakWorkingSet = 0;
    double peakPrivate = 0;
};

Result Measure(const std::string& dir, int count, int rounds) {
    Win32Registry registry;
    Win32Files files;
    CreateDirectoryA((dir + "\\Profiles").c_str(), nullptr);
    ProfileStore store(registry, files, ProgramFolderProfilesPath(dir), kBenchKey);
    const std::string copyPath = dir + "\\Profiles\\copy.omx";
    store.EnsureSettingsKey();

    ProfileList list;
    FillList(list, count);
    ProfileList loaded;
    std::int32_t index = 0;
    store.LoadProfiles(loaded, index); // first start: makes the storage file
    store.SaveProfiles(list, 0);       // warm-up generation
    CopyFileA(store.StoragePath().c_str(), copyPath.c_str(), FALSE);

    std::vector<double> saveLoad, saves, loads, copies, encodes, decodes, flushes;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count) * kRecordSize);
    for (int round = 0; round < rounds; ++round) {
        double t0 = Now();
        if (!CopyFileA(store.StoragePath().c_str(), copyPath.c_str(), FALSE)) {
            std::fprintf(stderr, "CopyFileA failed: %lu\n", GetLastError());
        }
        copies.push_back(Now() - t0);

        t0 = Now();
        store.SaveProfiles(list, 0);
        const double t1 = Now();
        store.LoadProfiles(loaded, index);
        const double t2 = Now();
        saves.push_back(t1 - t0);
        loads.push_back(t2 - t1);
        saveLoad.push_back(t2 - t0);
        t0 = Now();
        for (std::size_t i = 0; i < list.Count(); ++i) {
            const ProfileRecord record = EncodeRecord(list.Profile(i));
            std::copy(record.begin(), record.end(),
                      bytes.begin() + static_cast<std::ptrdiff_t>(i * kRecordSize));
        }
        encodes.push_back(Now() - t0);
        t0 = Now();
        ProfileList decoded;
        for (std::size_t at = 0; at < bytes.size(); at += kRecordSize) {
            TProfileObj p =
                DecodeRecord(std::span<const std::uint8_t, kRecordSize>(&bytes[at], kRecordSize));
            decoded.AppendByName(std::move(p));
        }
        decodes.push_back(Now() - t0);
        {
            const auto file = files.Create(copyPath, FileShare::Read);
            file->Write(bytes.data(), bytes.size());
            t0 = Now();
            file->Flush();
            flushes.push_back(Now() - t0);
        }
        if (loaded.Count() != list.Count()) {
            std::fprintf(stderr, "loaded %zu of %d profiles\n", loaded.Count(), count);
        }
    }

    Result r;
    r.count = count;
    r.fileBytes = static_cast<double>(count) * 512.0;
    r.saveLoad = Median(saveLoad);
    r.save = Median(saves);
    r.load = Median(loads);
    r.copy = Median(copies);
    r.encode = Median(encodes);
    r.decode = Median(decodes);
    r.flush = Median(flushes);
    const std::string child = RunChild(store.StoragePath());
    std::size_t childCount = 0;
    if (std::sscanf(child.c_str(), "%zu %lf %lf", &childCount, &r.peakWorkingSet, &r.peakPrivate) !=
            3 ||
        childCount != static_cast<std::size_t>(count)) {
        std::fprintf(stderr, "load child failed: %s\n", child.c_str());
    }
    DeleteFileA(copyPath.c_str());
    DeleteFileA(store.StoragePath().c_str());
    DeleteFileA(store.BackupPath().c_str());
    RemoveDirectoryA((dir + "\\Profiles").c_str());
    return r;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--load") {
        return LoadChild(argv[2]);
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string dir = std::string(temp) + "velt-store-bench";
    CreateDirectoryA(dir.c_str(), nullptr);

    std::printf("store benchmark: save then load vs CopyFileA of the same bytes, %d rounds, "
                "medians\n",
                rounds);
    std::vector<Result> results;
    for (const int count : {10000, 100000}) {
        results.push_back(Measure(dir, count, rounds));
        const Result& r = results.back();
        std::printf("%7d profiles (%5.1f MB): save+load %8.2f ms (save %7.2f, load %7.2f), "
                    "copy %7.2f ms, ratio %.2fx (goal <= 2x)\n",
                    r.count, r.fileBytes / 1e6, r.saveLoad * 1e3, r.save * 1e3, r.load * 1e3,
                    r.copy * 1e3, r.saveLoad / r.copy);
        std::printf("        in memory: encode %.2f ms, decode into a list %.2f ms; flush of a "
                    "fresh file %.2f ms\n",
                    r.encode * 1e3, r.decode * 1e3, r.flush * 1e3);
        std::printf("        load peak: working set +%.1f MB (%.2fx the file), private bytes "
                    "+%.1f MB (%.2fx the file)\n",
                    r.peakWorkingSet / 1e6, r.peakWorkingSet / r.fileBytes, r.peakPrivate / 1e6,
                    r.peakPrivate / r.fileBytes);
    }
    std::printf("100k / 10k: save+load %.1fx, copy %.1fx (linear: about 10x)\n",
                results[1].saveLoad / results[0].saveLoad, results[1].copy / results[0].copy);
    SHDeleteKeyA(HKEY_CURRENT_USER, kBenchKey);
    RemoveDirectoryA(dir.c_str());
    return 0;
}
