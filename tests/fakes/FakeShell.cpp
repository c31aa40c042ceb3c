#include "fakes/FakeShell.h"

#include <algorithm>
#include <cctype>

namespace velt {

namespace {

std::string Folded(std::string_view path) {
    std::string out(path);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    while (out.size() > 3 && (out.back() == '\\' || out.back() == '/')) {
        out.pop_back();
    }
    return out;
}

std::string Parent(const std::string& path) {
    const auto cut = path.find_last_of("\\/");
    if (cut == std::string::npos) {
        return {};
    }
    // "C:\X" has the parent "C:\" (a drive root keeps its separator).
    return path.substr(0, cut == 2 ? 3 : cut);
}

} // namespace

void FakeShell::OpenDocument(std::string_view file) {
    openedDocuments.emplace_back(file);
}

bool FakeShell::DirectoryExists(std::string_view path) const {
    const std::string key = Folded(path);
    return std::any_of(directories.begin(), directories.end(),
                       [&](const std::string& d) { return Folded(d) == key; });
}

bool FakeShell::MakeDirectory(std::string_view path) {
    const std::string name = Folded(path);
    // Like CreateDirectoryA: fails when the directory exists or its parent does not.
    if (name.empty() || DirectoryExists(name) || !DirectoryExists(Parent(name))) {
        return false;
    }
    directories.insert(std::string(path));
    madeDirectories.emplace_back(path);
    return true;
}

} // namespace velt
