// The FS module protocol against a scripted module: request bytes, retries
// and their time limits, the failure codes, and the backup and restore of the
// module's entries with empty, ended and full groups.
#include "transfer/fs_module.h"

#include <gtest/gtest.h>

#include "tests/transfer/fs_peer.h"
#include "tests/transfer/temp_dir.h"

namespace cv2 {
namespace {

using Bytes = std::vector<unsigned char>;
using testing::FsRequest;
using testing::FsRig;

Bytes AsBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

class FsModuleTest : public ::testing::Test, protected FsRig {
protected:
    struct NoProgress : ByteProgress {
        void AddBytes(int) override {}
    } progress;
    testing::TempDir dir;
};

TEST_F(FsModuleTest, ProgrammingOnGoesOutEncodedAndReturnsTheModulesKey) {
    std::int32_t K = 65535;
    StatusCode Status = -1;
    FsProgOn(device, 6541, K, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(K, 0x1234);
    ASSERT_EQ(serial.writes.size(), 1u);
    EXPECT_EQ(AsBytes(serial.writes[0]), (Bytes{0xED, 0x0F, 0x08, 0x05, 0x00, 0x21, 0x71, 0x0D,
                                                0x19, 0x00, 0x00, 0x7F, 0x7F, 0x00, 0x54}));
}

TEST_F(FsModuleTest, EncodingMovesBitSevenOfEachHighPositionIntoPositionSix) {
    FsFrameArray frame = {0xED, 0x0F, 0x08, 0x05, 0x00, 0x20, 0,
                          0x8D, 0x19, 0x85, 0x07, 0xFF, 0xFF, 0x00};
    FsEncodeFrame(frame);
    EXPECT_EQ(frame, (FsFrameArray{0xED, 0x0F, 0x08, 0x05, 0x00, 0x20, 0x35, 0x0D, 0x19, 0x05, 0x07,
                                   0x7F, 0x7F, 0x00}));
}

TEST_F(FsModuleTest, ASilentModuleCostsTenAttemptsOfTwoTenthsOfASecond) {
    peer.silent = true;
    std::int32_t K = 65535;
    StatusCode Status = 0;
    const double start = clock.Now();
    FsProgOn(device, 6541, K, Status);
    EXPECT_EQ(Status, 300031);
    EXPECT_EQ(peer.requests.size(), 10u);
    EXPECT_GT(clock.Now() - start, 2.0);
    EXPECT_LT(clock.Now() - start, 2.2);
    EXPECT_EQ(K, 65535);
}

TEST_F(FsModuleTest, ProgrammingOnIgnoresAnotherAddressAndABusyReply) {
    peer.wrongAddressReplies = 2;
    std::int32_t K = 65535;
    StatusCode Status = 0;
    FsProgOn(device, 6541, K, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(peer.requests.size(), 3u);

    FsRig other;
    other.peer.progOnBusyReplies = 9;
    K = 65535;
    FsProgOn(other.device, 6541, K, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(other.peer.requests.size(), 10u);
}

TEST_F(FsModuleTest, ATransmitterFailureEndsProgrammingOnWithItsCodeAndReadWithout) {
    serial.failOutput = true;
    std::int32_t K = 65535, v = 0;
    StatusCode Status = 0;
    FsProgOn(device, 6541, K, Status);
    EXPECT_EQ(Status, 301012);
    FsReadEntry(device, 6541, 5, v, Status);
    EXPECT_EQ(Status, 1012);
    EXPECT_TRUE(peer.requests.empty());
}

TEST_F(FsModuleTest, ReadReturnsTheEntrySigned) {
    peer.entries = {{5, 0xFFFF}, {6, 0x8000}, {7, 0x7FFF}};
    std::int32_t v = 0;
    StatusCode Status = -1;
    FsReadEntry(device, 6541, 5, v, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(v, -1);
    FsReadEntry(device, 6541, 6, v, Status);
    EXPECT_EQ(v, -32768);
    FsReadEntry(device, 6541, 7, v, Status);
    EXPECT_EQ(v, 32767);
    EXPECT_EQ(peer.requests[0].entry, 5);
}

TEST_F(FsModuleTest, AReplyForAnotherEntryIsRepeated) {
    peer.entries = {{1000, 300}};
    peer.wrongEntryReplies = 1;
    std::int32_t v = 0;
    StatusCode Status = 0;
    FsReadEntry(device, 6541, 1000, v, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(v, 300);
    EXPECT_EQ(peer.requests.size(), 2u);
}

TEST_F(FsModuleTest, TenRepliesForAnotherEntryFailTheRead) {
    peer.wrongEntryReplies = 100;
    std::int32_t v = 0;
    StatusCode Status = 0;
    FsReadEntry(device, 6541, 5, v, Status);
    EXPECT_EQ(Status, 310031);
    EXPECT_EQ(peer.requests.size(), 10u);
}

TEST_F(FsModuleTest, WriteSendsTheValueAndAcceptsOnlyAcknowledge7F) {
    StatusCode Status = -1;
    FsWriteEntry(device, 6541, 30, 0xFFFF, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(peer.entries[30], 0xFFFF);
    // 0xFF, 0xFF travel as 0x7F, 0x7F with bits 4 and 5 of position 6 set.
    const Bytes sent = AsBytes(serial.writes.back());
    EXPECT_EQ(sent[5], 0x20);
    EXPECT_EQ(sent[11], 0x7F);
    EXPECT_EQ(sent[12], 0x7F);
    EXPECT_EQ(sent[6] & 0x30, 0x30);

    peer.writeAck = 0x00;
    FsWriteEntry(device, 6541, 31, 1, Status);
    EXPECT_EQ(Status, 320032);
    EXPECT_EQ(peer.requests.size(), 2u);  // a refusal is not retried
}

TEST_F(FsModuleTest, AnUnacknowledgedWriteFailsAfterTenAttempts) {
    peer.silent = true;
    StatusCode Status = 0;
    const double start = clock.Now();
    FsWriteEntry(device, 6541, 5, 1, Status);
    EXPECT_EQ(Status, 320031);
    EXPECT_EQ(peer.requests.size(), 10u);
    EXPECT_GT(clock.Now() - start, 5.0);
}

TEST_F(FsModuleTest, ProgrammingOffWaitsForItsEchoAtMostThreeSeconds) {
    StatusCode Status = -1;
    FsProgOff(device, 6541, 0x1234, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_TRUE(peer.requests.back().progOff());
    EXPECT_EQ(peer.requests.back().value, 0x1234);

    peer.silent = true;
    const double start = clock.Now();
    FsProgOff(device, 6541, 0x1234, Status);
    EXPECT_EQ(Status, 330013);
    EXPECT_GT(clock.Now() - start, 3.0);
}

TEST_F(FsModuleTest, KeyQueryIsProgrammingOnThenOff) {
    std::int32_t key = -1;
    StatusCode Status = -1;
    ReadFsModuleKey(device, key, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(key, 0x1234);
    ASSERT_EQ(peer.requests.size(), 2u);
    EXPECT_TRUE(peer.requests[0].progOn());
    EXPECT_TRUE(peer.requests[1].progOff());
    EXPECT_EQ(peer.requests[1].value, 0x1234);
}

// Group 0 empty, group 1 ended after two entries, group 2 full, the rest empty.
TEST_F(FsModuleTest, BackupWritesEmptyEndedAndFullGroupsAndReadsOnlyWhatItNeeds) {
    peer.entries[30] = 300;
    peer.entries[31] = 8;
    peer.entries[32] = 77;  // behind the end mark: never read
    for (int i = 0; i < 25; ++i) peer.entries[55 + i] = i == 3 ? 0xFFFF : 1000 + i;
    const std::string path = dir.File("fs.CDF");
    BackupFile file(progress);
    ASSERT_TRUE(file.Open(path, BackupFile::Mode::ReadWrite));
    StatusCode Status = -1;
    BackupFsModule(device, file, Status);
    file.Close();
    EXPECT_EQ(Status, 0);

    const Bytes bytes = testing::ReadAll(path);
    ASSERT_EQ(bytes.size(), 4000u);
    auto word = [&](int g, int k) {
        return bytes[50 * g + 2 * k] << 8 | bytes[50 * g + 2 * k + 1];
    };
    for (int k = 0; k < 25; ++k) EXPECT_EQ(word(0, k), 0) << k;
    EXPECT_EQ(word(1, 0), 300);
    for (int k = 1; k < 25; ++k) EXPECT_EQ(word(1, k), 8) << k;
    for (int k = 0; k < 25; ++k) EXPECT_EQ(word(2, k), k == 3 ? 0xFFFF : 1000 + k) << k;

    // 78 empty groups with one read each, 2 reads for the ended group, 25 for the full one.
    EXPECT_EQ(peer.Count(&FsRequest::read), 78 + 2 + 25);
    EXPECT_TRUE(peer.requests.front().progOn());
    EXPECT_TRUE(peer.requests.back().progOff());
}

TEST_F(FsModuleTest, ASilentModuleLeavesNothingInTheFile) {
    peer.silent = true;
    const std::string path = dir.File("fs.CDF");
    BackupFile file(progress);
    ASSERT_TRUE(file.Open(path, BackupFile::Mode::ReadWrite));
    StatusCode Status = 0;
    BackupFsModule(device, file, Status);
    file.Close();
    EXPECT_EQ(Status, 300031);
    EXPECT_TRUE(testing::ReadAll(path).empty());
}

TEST_F(FsModuleTest, AFailedReadKeepsItsCodeAndStillSwitchesProgrammingOff) {
    peer.entries[5] = 1;
    BackupFile file(progress);
    ASSERT_TRUE(file.Open(dir.File("fs.CDF"), BackupFile::Mode::ReadWrite));
    // Entry 6 is never answered correctly.
    serial.onOutput = [&, inner = serial.onOutput](const std::string& bytes) {
        if (testing::DecodeFsRequest(bytes).entry == 6) peer.wrongEntryReplies = 1;
        inner(bytes);
    };
    StatusCode Status = 0;
    BackupFsModule(device, file, Status);
    EXPECT_EQ(Status, 310031);
    EXPECT_TRUE(peer.requests.back().progOff());
}

TEST_F(FsModuleTest, RestoreWritesEveryWordOfUsedGroupsAndOneOfEmptyOnes) {
    Bytes content(4000, 0);
    auto put = [&](int g, int k, int v) {
        content[50 * g + 2 * k] = static_cast<unsigned char>(v >> 8);
        content[50 * g + 2 * k + 1] = static_cast<unsigned char>(v);
    };
    put(1, 0, 300);
    for (int k = 1; k < 25; ++k) put(1, k, 8);
    put(2, 0, 0xFFFF);
    put(0, 5, 99);  // behind an empty first entry: read and dropped
    const std::string path = dir.File("in.CDF");
    testing::WriteAll(path, content);
    BackupFile file(progress);
    ASSERT_TRUE(file.Open(path, BackupFile::Mode::Read));
    StatusCode Status = -1;
    RestoreFsModule(device, file, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(peer.Count(&FsRequest::write), 78 + 25 + 25);
    EXPECT_EQ(peer.entries[31], 8);
    EXPECT_EQ(peer.entries[54], 8);
    EXPECT_EQ(peer.entries[55], 0xFFFF);
    EXPECT_EQ(peer.entries.count(10), 0u);
    EXPECT_TRUE(peer.requests.back().progOff());
    EXPECT_FALSE(file.readPastEnd());
}

TEST_F(FsModuleTest, ARefusedWriteEndsTheRestoreAndSwitchesProgrammingOff) {
    testing::WriteAll(dir.File("in.CDF"), Bytes(4000, 0));
    BackupFile file(progress);
    ASSERT_TRUE(file.Open(dir.File("in.CDF"), BackupFile::Mode::Read));
    peer.writeAck = 0x01;
    StatusCode Status = 0;
    RestoreFsModule(device, file, Status);
    EXPECT_EQ(Status, 320032);
    EXPECT_EQ(peer.Count(&FsRequest::write), 1);
    EXPECT_TRUE(peer.requests.back().progOff());
}

}  // namespace
}  // namespace cv2
