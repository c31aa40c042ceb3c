// In-memory double of the shell and process services: records what was opened and made, plays
// the directories that exist and the answer of the single-instance mutex.
#pragma once

#include "platform/Shell.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace velt {

class FakeShell final : public IShell {
  public:
    void OpenDocument(std::string_view file) override;
    bool MakeDirectory(std::string_view path) override;
    MutexState AcquireNamedMutex(std::string_view name, std::uint32_t timeoutMs) override;
    std::string ExecutableName() override { return exeName; }
    std::string LocalAppDataFolder() override { return localAppData; }
    std::vector<std::string> InstalledProductFolders(std::string_view upgradeCode) override {
        return upgradeCode == productUpgradeCode ? productFolders : std::vector<std::string>{};
    }

    // Played state.
    std::string exeName = "C:\\Program Files\\Veltarion\\Veltarion.exe";
    MutexState mutexAnswer = MutexState::Owned;
    std::map<std::string, MutexState> mutexAnswers; // by name, before mutexAnswer
    std::set<std::string> directories{"C:\\"};      // existing directories, compared ignoring case
    std::string localAppData = "C:\\Users\\me\\AppData\\Local";
    std::string productUpgradeCode = "{F1C2EA4C-BA4F-455C-9E0C-5702DF99E871}";
    std::vector<std::string> productFolders; // what Windows Installer recorded for that code

    // Recorded calls.
    std::vector<std::string> openedDocuments;
    std::vector<std::string> madeDirectories; // successful creations only
    std::vector<std::string> mutexNames;
    std::vector<std::uint32_t> mutexTimeouts;

    bool DirectoryExists(std::string_view path) const;
};

} // namespace velt
