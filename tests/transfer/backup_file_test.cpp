// The backup file: byte order of longs, words and records, the version check,
// and a backup that takes the file's place only when it is complete (the old
// file whole until then, behind links too, against a second writer).
#include "transfer/backup_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "tests/transfer/station_rig.h"

namespace cv2 {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ReadAll;

class BackupFileTest : public ::testing::Test, protected testing::StationRig {
protected:
    std::string Staging(const std::string& file) const { return StagedFile::StagingName(file); }
};

TEST_F(BackupFileTest, FieldsAreWrittenBigEndianAndRecordsInBlockOrder) {
    for (int i = 0; i < 16; ++i) device.block().CmdData[i] = static_cast<std::int16_t>(0xA0 + i);
    ASSERT_TRUE(file.Open(path));
    file.PutLong(5);
    file.PutLong(1200000123);
    file.PutWord(0x01FF);
    file.PutWord(0x0080);
    file.PutWord(-1);
    file.PutRecord(device.block());
    Bytes written = Written();
    EXPECT_EQ(written, (Bytes{0,    0,    0,    5,    0x47, 0x86, 0x8C, 0x7B,
                              0x01, 0xFF, 0x00, 0x80, 0xFF, 0xFF,              //
                              0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,  //
                              0xA7, 0xA6, 0xA5, 0xA4, 0xA3, 0xA2, 0xA1, 0xA0}));
    EXPECT_EQ(progress.bytes, 4 + 4 + 2 + 2 + 2 + 16);

    // Read back: words unsigned, the record into RecordBuf(1..16) and from
    // there into the command fields it came from.
    file.OpenMemory(written);
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
    // Reading on past the end fails the run instead of making up bytes.
    EXPECT_FALSE(file.failed());
    file.GetWord();
    EXPECT_TRUE(file.failed());
}

TEST_F(BackupFileTest, TheVersionCheckStopsAtTheFirstWrongWord) {
    Bytes content = {0x47, 0x86, 0x8C, 0x7B, 0, 0, 0, 4};
    for (int i = 1; i < 10; ++i) content.insert(content.end(), {0, 0, 0, 5});
    file.OpenMemory(content);
    file.GetLong();
    StatusCode Status = 0;
    CheckFileVersion(file, Status);
    EXPECT_EQ(Status, 140099);
    EXPECT_EQ(progress.bytes, 8);

    content[7] = 5;
    EXPECT_EQ(CheckImageVersion(content), 0);
    content[43] = 6;  // the last word
    EXPECT_EQ(CheckImageVersion(content), 140099);
    content.resize(20);  // words missing count as not valid
    EXPECT_EQ(CheckImageVersion(content), 140099);
}

TEST_F(BackupFileTest, TheOldFileStaysWholeUntilTheNewOneIsCommitted) {
    // One byte past the copy's whole 64 KiB reads: the last byte comes alone.
    Bytes old(64 * 1024 + 1);
    for (std::size_t i = 0; i < old.size(); ++i) old[i] = static_cast<unsigned char>(i % 251);
    testing::WriteAll(path, old);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(file.Open(path));
    file.PutLong(0x01020304);
    EXPECT_TRUE(fs::exists(Staging(path)));
    // Not committed: the file is as it was and no work copy is left.
    file.Close();
    EXPECT_EQ(testing::ReadAll(path), old);
    EXPECT_FALSE(fs::exists(Staging(path)));
    // A program that ends at once removes the work copy of its run in progress,
    // and only that: once the run is over, a file under that name is not its own.
    ASSERT_TRUE(file.Open(path));
    StagedFile::DiscardAllNow();
#ifndef _WIN32  // there it goes once the ending program's handle is closed
    EXPECT_FALSE(fs::exists(Staging(path)));
#endif
    file.Close();
    testing::WriteAll(Staging(path), Bytes(500, 0x99));
    StagedFile::DiscardAllNow();
    EXPECT_TRUE(fs::exists(Staging(path)));

    // That work copy, as a killed run leaves it, is taken over, and a committed
    // run keeps the old file's tail and permissions.
    ASSERT_TRUE(file.Open(path));
    file.PutLong(0x01020304);
    EXPECT_TRUE(file.Commit());
    Bytes expected = old;
    std::copy_n(Bytes{1, 2, 3, 4}.begin(), 4, expected.begin());
    EXPECT_EQ(testing::ReadAll(path), expected);
    EXPECT_FALSE(fs::exists(Staging(path)));
#ifndef _WIN32  // no group permissions there
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
}

#ifndef _WIN32
TEST_F(BackupFileTest, ALinkKeepsPointingWhereItDidAndItsTargetGetsTheBackup) {
    const std::string target = dir.File("ziel.CDF");
    const std::string link = dir.File("link.CDF");
    fs::create_symlink("ziel.CDF", link);  // relative, as users make them
    for (bool existed : {false, true}) {
        SCOPED_TRACE(existed ? "existing target" : "dangling link");
        ASSERT_TRUE(file.Open(link));
        file.PutLong(existed ? 7 : 6);
        EXPECT_TRUE(file.Commit());
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(testing::ReadAll(target),
                  (Bytes{0, 0, 0, static_cast<unsigned char>(existed ? 7 : 6)}));
        EXPECT_FALSE(fs::exists(Staging(target)) || fs::exists(Staging(link)));
    }
}
#endif

#ifndef _WIN32
// Runs f as an ordinary user: root may read any file, a user may not.
void AsOrdinaryUser(const std::function<void()>& f) {
    if (::geteuid() != 0) return f();
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        const bool dropped = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
        if (dropped) f();
        std::_Exit(dropped ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A refusal names what cannot be done, not a cause that is not there: a file
// that exists but has no room for a work copy beside it, a file that may be
// written but not read (the work copy begins as its copy).
TEST_F(BackupFileTest, ARefusalNamesItsTrueCause) {
    if (fs::is_regular_file("/proc/version")) {
        BackupFile system(progress);
        EXPECT_FALSE(system.Open("/proc/version"));
        EXPECT_EQ(
            system.errorText(),
            ::geteuid() == 0
                ? "Die Datei /proc/version kann nicht geschrieben werden: die Arbeitskopie, "
                  "in die die Sicherung bis zu ihrem Ende geht, kann im Ordner /proc nicht "
                  "angelegt werden (Datei oder Ordner gibt es nicht)"
                : "Die Datei /proc/version kann nicht geschrieben werden: keine Berechtigung");
    }
    fs::permissions(dir.path, fs::perms::all);
    const std::string own = dir.File("eigen.CDF"), result = dir.File("text");
    AsOrdinaryUser([&] {
        testing::WriteAll(own, Bytes(10, 1));
        fs::permissions(own, fs::perms::owner_write);
        BackupFile writeOnly(progress);
        const bool opened = writeOnly.Open(own);
        testing::WriteText(result, opened ? "geöffnet" : writeOnly.errorText());
    });
    const Bytes text = ReadAll(result);
    EXPECT_EQ(std::string(text.begin(), text.end()),
              "Die Datei " + own +
                  " kann nicht geschrieben werden: sie selbst kann nicht gelesen werden (keine "
                  "Berechtigung), und die Sicherung beginnt als Kopie von ihr, damit sie bis zum "
                  "Ende unverändert bleibt");
    EXPECT_FALSE(fs::exists(Staging(own)));
}
#endif

TEST_F(BackupFileTest, ASecondBackupIntoTheSameFileIsRefusedWhileTheFirstRuns) {
    testing::WriteAll(path, Bytes(10, 1));
    ASSERT_TRUE(file.Open(path));
    BackupFile second(progress);
    EXPECT_FALSE(second.Open(path));
    EXPECT_EQ(second.errorText(), "Die Datei " + path +
                                      " kann nicht geschrieben werden: eine andere Sicherung "
                                      "schreibt gerade in diese Datei");
    // The refusal leaves the first run's work copy alone.
    file.PutLong(3);
    EXPECT_TRUE(file.Commit());
    EXPECT_EQ(testing::ReadAll(path), (Bytes{0, 0, 0, 3, 1, 1, 1, 1, 1, 1}));
    EXPECT_TRUE(second.Open(path));
}

}  // namespace
}  // namespace cv2
