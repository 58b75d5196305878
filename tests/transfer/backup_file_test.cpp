// The backup file primitives: byte order of longs, words and records, the
// version check of a file, and reading past the end.
#include "transfer/backup_file.h"

#include <gtest/gtest.h>

#include "tests/transfer/station_rig.h"

namespace cv2 {
namespace {

using testing::Bytes;

class BackupFileTest : public ::testing::Test, protected testing::StationRig {
protected:
    BackupFile& Open(BackupFile::Mode mode) {
        EXPECT_TRUE(file.Open(path, mode));
        return file;
    }
};

TEST_F(BackupFileTest, FieldsAreWrittenBigEndianAndRecordsInBlockOrder) {
    for (int i = 0; i < 16; ++i) device.block().CmdData[i] = static_cast<std::int16_t>(0xA0 + i);
    Open(BackupFile::Mode::ReadWrite);
    file.PutLong(5);
    file.PutLong(1200000123);
    file.PutWord(0x01FF);
    file.PutWord(0x0080);
    file.PutWord(-1);
    file.PutRecord(device.block());
    EXPECT_EQ(Written(), (Bytes{0,    0,    0,    5,    0x47, 0x86, 0x8C, 0x7B,
                                0x01, 0xFF, 0x00, 0x80, 0xFF, 0xFF,              //
                                0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,  //
                                0xA7, 0xA6, 0xA5, 0xA4, 0xA3, 0xA2, 0xA1, 0xA0}));
    EXPECT_EQ(progress.bytes, 4 + 4 + 2 + 2 + 2 + 16);

    // Read back: words unsigned, the record into RecordBuf(1..16) and from
    // there into the command fields it came from.
    Open(BackupFile::Mode::Read);
    EXPECT_EQ(file.GetLong(), 5u);
    EXPECT_EQ(file.GetLong(), 1200000123u);
    EXPECT_EQ(file.GetWord(), 511);
    EXPECT_EQ(file.GetWord(), 0x80);
    EXPECT_EQ(file.GetWord(), 65535);
    file.RecordBuf[0] = 77;
    file.GetRecord();
    EXPECT_EQ(file.RecordBuf[0], 77);
    device.block() = CommandBlock{};
    device.ScramblePayload(file.RecordBuf);
    device.DescramblePayload();  // the key off again, to compare the plain fields
    for (int i = 0; i < 16; ++i) EXPECT_EQ(device.block().CmdData[i], 0xA0 + i) << i;
    EXPECT_FALSE(file.readPastEnd());
    file.GetWord();
    EXPECT_TRUE(file.readPastEnd());
}

TEST_F(BackupFileTest, TheVersionCheckStopsAtTheFirstWrongWord) {
    Bytes content = {0x47, 0x86, 0x8C, 0x7B, 0, 0, 0, 4};
    for (int i = 1; i < 10; ++i) content.insert(content.end(), {0, 0, 0, 5});
    testing::WriteAll(path, content);
    Open(BackupFile::Mode::Read).GetLong();
    StatusCode Status = 0;
    CheckFileVersion(file, Status);
    EXPECT_EQ(Status, 140099);
    EXPECT_EQ(progress.bytes, 8);

    content[7] = 5;
    testing::WriteAll(path, content);
    Open(BackupFile::Mode::Read).GetLong();
    CheckFileVersion(file, Status);
    EXPECT_EQ(Status, 0);
}

}  // namespace
}  // namespace cv2
