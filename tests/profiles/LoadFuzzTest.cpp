// Loading arbitrary bytes: never a crash or an overread (ASan watches), every whole record
// becomes a profile within its capacities, and only a partial tail is reported.
#include <random>

#include "StoreTestSupport.h"

namespace velt::test {
namespace {

class LoadFuzz : public StoreTest {};

FakeFiles::Bytes RandomFile(std::mt19937& random) {
    std::uniform_int_distribution<int> sizeKind(0, 3);
    std::size_t size = 0;
    switch (sizeKind(random)) {
    case 0:
        size = random() % 16;
        break;
    case 1:
        size = 512 * (random() % 8);
        break;
    case 2:
        size = 512 * (random() % 8) + random() % 512;
        break;
    default:
        size = random() % 20000;
        break;
    }
    FakeFiles::Bytes bytes(size);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(random());
    }
    // Bias the length bytes and flags towards their edges.
    for (std::size_t at = 0; at + 512 <= size; at += 512) {
        const std::uint8_t edges[] = {0, 1, 98, 99, 100, 153, 154, 254, 255};
        for (const std::size_t field : {0u, 100u, 356u, 510u}) {
            if (random() % 2 == 0) {
                bytes[at + field] = edges[random() % std::size(edges)];
            }
        }
    }
    return bytes;
}

TEST_F(LoadFuzz, ArbitraryBytes) {
    std::mt19937 random(20261207);
    auto store = MakeStore();
    store.EnsureSettingsKey();
    for (int round = 0; round < 1500; ++round) {
        const auto bytes = RandomFile(random);
        files.PutFile(storagePath, bytes);
        ProfileList list;
        std::int32_t index = 0;
        const std::string error = ErrorText([&] { store.LoadProfiles(list, index); });
        SCOPED_TRACE("round " + std::to_string(round) + ", " + std::to_string(bytes.size()) +
                     " bytes");
        EXPECT_EQ(error, bytes.size() % 512 == 0 ? "(no error)" : "Read beyond end of file");
        ASSERT_EQ(list.Count(), bytes.size() / 512);
        for (std::size_t i = 0; i < list.Count(); ++i) {
            const auto& p = list.Profile(i);
            const std::uint8_t* record = &bytes[i * 512];
            EXPECT_EQ(p.ProfileName.size(), std::min<std::size_t>(record[0], 99));
            EXPECT_EQ(p.PathList.size(), record[100]);
            EXPECT_EQ(p.Reserved.size(), std::min<std::size_t>(record[356], 153));
            EXPECT_EQ(p.CheckFlag, record[510]);
            EXPECT_EQ(p.CheckByte, record[511]);
            EXPECT_EQ(list.Text(i), p.ProfileName.str());
        }
        // Whatever was loaded (whole records) is saved back unchanged.
        if (list.Count() > 0 && bytes.size() % 512 == 0 && round % 50 == 0) {
            store.SaveProfiles(list, 0);
            ProfileList again;
            store.LoadProfiles(again, index);
            EXPECT_EQ(Profiles(again), Profiles(list));
        }
    }
}

} // namespace
} // namespace velt::test
