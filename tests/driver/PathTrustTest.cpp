#include "driver/PathTrust.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The rights untrusted users hold on one part: add a subfolder, Modify, read and run, delete a
// child, change the rights, take the ownership, generic write, generic all (no access list).
constexpr uint32_t kAdd = 0x4, kModify = 0x1301BF, kRead = 0x1200A9, kDeleteChild = 0x40,
                   kDac = 0x40000, kOwner = 0x80000, kWrite = 0x40000000, kAll = 0x10000000;

VeltPathPart Ours(uint32_t untrusted = 0) {
    return VeltPathPart{0, 1, untrusted};
}

TEST(PathTrust, JudgesEveryPartFromTheRootDown) {
    struct Case {
        std::vector<VeltPathPart> parts; // C:\, C:\Tools, C:\Tools\Veltarion
        VeltPathVerdict verdict;
        size_t part;
    };
    const std::vector<Case> cases = {
        {{Ours(kAdd | kRead), Ours(kRead), Ours()}, VELT_PATH_TRUSTED, 0},
        {{Ours(kAdd | 0x2), Ours(kWrite), Ours(0x2 | kDeleteChild)}, VELT_PATH_TRUSTED, 0},
        {{Ours(), Ours(kModify), Ours()}, VELT_PATH_MAY_DELETE, 1},
        {{Ours(), Ours(kDeleteChild), Ours()}, VELT_PATH_MAY_DELETE_CHILD, 1},
        {{Ours(), Ours(), Ours(kDac)}, VELT_PATH_MAY_CHANGE_RIGHTS, 2},
        {{Ours(), Ours(kOwner), Ours()}, VELT_PATH_MAY_TAKE_OWNERSHIP, 1},
        {{Ours(), Ours(kAll), Ours()}, VELT_PATH_MAY_DELETE, 1},
        {{Ours(), VeltPathPart{0, 0, 0}, Ours()}, VELT_PATH_UNTRUSTED_OWNER, 1},
        {{Ours(), VeltPathPart{1, 1, 0}, VeltPathPart{1, 0, 0}}, VELT_PATH_REPARSE_POINT, 1},
        {{}, VELT_PATH_NO_PARTS, 0},
    };
    for (const Case& c : cases) {
        size_t part = 99;
        EXPECT_EQ(VeltJudgePath(c.parts.data(), c.parts.size(), &part), c.verdict) << c.part;
        EXPECT_EQ(part, c.part) << c.verdict;
    }
}

} // namespace
