// The FS module protocol against the simulated station's module: request
// bytes, retries and their time limits, failure codes, and the entries moved
// into a backup file and back with empty, ended and full groups.
#include "transfer/fs_module.h"

#include <gtest/gtest.h>

#include "tests/transfer/station_rig.h"

namespace cv2 {
namespace {

using station::Request;
using testing::Bytes;

class FsModuleTest : public ::testing::Test, protected testing::StationRig {
protected:
    FsModuleTest() { OpenPort(); }
    // The next `count` read requests reach the module asking for the entry
    // after the one the program named, so the reply echoes another entry.
    void AskForTheNextEntry(int count) {
        serial.onOutput = [this, count, station = serial.onOutput](std::string bytes) mutable {
            if (count > 0 && bytes.size() == 15 && static_cast<unsigned char>(bytes[0]) == 0xED &&
                bytes[5] == 0x21 && bytes[13] == 0 && (bytes[6] & 0x40) == 0) {
                --count;
                const char old = bytes[9];
                bytes[9] = static_cast<char>(old + 1);
                bytes[14] = static_cast<char>(bytes[14] ^ old ^ bytes[9]);
            }
            station(bytes);
        };
    }
    StatusCode Status = -1;
    std::int32_t K = 65535, v = 0;
};

TEST_F(FsModuleTest, ProgrammingOnGoesOutEncodedAndBringsTheModulesKey) {
    FsProgOn(device, 6541, K, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(K, memory().fsKey);
    ASSERT_EQ(serial.writes.size(), 1u);
    EXPECT_EQ(Bytes(serial.writes[0].begin(), serial.writes[0].end()),
              (Bytes{0xED, 0x0F, 0x08, 0x05, 0x00, 0x21, 0x71, 0x0D, 0x19, 0x00, 0x00, 0x7F, 0x7F,
                     0x00, 0x54}));
    // The key query leaves programming mode again.
    std::int32_t key = 0;
    ReadFsModuleKey(device, key, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(key, memory().fsKey);
    EXPECT_FALSE(station().fsProgramming());
}

TEST_F(FsModuleTest, AReplyForAnotherEntryIsNoReply) {
    memory().SetFsEntry(1000, 0xFFFF);
    FsProgOn(device, 6541, K, Status);
    AskForTheNextEntry(1);
    FsReadEntry(device, 6541, 1000, v, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(v, -1);
    EXPECT_EQ(station().Count(Request::FsReadEntry), 2);

    AskForTheNextEntry(100);
    FsReadEntry(device, 6541, 1000, v, Status);
    EXPECT_EQ(Status, 310031);
    EXPECT_EQ(station().Count(Request::FsReadEntry), 12);
}

TEST_F(FsModuleTest, FailureCodesOfASilentModuleTheTransmitterTheWriteAndProgrammingOff) {
    // A silent module costs ten attempts of two tenths of a second.
    station().options().faults.silentFsModule = true;
    double start = clock.Now();
    FsProgOn(device, 6541, K, Status);
    EXPECT_EQ(Status, 300031);
    EXPECT_EQ(station().Count(Request::FsProgOn), 10);
    EXPECT_GT(clock.Now() - start, 2.0);
    EXPECT_LT(clock.Now() - start, 2.1);
    station().options().faults.silentFsModule = false;

    serial.failOutput = true;
    FsProgOn(device, 6541, K, Status);
    EXPECT_EQ(Status, 301012);
    FsReadEntry(device, 6541, 5, v, Status);
    EXPECT_EQ(Status, 1012);
    serial.failOutput = false;

    FsProgOn(device, 6541, K, Status);
    station().options().faults.refuseWrite = 1;
    FsWriteEntry(device, 6541, 5, 1, Status);
    EXPECT_EQ(Status, 320032);
    EXPECT_EQ(station().Count(Request::FsWriteEntry), 1);  // a refusal is not retried

    station().options().faults.missingEcho = true;
    start = clock.Now();
    FsProgOff(device, 6541, K, Status);
    EXPECT_EQ(Status, 330013);
    EXPECT_GT(clock.Now() - start, 3.0);
}

TEST_F(FsModuleTest, BackupReadsOnlyWhatTheGroupsNeedAndRestoreWritesItBack) {
    for (int e = 5; e <= 2004; ++e) memory().SetFsEntry(e, 0);
    memory().SetFsEntry(30, 300);  // group 1 ends after two entries
    memory().SetFsEntry(31, 8);
    memory().SetFsEntry(32, 77);
    for (int e = 55; e < 80; ++e) memory().SetFsEntry(e, e == 58 ? 0xFFFF : 1000 + e);
    ASSERT_TRUE(file.Open(path, BackupFile::Mode::ReadWrite));
    BackupFsModule(device, file, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(station().Count(Request::FsReadEntry), 78 + 2 + 25);
    EXPECT_FALSE(station().fsProgramming());

    const Bytes bytes = Written();
    const Bytes image = sim.ExpectedBackup();
    EXPECT_EQ(bytes, Bytes(image.end() - 4000, image.end()));
    EXPECT_EQ(Bytes(bytes.begin() + 50, bytes.begin() + 56), (Bytes{0x01, 0x2C, 0, 8, 0, 8}));
    EXPECT_EQ(bytes[100 + 7], 0xFF);

    // Into another station: the same groups come out of it again.
    station::StationOptions other = testing::InstantStation();
    other.seed = 2;
    testing::StationRig target(other);
    target.OpenPort();
    ASSERT_TRUE(file.Open(path, BackupFile::Mode::Read));
    RestoreFsModule(target.device, file, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(target.station().Count(Request::FsWriteEntry), 78 + 25 + 25);
    const Bytes restored = target.sim.ExpectedBackup();
    EXPECT_EQ(Bytes(restored.end() - 4000, restored.end()), bytes);
}

}  // namespace
}  // namespace cv2
