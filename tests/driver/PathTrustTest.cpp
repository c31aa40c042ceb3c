#include "driver/DriverFileCheck.h"
#include "driver/PathTrust.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace velt {
namespace {

// The rights untrusted users hold on one part: add a subfolder, Modify, read and run, delete a
// child, change the rights, take the ownership, generic write, generic all (no access list).
constexpr uint32_t kAdd = 0x4, kModify = 0x1301BF, kRead = 0x1200A9, kDeleteChild = 0x40,
                   kDac = 0x40000, kOwner = 0x80000, kWrite = 0x40000000, kAll = 0x10000000;
constexpr uint32_t kFileAll = 0x1F01FF;

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
        {{Ours(kAdd | 0x2), Ours(kWrite), Ours(kRead)}, VELT_PATH_TRUSTED, 0},
        {{Ours(), Ours(kModify), Ours()}, VELT_PATH_MAY_DELETE, 1},
        {{Ours(), Ours(kDeleteChild), Ours()}, VELT_PATH_MAY_DELETE_CHILD, 1},
        {{Ours(), Ours(), Ours(kDeleteChild)}, VELT_PATH_TRUSTED, 0},
        {{Ours(), Ours(), Ours(kDac)}, VELT_PATH_MAY_CHANGE_RIGHTS, 2},
        {{Ours(), Ours(kOwner), Ours()}, VELT_PATH_MAY_TAKE_OWNERSHIP, 1},
        {{Ours(), Ours(kAll), Ours()}, VELT_PATH_MAY_DELETE, 1},
        {{Ours(), VeltPathPart{0, 0, 0}, Ours()}, VELT_PATH_UNTRUSTED_OWNER, 1},
        {{Ours(), VeltPathPart{1, 1, 0}, VeltPathPart{1, 0, 0}}, VELT_PATH_REPARSE_POINT, 1},
        // The folder itself takes no new file or folder from others; the root may.
        {{Ours(), Ours(), Ours(kAdd)}, VELT_PATH_MAY_ADD, 2},
        {{Ours(), Ours(), Ours(0x2)}, VELT_PATH_MAY_ADD, 2},
        {{Ours(), Ours(), Ours(kWrite)}, VELT_PATH_MAY_ADD, 2},
        {{Ours(kAdd | 0x2)}, VELT_PATH_TRUSTED, 0},
        // A drive root reported as a reparse point (Wine's mapped drives) is still the root.
        {{VeltPathPart{1, 1, kRead}, Ours(), Ours()}, VELT_PATH_TRUSTED, 0},
        {{VeltPathPart{1, 1, kModify}, Ours(), Ours()}, VELT_PATH_MAY_DELETE, 0},
        {{}, VELT_PATH_NO_PARTS, 0},
    };
    for (const Case& c : cases) {
        size_t part = 99;
        EXPECT_EQ(VeltJudgePath(c.parts.data(), c.parts.size(), &part), c.verdict) << c.part;
        EXPECT_EQ(part, c.part) << c.verdict;
    }
}

// An access entry as Windows stores it: type, flags, size, mask, then the SID (revision 1, its
// sub-authority count, a 6-byte authority, the sub-authorities).
std::vector<uint8_t> Ace(unsigned type, unsigned flags, uint32_t mask,
                         std::vector<uint32_t> sid = {32, 545}, uint64_t authority = 5) {
    std::vector<uint8_t> b = {static_cast<uint8_t>(type), static_cast<uint8_t>(flags), 0, 0};
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<uint8_t>(mask >> (8 * i)));
    }
    b.push_back(1);
    b.push_back(static_cast<uint8_t>(sid.size()));
    for (int i = 5; i >= 0; --i) {
        b.push_back(static_cast<uint8_t>(authority >> (8 * i)));
    }
    for (const uint32_t part : sid) {
        for (int i = 0; i < 4; ++i) {
            b.push_back(static_cast<uint8_t>(part >> (8 * i)));
        }
    }
    b[2] = static_cast<uint8_t>(b.size());
    b[3] = static_cast<uint8_t>(b.size() >> 8);
    return b;
}

