// The shell's browse dialog (SHBrowseForFolderW) behind the file-browser seam. A picked item
// whose path the code page cannot hold is refused with a message box naming it.
#pragma once

#include "platform/FileBrowser.h"

#include <windows.h>

namespace velt {

// Flags of the browse dialog: file-system folders and files only, not below the domain.
inline constexpr unsigned kBrowseFlags = 0x400B;

class Win32FileBrowser final : public IFileBrowser {
  public:
    // owner: the window that owns the browse dialog; when null, the thread's active window at
    // the time of the call (the window the user picks from), so the dialog opens centred over
    // it rather than at the corner where the program's hidden application window sits.
    explicit Win32FileBrowser(HWND owner = nullptr) : owner_(owner) {}
    void SetOwner(HWND owner) { owner_ = owner; }

    bool BrowseForFileOrFolder(std::string_view title, std::string& path) override;
    bool IsDirectory(std::string_view path) override;

  private:
    HWND owner_;
};

} // namespace velt
