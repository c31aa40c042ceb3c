#include "profiles/PathList.h"

namespace velt {

std::vector<std::string> SplitPathList(std::string_view pathList) {
    std::vector<std::string> items;
    std::string item;
    for (const char c : pathList) {
        if (c == kPathListSeparator) {
            if (!item.empty()) {
                items.push_back(std::move(item));
                item.clear();
            }
        } else if (c != '"' && c != '\'') {
            item.push_back(c);
        }
    }
    if (!item.empty()) {
        items.push_back(std::move(item));
    }
    return items;
}

std::string JoinPathList(const std::vector<std::string>& items) {
    std::string pathList;
    for (const auto& item : items) {
        pathList += item;
        pathList += kPathListSeparator;
    }
    if (!pathList.empty()) {
        pathList.pop_back();
    }
    return pathList;
}

} // namespace velt
