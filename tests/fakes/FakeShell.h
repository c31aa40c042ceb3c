// In-memory double of the shell's documents and folders: records what was opened and made, plays
// the directories that exist.
#pragma once

#include "platform/Shell.h"

#include <set>
#include <string>
#include <vector>

namespace velt {

class FakeShell final : public IShell {
  public:
    void OpenDocument(std::string_view file) override;
    bool MakeDirectory(std::string_view path) override;
    std::string ExecutableName() override { return exeName; }
    std::string LocalAppDataFolder() override { return localAppData; }

    // Played state.
    std::string exeName = "C:\\Program Files\\Veltarion\\Veltarion.exe";
    std::set<std::string> directories{"C:\\"}; // existing directories, compared ignoring case
    std::string localAppData = "C:\\Users\\me\\AppData\\Local";

    // Recorded calls.
    std::vector<std::string> openedDocuments;
    std::vector<std::string> madeDirectories; // successful creations only

    bool DirectoryExists(std::string_view path) const;
};

} // namespace velt
