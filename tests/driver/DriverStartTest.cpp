#include "DriverTestFixture.h"

#include "digest/MD5_RC4.h"

#include <string>

namespace velt {
namespace {

class DriverStartTest : public DriverLinkTest {
  protected:
    void SetUp() override {
        os.service = fakes::FakeDriverOs::Service::Running; // the driver is already loaded
        Init();
        ASSERT_TRUE(DriverConnect(messenger));
        os.requests.clear();
    }

    // The input of the last IOCTL_SET_PARAMS the driver received.
    std::vector<std::uint8_t> LastBlockSent() const {
        for (auto it = os.requests.rbegin(); it != os.requests.rend(); ++it) {
            if (it->code == IOCTL_SET_PARAMS) {
                return it->input;
            }
        }
        return {};
    }
    // The block the program keeps: what went to the driver, less the key, which is wiped once
    // the request that carried it returned.
    std::vector<std::uint8_t> KeptBlock() const {
        auto kept = LastBlockSent();
        std::fill(kept.begin() + 512, kept.begin() + 528, 0);
        return kept;
    }
};

std::vector<std::uint8_t> ExpectedBlock(const std::string& aux, const std::string& paths,
                                        const std::string& digest, std::uint32_t mode) {
    std::vector<std::uint8_t> b(580, 0);
    std::memcpy(b.data(), aux.data(), aux.size());
    std::memcpy(b.data() + 256, paths.data(), paths.size());
    std::memcpy(b.data() + 512, digest.data(), digest.size());
    for (int i = 0; i < 4; ++i) {
        b[576 + i] = static_cast<std::uint8_t>(mode >> (8 * i));
    }
    return b;
}

TEST_F(DriverStartTest, SendsFilledBlockThenStart) {
    EXPECT_TRUE(DriverStart("C:\\SECRET\\*.*;D:\\A.TXT", "*", "abc", 2));
    ASSERT_EQ(os.RequestCodes(), (std::vector<std::uint32_t>{IOCTL_SET_PARAMS, IOCTL_START}));
    EXPECT_EQ(os.requests[0].outputSize, 0U);
    EXPECT_TRUE(os.requests[1].input.empty());
    EXPECT_EQ(os.requests[1].outputSize, 0U);

    const std::string abc("\x32\x38\x53\x48\x84\xF8\xD3\x2C\x68\x68\xFB\x58\x70\x92\xE2\x07", 16);
    EXPECT_EQ(LastBlockSent(), ExpectedBlock("*", "C:\\SECRET\\*.*;D:\\A.TXT", abc, 2));
    EXPECT_EQ(BlockBytes(), KeptBlock());
}

TEST_F(DriverStartTest, EmptyInputsGiveAllZeroFields) {
    EXPECT_TRUE(DriverStart("", "", "", 0));
    EXPECT_EQ(LastBlockSent(), std::vector<std::uint8_t>(580, 0));
}

TEST_F(DriverStartTest, StringFieldsHoldAtMost255CharactersAndTheirTerminator) {
    const std::string full(255, 'P');
    DriverStart(full, std::string(255, 'x'), "pw", 2);
    auto sent = LastBlockSent();
    ASSERT_EQ(sent.size(), 580U);
    EXPECT_EQ(std::string(sent.begin() + 256, sent.begin() + 511), full);
    EXPECT_EQ(sent[511], 0); // terminator in the field's last byte
    EXPECT_EQ(sent[255], 0);

    // Longer texts are cut at 255 and never spill into the next field.
    DriverStart(std::string(400, 'Q'), std::string(300, 'y'), "pw", 2);
    sent = LastBlockSent();
    EXPECT_EQ(std::string(sent.begin() + 256, sent.begin() + 511), std::string(255, 'Q'));
    EXPECT_EQ(sent[511], 0);
    EXPECT_EQ(std::string(sent.begin(), sent.begin() + 255), std::string(255, 'y'));
    EXPECT_EQ(sent[255], 0);
    EXPECT_EQ(std::string(sent.begin() + 512, sent.begin() + 528), PasswordDigest("pw"));
}

TEST_F(DriverStartTest, EmbeddedZeroEndsTheString) {
    DriverStart(std::string("C:\\A\0junk", 9), "*", "pw", 2);
    const auto sent = LastBlockSent();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sent.data() + 256)), "C:\\A");
    for (std::size_t i = 256 + 4; i < 512; ++i) {
        ASSERT_EQ(sent[i], 0) << "byte " << i;
    }
}

TEST_F(DriverStartTest, NextStartRewritesEveryFieldAfterAStop) {
    DriverStart(std::string(200, 'L'), "long aux", "first password", 7);
    EXPECT_TRUE(DriverStop());
    // A stop keeps the last values.
    EXPECT_EQ(BlockBytes(), KeptBlock());

    DriverStart("C:\\X", "*", "abc", 2);
    EXPECT_EQ(LastBlockSent(), ExpectedBlock("*", "C:\\X", PasswordDigest("abc"), 2));
}

TEST_F(DriverStartTest, RefusedBlockSendsNoStart) {
    os.refusedCodes = {IOCTL_SET_PARAMS};
    EXPECT_FALSE(DriverStart("C:\\X", "*", "abc", 2));
    EXPECT_EQ(os.RequestCodes(), std::vector<std::uint32_t>{IOCTL_SET_PARAMS});
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(DriverStartTest, RefusedStartIsReported) {
    os.refusedCodes = {IOCTL_START};
    EXPECT_FALSE(DriverStart("C:\\X", "*", "abc", 2));
    EXPECT_EQ(os.RequestCodes(), (std::vector<std::uint32_t>{IOCTL_SET_PARAMS, IOCTL_START}));
}

TEST_F(DriverStartTest, StopIsSentWhateverTheState) {
    EXPECT_TRUE(DriverStop());
    EXPECT_TRUE(DriverStop());
    ASSERT_EQ(os.RequestCodes(), (std::vector<std::uint32_t>{IOCTL_STOP, IOCTL_STOP}));
    EXPECT_TRUE(os.requests[0].input.empty());
    EXPECT_EQ(os.requests[0].outputSize, 0U);

    os.refusedCodes = {IOCTL_STOP};
    EXPECT_FALSE(DriverStop());
}

TEST_F(DriverLinkTest, WithoutDeviceEveryRequestFails) {
    // Module initialised, no connection: the block is zero and nothing reaches a device.
    EXPECT_EQ(BlockBytes(), std::vector<std::uint8_t>(580, 0));
    EXPECT_EQ(DriverHandle(), kInvalidHandle);
    EXPECT_FALSE(DriverStart("C:\\X", "*", "abc", 2));
    EXPECT_FALSE(DriverStop());
    EXPECT_EQ(os.RequestCodes(), (std::vector<std::uint32_t>{IOCTL_SET_PARAMS, IOCTL_STOP}));
    for (const auto& r : os.requests) {
        EXPECT_FALSE(r.succeeded);
    }
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(DriverLinkTest, InitialisationStartsAfresh) {
    os.service = fakes::FakeDriverOs::Service::Running;
    ASSERT_TRUE(DriverConnect(messenger));
    DriverStart("C:\\X", "*", "abc", 2);
    Init();
    EXPECT_EQ(BlockBytes(), std::vector<std::uint8_t>(580, 0));
    EXPECT_EQ(DriverHandle(), kInvalidHandle);
    EXPECT_FALSE(IsNtFamily());
}

} // namespace
} // namespace velt
