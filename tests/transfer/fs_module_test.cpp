// The FS module's entries moved into a backup file and back, with empty,
// ended and full groups, and a read that fails on the way.
#include "transfer/fs_module.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/transfer/station_rig.h"

namespace cv2 {
namespace {

using station::Request;
using testing::Bytes;

class FsModuleTest : public ::testing::Test, protected testing::StationRig {
protected:
    FsModuleTest() { OpenPort(); }
    StatusCode Status = -1;
};

TEST_F(FsModuleTest, AFailingReadEndsTheBackupWithItsCodeAfterProgrammingOff) {
    for (int e = 5; e <= 9; ++e) memory().SetFsEntry(e, 100 + e);
    // From the fourth read on the module is silent and its frames come back
    // without echo, so programming off fails as well, on its own status.
    serial.onOutput = [this, forward = serial.onOutput](const std::string& bytes) {
        if (station().Count(Request::FsReadEntry) == 3) {
            station().options().faults.silentFsModule = true;
            station().options().faults.missingEcho = true;
        }
        forward(bytes);
    };
    ASSERT_TRUE(file.Open(path));
    BackupFsModule(device, file, Status);
    EXPECT_EQ(Status, 310031);
    EXPECT_EQ(station().Count(Request::FsReadEntry), 3 + 10);
    EXPECT_EQ(station().Count(Request::FsProgOff), 1);
    EXPECT_FALSE(station().fsProgramming());
    EXPECT_EQ(Written(), (Bytes{0, 105, 0, 106, 0, 107}));
}

TEST_F(FsModuleTest, BackupReadsOnlyWhatTheGroupsNeedAndRestoreWritesItBack) {
    for (int e = 5; e <= 2004; ++e) memory().SetFsEntry(e, 0);
    memory().SetFsEntry(30, 300);  // group 1 ends after two entries
    memory().SetFsEntry(31, 8);
    memory().SetFsEntry(32, 77);
    for (int e = 55; e < 80; ++e) memory().SetFsEntry(e, e == 58 ? 0xFFFF : 1000 + e);
    // Group 3 starts with 8, which does not end it; the 8 in its third entry does.
    for (int e = 80; e < 84; ++e) memory().SetFsEntry(e, std::array{8, 5, 8, 9}[e - 80]);
    ASSERT_TRUE(file.Open(path));
    BackupFsModule(device, file, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(station().Count(Request::FsReadEntry), 77 + 2 + 25 + 3);
    EXPECT_FALSE(station().fsProgramming());

    const Bytes bytes = Written();
    const Bytes image = sim.ExpectedBackup();
    EXPECT_EQ(bytes, Bytes(image.end() - 4000, image.end()));
    EXPECT_EQ(Bytes(bytes.begin() + 50, bytes.begin() + 56), (Bytes{0x01, 0x2C, 0, 8, 0, 8}));
    EXPECT_EQ(bytes[100 + 7], 0xFF);
    EXPECT_EQ(Bytes(bytes.begin() + 150, bytes.begin() + 158), (Bytes{0, 8, 0, 5, 0, 8, 0, 8}));

    // Into another station: the same groups come out of it again.
    station::StationOptions other = testing::InstantStation();
    other.seed = 2;
    testing::StationRig target(other);
    target.OpenPort();
    Bytes read = bytes;
    file.OpenMemory(read);
    RestoreFsModule(target.device, file, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(target.station().Count(Request::FsWriteEntry), 77 + 3 * 25);
    const Bytes restored = target.sim.ExpectedBackup();
    EXPECT_EQ(Bytes(restored.end() - 4000, restored.end()), bytes);
}

}  // namespace
}  // namespace cv2
