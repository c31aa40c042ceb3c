#include <gtest/gtest.h>

#include <string>

#include "profiles/ProfileRecord.h"

namespace velt {
namespace {

TEST(ProfileRecord, LayoutByteForByte) {
    TProfileObj profile;
    profile.ProfileName = "Name";
    profile.PathList = "c:\\x\\*.*;d:\\y.txt";
    profile.Reserved = "rs";
    profile.CheckFlag = 1;
    profile.CheckByte = 142;

    const ProfileRecord record = EncodeRecord(profile);
    ProfileRecord expected{};
    expected[0] = 4;
    std::string("Name").copy(reinterpret_cast<char*>(&expected[1]), 4);
    expected[100] = 17;
    std::string("c:\\x\\*.*;d:\\y.txt").copy(reinterpret_cast<char*>(&expected[101]), 17);
    expected[356] = 2;
    expected[357] = 'r';
    expected[358] = 's';
    expected[510] = 1;
    expected[511] = 142;
    EXPECT_EQ(record, expected);
}

TEST(ProfileRecord, FullFieldsFillTheirSlotsExactly) {
    TProfileObj profile;
    profile.ProfileName = std::string(99, 'N');
    profile.PathList = std::string(255, 'P');
    profile.Reserved = std::string(153, 'R');
    profile.CheckFlag = 0;
    profile.CheckByte = 0xFF;
    const ProfileRecord record = EncodeRecord(profile);
    EXPECT_EQ(record[0], 99);
    EXPECT_EQ(record[99], 'N');
    EXPECT_EQ(record[100], 255);
    EXPECT_EQ(record[101], 'P');
    EXPECT_EQ(record[355], 'P');
    EXPECT_EQ(record[356], 153);
    EXPECT_EQ(record[509], 'R');
    EXPECT_EQ(record[510], 0);
    EXPECT_EQ(record[511], 0xFF);
    EXPECT_EQ(DecodeRecord(record), profile);
}

TEST(ProfileRecord, DecodeCutsLengthsAboveCapacity) {
    ProfileRecord record;
    record.fill('z');
    record[0] = 120;
    record[100] = 255;
    record[356] = 200;
    record[510] = 7;
    record[511] = 9;
    const TProfileObj profile = DecodeRecord(record);
    EXPECT_EQ(profile.ProfileName.str(), std::string(99, 'z'));
    EXPECT_EQ(profile.PathList.str(), std::string(255, 'z'));
    EXPECT_EQ(profile.Reserved.str(), std::string(153, 'z'));
    EXPECT_EQ(profile.CheckFlag, 7); // carried as stored
    EXPECT_EQ(profile.CheckByte, 9);
}

TEST(ProfileRecord, DecodeIgnoresBytesAfterTheText) {
    ProfileRecord record;
    record.fill(0xAA);
    record[0] = 0;
    record[100] = 1;
    record[356] = 0;
    const TProfileObj profile = DecodeRecord(record);
    EXPECT_TRUE(profile.ProfileName.empty());
    EXPECT_EQ(profile.PathList.str(), std::string(1, '\xAA'));
    EXPECT_TRUE(profile.Reserved.empty());
}

} // namespace
} // namespace velt
