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
    std::uint32_t AcquireNamedMutex(std::string_view name, std::uint32_t timeoutMs) override;
    std::string ExecutableName() override { return exeName; }

    // Played state.
    std::string exeName = "C:\\Program Files\\Veltarion\\Veltarion.exe";
    std::uint32_t mutexAnswer = kWaitObject0;
    std::map<std::string, std::uint32_t> mutexAnswers; // by name, before mutexAnswer
    std::set<std::string> directories{"C:\\"}; // existing directories, compared ignoring case

    // Recorded calls.
    std::vector<std::string> openedDocuments;
    std::vector<std::string> madeDirectories; // successful creations only
    std::vector<std::string> mutexNames;
    std::vector<std::uint32_t> mutexTimeouts;

    bool DirectoryExists(std::string_view path) const;
};

} // namespace velt
