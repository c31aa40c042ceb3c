// In-memory double of the file-browser seam: scripted answers of the browse dialog and a set of
// directories that exist.
#pragma once

#include "platform/FileBrowser.h"

#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velt {

class FakeFileBrowser final : public IFileBrowser {
  public:
    // The next browse dialog returns this path (as the shell gives it).
    void PickNext(std::string path) { answers_.emplace_back(std::move(path)); }
    // The next browse dialog is cancelled.
    void CancelNext() { answers_.emplace_back(std::nullopt); }
    void AddDirectory(std::string path) { directories_.insert(std::move(path)); }

    // Titles of every browse dialog shown, in order.
    const std::vector<std::string>& Titles() const { return titles_; }

    bool BrowseForFileOrFolder(std::string_view title, std::string& path) override;
    bool IsDirectory(std::string_view path) override;

  private:
    std::deque<std::optional<std::string>> answers_;
    std::set<std::string, std::less<>> directories_;
    std::vector<std::string> titles_;
};

} // namespace velt
