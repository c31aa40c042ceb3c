// The shell's documents and folders on Windows.
#pragma once

#include "platform/Shell.h"

namespace velt {

class Win32Shell final : public IShell {
  public:
    void OpenDocument(std::string_view file) override;
    bool MakeDirectory(std::string_view path) override;
    std::string ExecutableName() override;
    std::string LocalAppDataFolder() override;
};

} // namespace velt
