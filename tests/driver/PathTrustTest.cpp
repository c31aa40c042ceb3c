#include "driver/PathTrust.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr uint32_t kAddSubfolder = 0x4;     // FILE_ADD_SUBDIRECTORY
constexpr uint32_t kAddFile = 0x2;          // FILE_ADD_FILE
constexpr uint32_t kDeleteChild = 0x40;     // FILE_DELETE_CHILD
constexpr uint32_t kModify = 0x1301BF;      // what Windows calls Modify, DELETE included
constexpr uint32_t kReadExecute = 0x1200A9; // read and run
constexpr uint32_t kGenericWrite = 0x40000000;
constexpr uint32_t kGenericAll = 0x10000000;

VeltPathPart Ours(uint32_t untrusted = 0) {
    return VeltPathPart{0, 1, untrusted};
}

struct Case {
    const char* name;
    std::vector<VeltPathPart> parts; // C:\, C:\Tools, C:\Tools\Veltarion
    VeltPathVerdict verdict;
    size_t part;
};

TEST(PathTrust, JudgesEveryPartFromTheRootDown) {
    const std::vector<Case> cases = {
        {"program files",
         {Ours(kAddSubfolder | kReadExecute), Ours(kReadExecute), Ours()},
         VELT_PATH_TRUSTED,
         0},
        {"users may add to the root and to the folder",
         {Ours(kAddSubfolder | kAddFile), Ours(kGenericWrite), Ours(kAddFile)},
         VELT_PATH_TRUSTED,
         0},
        {"deleting children of the folder itself",
         {Ours(), Ours(), Ours(kDeleteChild)},
         VELT_PATH_TRUSTED,
         0},
        {"an ancestor a user may modify", {Ours(), Ours(kModify), Ours()}, VELT_PATH_MAY_DELETE, 1},
        {"a root that lets users delete its folders",
         {Ours(kDeleteChild), Ours(), Ours()},
         VELT_PATH_MAY_DELETE_CHILD,
         0},
        {"a parent that lets users delete the folder",
         {Ours(), Ours(kDeleteChild), Ours()},
         VELT_PATH_MAY_DELETE_CHILD,
         1},
        {"rights a user may change",
         {Ours(), Ours(), Ours(0x40000)},
         VELT_PATH_MAY_CHANGE_RIGHTS,
         2},
        {"ownership a user may take",
         {Ours(), Ours(0x80000), Ours()},
         VELT_PATH_MAY_TAKE_OWNERSHIP,
         1},
        {"no access list on an ancestor",
         {Ours(), Ours(kGenericAll), Ours()},
         VELT_PATH_MAY_DELETE,
         1},
        {"a user owns an ancestor",
         {Ours(), VeltPathPart{0, 0, 0}, Ours()},
         VELT_PATH_UNTRUSTED_OWNER,
         1},
        {"a junction in the path",
         {Ours(), VeltPathPart{1, 1, 0}, Ours()},
         VELT_PATH_REPARSE_POINT,
         1},
        {"the first fault from the root is named",
         {Ours(), Ours(kModify), VeltPathPart{1, 0, 0}},
         VELT_PATH_MAY_DELETE,
         1},
        {"no parts", {}, VELT_PATH_NO_PARTS, 0},
    };
    for (const Case& c : cases) {
        size_t part = 99;
        EXPECT_EQ(VeltJudgePath(c.parts.data(), c.parts.size(), &part), c.verdict) << c.name;
        EXPECT_EQ(part, c.part) << c.name;
    }
}

} // namespace