// Each kind of entry, read from its bytes by the readers of both the setup and the program, and
// what it grants an account that is not trusted.
TEST(PathTrust, ReadsWhatEachAccessEntryGrants) {
    struct Case {
        const char* name;
        std::vector<uint8_t> ace;
        uint32_t grants;
    };
    // An entry of 24 bytes with one byte changed.
    const auto patched = [](size_t at, uint8_t value) {
        auto b = Ace(0, 0, kModify);
        b[at] = value;
        return b;
    };
    const std::vector<Case> cases = {
        {"allowed, Users", Ace(VELT_ACE_ALLOWED, 0, kModify), kModify},
        {"allowed, generic write", Ace(VELT_ACE_ALLOWED, 0, kWrite), 0x120116},
        {"allowed, SYSTEM", Ace(VELT_ACE_ALLOWED, 0, kFileAll, {18}), 0},
        {"allowed, TrustedInstaller",
         Ace(VELT_ACE_ALLOWED, 0, kFileAll,
             {80, 956008885, 3418522649, 1831038044, 1853292631, 2271478464}),
         0},
        {"allowed, Administrators", Ace(VELT_ACE_ALLOWED, 0, kFileAll, {32, 544}), 0},
        {"allowed, Users, inherit only", Ace(VELT_ACE_ALLOWED, VELT_ACE_INHERIT_ONLY, kModify), 0},
        {"allowed callback, Users", Ace(VELT_ACE_ALLOWED_CALLBACK, 0, kAdd), kAdd},
        {"allowed callback, SYSTEM", Ace(VELT_ACE_ALLOWED_CALLBACK, 0, kFileAll, {18}), 0},
        {"denied", Ace(VELT_ACE_DENIED, 0, kFileAll), 0},
        {"denied callback", Ace(VELT_ACE_DENIED_CALLBACK, 0, kFileAll), 0},
        {"denied object", Ace(VELT_ACE_DENIED_OBJECT, 0, kFileAll), 0},
        {"allowed object", Ace(VELT_ACE_ALLOWED_OBJECT, 0, kRead), kFileAll},
        {"allowed compound", Ace(4, 0, kRead), kFileAll},
        {"allowed callback object", Ace(11, 0, kRead), kFileAll},
        {"an unknown kind", Ace(0x20, 0, 0), kFileAll},
        {"SID cut by the entry's size", patched(2, 12), kFileAll},
        {"entry larger than the buffer", patched(2, 25), kFileAll},
        {"entry shorter than a mask", patched(2, 7), kFileAll},
        {"SID of revision 2", patched(8, 2), kFileAll},
        {"SID of 16 sub-authorities", Ace(0, 0, kRead, std::vector<uint32_t>(16, 1)), kFileAll},
        {"SID of 15 sub-authorities", Ace(0, 0, kRead, std::vector<uint32_t>(15, 4294967295U)),
         kRead},
    };
    VeltTrust trust{};
    VeltTrustInit(&trust);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The setup DLL's reader: one row per entry, the account judged on the way.
        const VeltAccessRow row = VeltReadAce(c.ace.data(), c.ace.size(), &trust, nullptr);
        EXPECT_EQ(VeltRowGrants(&row), c.grants);
        // The program's: the entry as SID text first, judged when the path is.
        char sid[VELT_SID_TEXT_SIZE];
        const VeltAccessRow read = VeltReadAce(c.ace.data(), c.ace.size(), nullptr, sid);
        const AccessEntry entry{sid, read.mask, AceType{read.type}, read.flags};
        const VeltAccessRow judged = RowOf(entry, trust);
        EXPECT_EQ(VeltRowGrants(&judged), c.grants);
        // Whatever the object, an entry grants on it unless it denies or only passes on.
        EXPECT_EQ(AllowsOnObject(entry),
                  (read.flags & VELT_ACE_INHERIT_ONLY) == 0 && read.type != VELT_ACE_DENIED &&
                      read.type != VELT_ACE_DENIED_CALLBACK && read.type != VELT_ACE_DENIED_OBJECT);
    }
    EXPECT_EQ(VeltUntrustedRights(nullptr, 0), kFileAll) << "no access list";
    EXPECT_EQ(PartFacts(SecuritySummary{"S-1-5-18", false, {}}, trust).untrustedRights, kFileAll);
    EXPECT_EQ(PartFacts(SecuritySummary{"S-1-5-18", true, {}}, trust).untrustedRights, 0U)
        << "an empty access list";
}

TEST(PathTrust, WritesSidText) {
    struct Case {
        std::vector<uint8_t> sid;
        size_t textSize;
        const char* text;
    };
    const auto sidOf = [](std::vector<uint32_t> parts, uint64_t authority = 5) {
        const auto ace = Ace(0, 0, 0, std::move(parts), authority);
        return std::vector<uint8_t>(ace.begin() + 8, ace.end());
    };
    std::string longest = "S-1-5";
    for (int i = 0; i < 15; ++i) {
        longest += "-4294967295";
    }
    const std::vector<Case> cases = {
        {sidOf({18}), VELT_SID_TEXT_SIZE, "S-1-5-18"},
        {sidOf({32, 544}), VELT_SID_TEXT_SIZE, "S-1-5-32-544"},
        {sidOf({}, 1), VELT_SID_TEXT_SIZE, "S-1-1"},
        {sidOf({7}, 0x123456789ABCULL), VELT_SID_TEXT_SIZE, "S-1-0x123456789ABC-7"},
        {sidOf(std::vector<uint32_t>(15, 4294967295U)), VELT_SID_TEXT_SIZE, longest.c_str()},
        {sidOf(std::vector<uint32_t>(15, 4294967295U)), longest.size() + 1, longest.c_str()},
        {sidOf(std::vector<uint32_t>(15, 4294967295U)), longest.size(), ""},
        {sidOf({18}), 8, ""},
        {{1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0}, VELT_SID_TEXT_SIZE, ""},
    };
    for (const Case& c : cases) {
        std::array<char, VELT_SID_TEXT_SIZE + 8> text{};
        text.fill('x');
        const int ok = VeltSidText(c.sid.data(), c.sid.size(), text.data(), c.textSize);
        EXPECT_EQ(ok != 0, c.text[0] != 0) << c.text;
        EXPECT_STREQ(text.data(), c.text);
    }
}

