extern "C" {
#include "SetupRules.h"
#include "WideText.h"
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// MAX_PATH: the buffers the setup DLL builds its paths in.
constexpr size_t kMaxPath = 260;
constexpr unsigned long kFile = 0x20, kDir = VELT_ATTRIBUTE_DIRECTORY,
                        kReparse = VELT_ATTRIBUTE_REPARSE_POINT;

std::wstring Name(size_t length, const std::wstring& end = L"") {
    return std::wstring(length - end.size(), L'x') + end;
}

// A folder and a name joined in a buffer of MAX_PATH: whole when they fit, else nothing.
TEST(SetupRules, JoinsPathsOnlyWhole) {
    struct Case {
        size_t folder, name; // lengths
        bool fits;
    };
    const std::vector<Case> cases = {
        {3, 1, true},     {200, 58, true},   // 259 characters and the zero: the last that fits
        {200, 59, false},                    // one more
        {258, 1, false},                     // the pattern "<folder>\*" of a folder of 258
        {257, 1, true},   {259, 255, false}, // a long entry name in a folder near the limit
        {2, 300, false},
    };
    for (const Case& c : cases) {
        std::vector<wchar_t> out(kMaxPath + 8, L'#');
        const std::wstring folder = L"C:" + Name(c.folder - 2);
        const std::wstring name = Name(c.name);
        EXPECT_EQ(VeltJoinPath(out.data(), kMaxPath, folder.c_str(), name.c_str()) != 0, c.fits)
            << c.folder << "+" << c.name;
        EXPECT_EQ(std::wstring(out.data()), c.fits ? folder + L"\\" + name : L"");
        EXPECT_EQ(out[kMaxPath], L'#') << "nothing past the buffer";
    }
}

TEST(SetupRules, CutsReasonsAtTheirBuffer) {
    wchar_t buffer[12];
    buffer[11] = L'#';
    VeltText text;
    VeltTextStart(&text, buffer, 11);
    EXPECT_TRUE(VeltTextAdd(&text, L"error "));
    EXPECT_TRUE(VeltTextAddNumber(&text, 0));
    EXPECT_FALSE(VeltTextAddNumber(&text, 4294967295UL));
    EXPECT_EQ(std::wstring(buffer), L"error 0429");
    EXPECT_TRUE(text.cut);
    EXPECT_FALSE(VeltTextAddAscii(&text, "x"));
    EXPECT_EQ(buffer[11], L'#');
    VeltTextStart(&text, buffer, 11);
    EXPECT_TRUE(VeltTextAddCount(&text, L"abcdef", 3));
    EXPECT_TRUE(VeltTextAddAscii(&text, "1234567"));
    EXPECT_FALSE(text.cut);
    EXPECT_EQ(std::wstring(buffer), L"abc1234567");
}

TEST(SetupRules, TakesOnlyFoldersBelowADrivesRoot) {
    struct Case {
        std::wstring path;
        std::wstring trimmed;
        size_t parts;
    };
    std::wstring deep = L"C:"; // 258 characters, 129 parts: room for them all
    for (int i = 0; i < 128; ++i) {
        deep += L"\\a";
    }
    const std::vector<Case> cases = {
        {L"C:\\Program Files\\Veltarion", L"C:\\Program Files\\Veltarion", 3},
        {L"C:\\Program Files\\Veltarion\\\\", L"C:\\Program Files\\Veltarion", 3},
        {L"c:\\V", L"c:\\V", 2},
        {L"C:\\", L"C:\\", 0},
        {L"C:\\\\", L"C:\\", 0},
        {L"\\\\srv\\share\\V", L"\\\\srv\\share\\V", 0},
        {L"\\\\?\\C:\\V", L"\\\\?\\C:\\V", 0},
        {L"C:\\V.\\W", L"C:\\V.\\W", 0},
        {deep, deep, 129},
    };
    for (const Case& c : cases) {
        std::vector<wchar_t> path(c.path.begin(), c.path.end());
        path.push_back(0);
        size_t ends[VELT_MAX_FOLDER_PARTS];
        EXPECT_EQ(VeltFolderParts(path.data(), ends, VELT_MAX_FOLDER_PARTS), c.parts);
        EXPECT_EQ(std::wstring(path.data()), c.trimmed);
    }
}

// The part still to be made is the setup's own; an existing folder takes nothing from others.
TEST(SetupRules, JudgesTheFolderPathAsItWillBe) {
    const uint32_t add = 0x6;
    VeltPathPart parts[3] = {{0, 1, add}, {0, 1, add}, {0, 0, 0x1F01FF}};
    size_t failing = 9;
    EXPECT_EQ(VeltJudgeFolderPath(parts, 2, 3, &failing), VELT_PATH_TRUSTED);
    EXPECT_EQ(VeltJudgeFolderPath(parts, 2, 2, &failing), VELT_PATH_MAY_ADD);
    EXPECT_EQ(failing, 1U);
    parts[1].untrustedRights = 0x40; // may delete the part still to be made, once it is
    EXPECT_EQ(VeltJudgeFolderPath(parts, 2, 3, &failing), VELT_PATH_MAY_DELETE_CHILD);
}

TEST(SetupRules, KnowsTheEntriesOfKeptProfiles) {
    struct Case {
        std::wstring name;
        unsigned long attributes;
        int inProfiles;
        bool kept;
    };
    const std::vector<Case> cases = {
        {L".", kDir, 0, true},
        {L"..", kDir, 1, true},
        {L"Profiles", kDir, 0, true},
        {L"pROFILES", kDir, 0, true},
        {L"Profiles", kDir | kReparse, 0, false},
        {L"Profiles", kFile, 0, false},
        {L"Profilez", kDir, 0, false},
        {L"Profiles2", kDir, 0, false},
        {Name(245, L"Profiles"), kDir, 0, false}, // judged by its real name, whatever its length
        {L"profiles.omx", kFile, 1, true},
        {L"PROFILES.BAK", kFile, 1, true},
        {L"profiles.", kFile, 1, true},
        {L"profiles", kFile, 1, false},
        {L"profiles.omx", kDir, 1, false},
        {L"other.omx", kFile, 1, false},
        {L"profiles.omx", kFile, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VeltIsKeptProfilesEntry(c.name.c_str(), c.attributes, c.inProfiles) != 0, c.kept)
            << std::string(c.name.begin(), c.name.end()).substr(0, 20) << " " << c.inProfiles;
    }
}

TEST(SetupRules, LocksOnlyPlainFilesWithOneName) {
    struct Case {
        const wchar_t* name;
        unsigned long attributes;
        unsigned long links;
        VeltLockDown action;
    };
    const std::vector<Case> cases = {
        {L".", kDir, 1, VELT_LOCK_SKIP},
        {L"..", kDir, 1, VELT_LOCK_SKIP},
        {L"profiles.omx", kFile, 1, VELT_LOCK_RIGHTS},
        {L"profiles.omx", kFile, 2, VELT_LOCK_REMOVE},
        {L"profiles.omx", kFile | kReparse, 1, VELT_LOCK_REMOVE},
        {L"profiles.omx", kDir | kReparse, 1, VELT_LOCK_REMOVE},
        {L"sub", kDir, 1, VELT_LOCK_FAIL},
        {L"profiles.omx", kFile, 0, VELT_LOCK_FAIL},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VeltProfilesEntryLockDown(c.name, c.attributes, c.links), c.action)
            << c.attributes << " " << c.links;
    }
}

} // namespace
