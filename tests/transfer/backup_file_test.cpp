// The backup file primitives: byte order of longs, words and records, in-place
// overwriting, progress reporting, the version check of a file, and how system
// errors are kept for the procedure.
#include "transfer/backup_file.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_event_pump.h"
#include "platform/fake/fake_port_io.h"
#include "platform/fake/fake_serial.h"
#include "tests/transfer/temp_dir.h"

namespace cv2 {
namespace {

using Bytes = std::vector<unsigned char>;
using testing::ReadAll;
using testing::TempDir;
using testing::WriteAll;

struct CountingProgress : ByteProgress {
    int bytes = 0;
    int calls = 0;
    void AddBytes(int n) override {
        bytes += n;
        ++calls;
    }
};

class BackupFileTest : public ::testing::Test {
protected:
    Bytes WrittenBy(const std::function<void(BackupFile&)>& write) {
        const std::string path = dir.File("out.CDF");
        BackupFile file(progress);
        EXPECT_TRUE(file.Open(path, BackupFile::Mode::ReadWrite));
        write(file);
        file.Close();
        EXPECT_FALSE(file.failed()) << file.errorText();
        return ReadAll(path);
    }
    BackupFile& Reading(const Bytes& content) {
        const std::string path = dir.File("in.CDF");
        WriteAll(path, content);
        EXPECT_TRUE(reader.Open(path, BackupFile::Mode::Read));
        return reader;
    }

