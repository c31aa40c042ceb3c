#include "DriverTestFixture.h"

namespace velt {
namespace {

using LocalDriveMaskTest = DriverLinkTest;

TEST_F(LocalDriveMaskTest, FixedAndCdromDrivesOnly) {
    os.drives = {{'A', kDriveRemovable}, {'C', kDriveFixed}, {'D', kDriveCdrom}};
    EXPECT_EQ(LocalDriveMask(), 12U);

    os.drives = {{'C', kDriveFixed},   {'E', kDriveRemote},    {'F', kDriveRamdisk},
                 {'G', kDriveUnknown}, {'H', kDriveNoRootDir}, {'Z', kDriveCdrom}};
    EXPECT_EQ(LocalDriveMask(), (1U << 2) | (1U << 25));
}

TEST_F(LocalDriveMaskTest, AsksEveryRootInOrderWithAFixedBuffer) {
    os.drives = {{'A', kDriveRemovable}, {'C', kDriveFixed}, {'D', kDriveCdrom}};
    LocalDriveMask();
    EXPECT_EQ(os.calls, (std::vector<std::string>{"LogicalDriveStrings(256)", "DriveType(A:\\)",
                                                  "DriveType(C:\\)", "DriveType(D:\\)"}));
}

TEST_F(LocalDriveMaskTest, LetterCaseGivesTheSameBit) {
    os.drives = {{'c', kDriveFixed}, {'d', kDriveCdrom}, {'a', kDriveFixed}};
    EXPECT_EQ(LocalDriveMask(), 13U);
}

TEST_F(LocalDriveMaskTest, NoAnswerOrNoRoomGivesNoBits) {
    os.drives = {{'C', kDriveFixed}};
    os.driveStringsFail = true;
    EXPECT_EQ(LocalDriveMask(), 0U);

    // 26 drives fit (105 bytes); a buffer reply claiming more than 256 bytes wrote nothing.
    os.driveStringsFail = false;
    os.drives.clear();
    for (char c = 'A'; c <= 'Z'; ++c) {
        os.drives.emplace_back(c, kDriveFixed);
    }
    EXPECT_EQ(LocalDriveMask(), (1U << 26) - 1);
}

// A misbehaving OS: strings not in the "X:\" shape must not set bits beyond the letters or make
// the walk leave the buffer.
class OddRootsOs : public fakes::FakeDriverOs {
  public:
    std::string roots;
    std::uint32_t LogicalDriveStrings(char* buffer, std::uint32_t bufferSize) override {
        const std::size_t n = std::min<std::size_t>(roots.size(), bufferSize);
        std::memcpy(buffer, roots.data(), n);
        return static_cast<std::uint32_t>(n);
    }
    std::uint32_t DriveType(std::string_view root) override {
        calls.push_back("DriveType(" + std::string(root) + ")");
        return kDriveFixed;
    }
};

TEST(LocalDriveMaskOddRoots, BoundedToTheBufferAndToLetters) {
    OddRootsOs odd;
    fakes::FakeDriverFiles files;
    odd.roots = std::string(256, 'C'); // no terminator anywhere
    OmxModuleInit(odd, files, kTestExe);
    EXPECT_EQ(LocalDriveMask(), 1U << 2);
    EXPECT_EQ(odd.calls.size(), 64U); // one per 4-byte step, never past 256 bytes
    EXPECT_EQ(odd.calls.front(), "DriveType(CCC)");

    odd.calls.clear();
    odd.roots = std::string("[:\\\0"
                            "1:\\\0"
                            "\xC4:\\\0"
                            "e:\\\0",
                            16);
    EXPECT_EQ(LocalDriveMask(), 1U << 4);
}

} // namespace
} // namespace velt