// The accounts trusted besides the three named ones: the system folder's owner and the accounts
// a plain entry lets change it.
TEST(PathTrust, TrustsTheSystemFoldersWriters) {
    const SecuritySummary system{
        "S-1-5-21-0-0-0-1000",
        true,
        {{"S-1-5-21-9-9-9-500", kModify},
         {"S-1-5-21-9-9-9-501", kRead},
         {"S-1-5-21-9-9-9-502", kFileAll, AceType{}, VELT_ACE_INHERIT_ONLY},
         {"S-1-5-21-9-9-9-503", kFileAll, AceType{VELT_ACE_ALLOWED_CALLBACK}},
         {"S-1-5-21-9-9-9-504", kFileAll, AceType{VELT_ACE_DENIED}}}};
    const VeltTrust trust = TrustedAccounts(&system);
    const VeltTrust named = TrustedAccounts(nullptr);
    for (const char* sid : {"S-1-5-18", "S-1-5-32-544",
                            "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"}) {
        EXPECT_TRUE(VeltTrusts(&named, sid) && VeltTrusts(&trust, sid)) << sid;
    }
    const std::vector<std::pair<const char*, bool>> accounts = {
        {"S-1-5-21-0-0-0-1000", true}, {"S-1-5-21-9-9-9-500", true},
        {"S-1-5-21-9-9-9-501", false}, {"S-1-5-21-9-9-9-502", false},
        {"S-1-5-21-9-9-9-503", false}, {"S-1-5-21-9-9-9-504", false},
        {"S-1-5-32-545", false},       {"", false}};
    for (const auto& [sid, trusted] : accounts) {
        EXPECT_EQ(VeltTrusts(&trust, sid) != 0, trusted) << sid;
        EXPECT_FALSE(VeltTrusts(&named, sid)) << sid;
    }
}

// How full paths split, in each character width the readers use.
template <typename Char> std::vector<size_t> Split(const std::string& path, size_t max = 32) {
    const std::basic_string<Char> wide(path.begin(), path.end());
    std::vector<size_t> ends(max);
    ends.resize(VeltSplitPath(wide.data(), wide.size(), sizeof(Char), ends.data(), max));
    return ends;
}

TEST(PathTrust, SplitsAPathIntoItsParts) {
    struct Case {
        const char* path;
        std::vector<size_t> ends;
    };
    const std::vector<Case> cases = {
        {"C:\\", {3}},
        {"c:\\Program Files\\Veltarion", {3, 16, 26}},
        {"C:\\A\\B\\", {3, 4, 6}},
        {"C:\\A\\OMXDRV.SYS", {3, 4, 15}},
        {"\\\\srv\\share", {11}},
        {"\\\\srv\\share\\A", {12, 13}},
        {"\\\\?\\C:\\A", {7, 8}},
        {"\\\\?\\UNC\\srv\\share\\A", {18, 19}},
        // Refused: no root, a form Win32 and the kernel read differently, an empty name.
        {"", {}},
        {"C:", {}},
        {"C:A\\B", {}},
        {"A\\B", {}},
        {"\\A\\B", {}},
        {"C:\\A/B", {}},
        {"C:/A", {}},
        {"C:\\A.\\B", {}},
        {"C:\\A\\B.", {}},
        {"C:\\A \\B", {}},
        {"C:\\A\\B ", {}},
        {"C:\\A\\..\\B", {}},
        {"C:\\A\\.\\B", {}},
        {"C:\\A\\\\B", {}},
        {"C:\\A\\\\", {}},
        {"\\\\.\\C:\\A", {}},
        {"\\\\?\\GLOBALROOT\\Device", {}},
        {"\\\\srv", {}},
        {"\\\\srv\\", {}},
        {"\\\\\\share\\A", {}},
        {"C:\\A\\OMXDRV.SYS:x", {}},
        {"C:\\A\\OMX*.SYS", {}},
        {"C:\\A\\OMXDRV.SYS\"", {}},
        {"C:\\A\\B\tC", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Split<char>(c.path), c.ends) << c.path;
        EXPECT_EQ(Split<char16_t>(c.path), c.ends) << c.path;
        EXPECT_EQ(Split<char32_t>(c.path), c.ends) << c.path;
    }
    // As many parts as there is room for, and one more.
    EXPECT_EQ(Split<char>("C:\\A\\B", 3), (std::vector<size_t>{3, 4, 6}));
    EXPECT_EQ(Split<char>("C:\\A\\B", 2), std::vector<size_t>{});
    const std::string nul("C:\\A\0B", 6);
    EXPECT_EQ(Split<char>(nul), std::vector<size_t>{});
}

} // namespace
} // namespace velt
