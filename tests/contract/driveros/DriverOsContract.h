// Cases that hold for the real Windows calls and for the in-memory double alike. Each runner
// defines MakeDriverOs() and MakeDriverFiles() for its implementation; the double is set up as a
// machine with a fixed disk C: and a CD-ROM drive D:, no filter driver loaded and no service of
// these names.
#pragma once

#include "driver/DriverFileCheck.h"
#include "platform/DriverFiles.h"
#include "platform/DriverOs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace velt::contract {

std::unique_ptr<IDriverOs> MakeDriverOs();

// The driver-file reads over a machine where a file holds `bytes`; `path` receives its full name.
std::unique_ptr<IDriverFiles> MakeDriverFiles(const std::vector<std::uint8_t>& bytes,
                                              std::string& path);

class DriverOsContract : public ::testing::Test {
  protected:
    std::unique_ptr<IDriverOs> os = MakeDriverOs();
};

TEST_F(DriverOsContract, ReportsAnNtFamilyVersion) {
    OsVersion v;
    ASSERT_TRUE(os->QueryOsVersion(v));
    EXPECT_EQ(v.platformId, kPlatformWin32Nt);
    EXPECT_GE(v.majorVersion, 4U);
}

TEST_F(DriverOsContract, DriveRootsAreFourBytesEachDoublyTerminatedAndNeverOverrun) {
    std::array<char, 257> buffer{};
    buffer.fill('#');
    const std::uint32_t length = os->LogicalDriveStrings(buffer.data(), 256);
    ASSERT_GT(length, 0U);
    ASSERT_LT(length, 256U);
    EXPECT_EQ(length % 4, 0U);
    EXPECT_EQ(buffer[length], '\0');
    bool sawC = false;
    for (std::uint32_t pos = 0; pos < length; pos += 4) {
        EXPECT_EQ(std::string(&buffer[pos + 1], 2), ":\\");
        EXPECT_EQ(buffer[pos + 3], '\0');
        sawC = sawC || buffer[pos] == 'C';
    }
    EXPECT_TRUE(sawC);
    EXPECT_EQ(os->DriveType("C:\\"), kDriveFixed);
    EXPECT_EQ(os->DriveType("Q:\\"), kDriveNoRootDir); // not a drive on the test machines

    // A buffer too small is left alone, and the size needed returned.
    buffer.fill('#');
    EXPECT_GT(os->LogicalDriveStrings(buffer.data(), 3), 3U);
    EXPECT_EQ(buffer[0], '#');
}

TEST_F(DriverOsContract, MissingDeviceDoesNotOpenAndAnInvalidHandleTakesNoRequest) {
    EXPECT_EQ(
        os->OpenDevice("\\\\.\\VELTNODEVICE", kGenericRead | kGenericWrite, 0, kOpenExisting, 0x80),
        kInvalidHandle);
    EXPECT_NE(os->LastError(), 0U);
    std::uint32_t in = 12;
    std::uint32_t out = 0;
    std::uint32_t returned = 77;
    EXPECT_FALSE(os->DeviceControl(kInvalidHandle, 0x83000000, &in, 4, &out, 4, returned));
    EXPECT_EQ(os->LastError(), kErrorInvalidHandle);
    EXPECT_EQ(returned, 0U);
}

TEST_F(DriverOsContract, ServiceManagerOpensMissingServiceIsReportedNullHandlesFail) {
    const OsHandle manager = os->OpenServiceManager(kScManagerAllAccess);
    ASSERT_NE(manager, kNullHandle);
    EXPECT_EQ(os->OpenNamedService(manager, "VeltNoSuchService", kServiceAllAccess), kNullHandle);
    EXPECT_EQ(os->LastError(), 1060U); // ERROR_SERVICE_DOES_NOT_EXIST
    EXPECT_TRUE(os->CloseService(manager));
    EXPECT_EQ(os->CreateKernelService(kNullHandle, "VeltNoSuchService", "VeltNoSuchService",
                                      kServiceAllAccess, kServiceKernelDriver, kServiceDemandStart,
                                      kServiceErrorNormal, "C:\\nowhere\\none.sys"),
              kNullHandle);
    EXPECT_EQ(os->LastError(), kErrorInvalidHandle);
    EXPECT_EQ(os->OpenNamedService(kNullHandle, "VeltNoSuchService", kServiceAllAccess),
              kNullHandle);
    EXPECT_EQ(os->LastError(), kErrorInvalidHandle);
    EXPECT_FALSE(os->RunService(kNullHandle));
    EXPECT_EQ(os->LastError(), kErrorInvalidHandle);
    EXPECT_FALSE(os->CloseService(kNullHandle));
    EXPECT_EQ(os->LastError(), kErrorInvalidHandle);
}

TEST_F(DriverOsContract, FileReadsStayWithinTheFileAndAMissingFileDoesNotOpen) {
    const std::vector<std::uint8_t> bytes{'M', 'Z', 1, 2, 3, 4, 5, 6, 7, 8};
    std::string path;
    const auto files = MakeDriverFiles(bytes, path);
    struct Row {
        std::uint32_t offset;
        std::uint32_t size;
        std::int64_t read;
    };
    for (const Row row :
         {Row{0, 10, 10}, Row{2, 4, 4}, Row{8, 6, 2}, Row{10, 4, 0}, Row{99, 4, 0}}) {
        SCOPED_TRACE(row.offset);
        std::array<std::uint8_t, 16> buffer{};
        ASSERT_EQ(files->ReadFileAt(path, row.offset, buffer.data(), row.size), row.read);
        if (row.read > 0) {
            EXPECT_TRUE(
                std::equal(buffer.begin(), buffer.begin() + row.read, bytes.begin() + row.offset));
        }
    }
    std::array<std::uint8_t, 4> buffer{};
    EXPECT_EQ(files->ReadFileAt(path + ".gone", 0, buffer.data(), 4), -1);
    SecuritySummary rights;
    ASSERT_TRUE(files->ReadSecurity(path, rights));
    EXPECT_EQ(rights.owner.rfind("S-1-", 0), 0U) << rights.owner;
    // Its access entries, read as rows: a file made here is readable by other users and no more,
    // and its owner is trusted (an administrator here, the system folder's owner under Wine).
    SecuritySummary system;
    ASSERT_TRUE(files->ReadSecurity(files->SystemFolder(), system));
    const VeltTrust trust = TrustedAccounts(&system);
    const VeltPathPart facts = PartFacts(rights, trust);
    EXPECT_TRUE(facts.ownerTrusted) << rights.owner;
    EXPECT_NE(facts.untrustedRights & 0x1, 0U) << "others may read";
    EXPECT_EQ(facts.untrustedRights & VELT_MAY_MODIFY_RIGHTS, 0U) << facts.untrustedRights;
    for (const AccessEntry& entry : rights.entries) {
        EXPECT_EQ(entry.type, AceType{VELT_ACE_ALLOWED}) << entry.trustee;
        EXPECT_EQ(entry.trustee.rfind("S-1-", 0), 0U) << entry.trustee;
    }
    EXPECT_FALSE(files->ReadSecurity(path + ".gone", rights));
}

} // namespace velt::contract
