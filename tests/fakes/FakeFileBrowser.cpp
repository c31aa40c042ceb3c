#include "fakes/FakeFileBrowser.h"

#include <stdexcept>

namespace velt {

bool FakeFileBrowser::BrowseForFileOrFolder(std::string_view title, std::string& path) {
    path.clear();
    titles_.emplace_back(title);
    if (answers_.empty())
        throw std::logic_error("FakeFileBrowser: browse dialog shown without a scripted answer");
    std::optional<std::string> answer = std::move(answers_.front());
    answers_.pop_front();
    if (!answer)
        return false;
    path = *answer;
    return true;
}

bool FakeFileBrowser::IsDirectory(std::string_view path) {
    // Windows treats a trailing backslash on a directory name as the directory itself.
    if (directories_.contains(path))
        return true;
    if (!path.empty() && path.back() == '\\')
        return directories_.contains(path.substr(0, path.size() - 1));
    return directories_.contains(std::string(path) + "\\");
}

} // namespace velt
