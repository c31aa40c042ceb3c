// Picking a file or folder: the shell's browse dialog and the directory test that follows it.
#pragma once

#include <string>
#include <string_view>

namespace velt {

class IFileBrowser {
  public:
    virtual ~IFileBrowser() = default;
    // Runs the shell's browse dialog for file-system files and folders under the given title.
    // The program's other enabled top-level windows are disabled while it runs and enabled
    // again afterwards, whatever happens. True with the picked path, false (path empty) when
    // the user cancelled or the shell could not run the dialog.
    virtual bool BrowseForFileOrFolder(std::string_view title, std::string& path) = 0;
    // True when the path names an existing directory.
    virtual bool IsDirectory(std::string_view path) = 0;
};

} // namespace velt