    TempDir dir;
    CountingProgress progress;
    BackupFile reader{progress};
};

TEST_F(BackupFileTest, LongsAreBigEndian) {
    EXPECT_EQ(WrittenBy([](BackupFile& f) { f.PutLong(5); }), (Bytes{0x00, 0x00, 0x00, 0x05}));
    EXPECT_EQ(WrittenBy([](BackupFile& f) { f.PutLong(1200000123); }),
              (Bytes{0x47, 0x86, 0x8C, 0x7B}));
    EXPECT_EQ(Reading({0xFF, 0xFE, 0x00, 0x01}).GetLong(), 0xFFFE0001u);
}

TEST_F(BackupFileTest, WordsAreBigEndianAndReadBackUnsigned) {
    EXPECT_EQ(WrittenBy([](BackupFile& f) {
                  f.PutWord(0x01FF);
                  f.PutWord(0x0080);
                  f.PutWord(-1);
                  f.PutWord(-32768);
              }),
              (Bytes{0x01, 0xFF, 0x00, 0x80, 0xFF, 0xFF, 0x80, 0x00}));
    BackupFile& f = Reading({0x01, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(f.GetWord(), 511);
    EXPECT_EQ(f.GetWord(), 65535);
}

TEST_F(BackupFileTest, RecordTakesUpperPayloadHalfFirstThenLowerHalfReversed) {
    CommandBlock block;
    for (int i = 0; i < 20; ++i) block.CmdData[i] = static_cast<std::int16_t>(0xA0 + i);
    EXPECT_EQ(WrittenBy([&](BackupFile& f) { f.PutRecord(block); }),
              (Bytes{0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,  //
                     0xA7, 0xA6, 0xA5, 0xA4, 0xA3, 0xA2, 0xA1, 0xA0}));
}

TEST_F(BackupFileTest, GetRecordFillsRecordBufOneToSixteenAndLeavesEntryZero) {
    Bytes content(16);
    for (int i = 0; i < 16; ++i) content[i] = static_cast<unsigned char>(0xF0 + i);
    BackupFile& f = Reading(content);
    f.RecordBuf[0] = 77;
    f.GetRecord();
    EXPECT_EQ(f.RecordBuf[0], 77);
    for (int n = 1; n <= 16; ++n) EXPECT_EQ(f.RecordBuf[n], 0xF0 + n - 1) << n;
}

// A block read from the station, stored and read back, reaches the same
// command fields again on its way to the station.
TEST_F(BackupFileTest, RecordRoundTripsIntoTheSameCommandFields) {
    FakeClock clock;
    FakeEventPump pump(clock);
    FakeSerial serial(clock);
    FakePortIo io;
    FakeMessageBoxes boxes;
    Settings settings;
    Link link(serial, io, clock, pump, boxes, settings, ServiceKeyBytes{});
    Device device(link);
    for (int i = 0; i < 16; ++i) device.block().CmdData[i] = static_cast<std::int16_t>(i * 17);
    const Bytes bytes = WrittenBy([&](BackupFile& f) { f.PutRecord(device.block()); });

    BackupFile& f = Reading(bytes);
    f.GetRecord();
    device.block() = CommandBlock{};
    device.ScramblePayload(f.RecordBuf);
    device.DescramblePayload();  // take the key off again to compare the plain fields
    for (int i = 0; i < 16; ++i) EXPECT_EQ(device.block().CmdData[i], i * 17) << i;
}

TEST_F(BackupFileTest, EachPrimitiveReportsItsBytesToTheProgress) {
    CommandBlock block;
    WrittenBy([&](BackupFile& f) {
        f.PutLong(1);
        f.PutWord(2);
        f.PutRecord(block);
    });
    EXPECT_EQ(progress.bytes, 22);
    EXPECT_EQ(progress.calls, 3);
}

TEST_F(BackupFileTest, OverwritesFromTheStartAndKeepsTheTailOfALongerFile) {
    const std::string path = dir.File("old.CDF");
    WriteAll(path, Bytes(10, 0x11));
    BackupFile file(progress);
    ASSERT_TRUE(file.Open(path, BackupFile::Mode::ReadWrite));
    file.PutLong(0x01020304);
    file.Close();
    EXPECT_EQ(ReadAll(path), (Bytes{1, 2, 3, 4, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11}));
}

TEST_F(BackupFileTest, ReadingPastTheEndGivesZeroBytesAndIsNoted) {
    BackupFile& f = Reading({0x12, 0x34});
    EXPECT_EQ(f.GetLong(), 0x12340000u);
    EXPECT_TRUE(f.readPastEnd());
    EXPECT_FALSE(f.failed());
}

TEST_F(BackupFileTest, AnUnwritablePathNamesTheFileAndTheReason) {
    BackupFile file(progress);
    const std::string path = dir.File("missing-folder/x.CDF");
    EXPECT_FALSE(file.Open(path, BackupFile::Mode::ReadWrite));
    EXPECT_TRUE(file.failed());
    EXPECT_EQ(file.errorText(),
              "Die Datei " + path + " kann nicht geschrieben werden: No such file or directory");
}

TEST_F(BackupFileTest, AFullDiskIsReportedAtTheLatestWhenClosing) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    BackupFile file(progress);
    ASSERT_TRUE(file.Open("/dev/full", BackupFile::Mode::ReadWrite));
    for (int i = 0; i < 10; ++i) file.PutLong(5);
    file.Close();
    EXPECT_TRUE(file.failed());
    EXPECT_EQ(file.errorText(),
              "Die Datei /dev/full kann nicht geschrieben werden: No space left on device");
}

TEST_F(BackupFileTest, AFullDiskStopsWritingOnceTheBufferSpills) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    BackupFile file(progress);
    ASSERT_TRUE(file.Open("/dev/full", BackupFile::Mode::ReadWrite));
    CommandBlock block;
    for (int i = 0; i < 4096 && !file.failed(); ++i) file.PutRecord(block);
    EXPECT_TRUE(file.failed());
}

TEST(CheckFileVersion, TenWordsOfFiveAreValid) {
    TempDir dir;
    Bytes content;
    for (int i = 0; i < 10; ++i) content.insert(content.end(), {0, 0, 0, 5});
    WriteAll(dir.File("v.CDF"), content);
    CountingProgress progress;
    BackupFile file(progress);
    ASSERT_TRUE(file.Open(dir.File("v.CDF"), BackupFile::Mode::Read));
    StatusCode Status = 99;
    CheckFileVersion(file, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(progress.bytes, 40);
}

TEST(CheckFileVersion, StopsAtTheFirstWrongWordWithoutReadingFurther) {
    TempDir dir;
    // Serial number, then a first version word of 4.
    Bytes content = {0x47, 0x86, 0x8C, 0x7B, 0, 0, 0, 4};
    for (int i = 1; i < 10; ++i) content.insert(content.end(), {0, 0, 0, 5});
    WriteAll(dir.File("v.CDF"), content);
    CountingProgress progress;
    BackupFile file(progress);
    ASSERT_TRUE(file.Open(dir.File("v.CDF"), BackupFile::Mode::Read));
    file.GetLong();
    StatusCode Status = 0;
    CheckFileVersion(file, Status);
    EXPECT_EQ(Status, 140099);
    EXPECT_EQ(progress.bytes, 8);
    EXPECT_EQ(file.GetLong(), 5u);  // the next word is still unread
}

}  // namespace
}  // namespace cv2
