// The backup file: a fixed-layout byte stream written and read strictly front
// to back by six primitives (long, word, record in both directions), each of
// which reports its bytes to the progress display. Also holds RecordBuf, the
// last record read on its way to the station.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "device/device.h"
#include "device/status.h"
#include "platform/staged_file.h"
#include "platform/system_reason.h"
#include "transfer/byte_progress.h"
#include "transfer/file_layout.h"

namespace cv2 {

// Version words behind the serial number, and the value each must hold.
constexpr int kVersionWordCount = SectionOf(SectionKind::VersionWords).perPage;
constexpr std::uint32_t kDatabaseVersion = 5;
// A version word of the backup file is not the expected one.
constexpr StatusCode kFileVersionInvalid =
    Code(Step::FileVersion, Kind::None, Detail::InvalidVersion);

class BackupFile {
public:
    explicit BackupFile(ByteProgress& progress) : progress_(progress) {}
    ~BackupFile() { Close(); }
    BackupFile(const BackupFile&) = delete;
    BackupFile& operator=(const BackupFile&) = delete;

    // Opens path for a backup, writing from offset 0 into a work copy beside
    // it: the file keeps what it held until Commit(). False when the system
    // refuses; failed() and errorText() then say so.
    bool Open(const std::string& path);
    // Opens an image in memory at offset 0 in place of a file: writes overwrite
    // or append to it, reads take from it. The image must outlive the opening.
    void OpenMemory(std::vector<std::uint8_t>& image);
    // Puts everything written in the file's place. False when anything failed
    // so far or now (a full disk may show only here); the file is then as it
    // was before Open.
    bool Commit();
    // Closes without committing: a file keeps what it held before Open.
    void Close();
    bool isOpen() const { return staged_.stream() != nullptr || image_ != nullptr; }

    // The primitives: each transfers at the current position, then adds its byte
    // count to the progress display. They report no status; a system error is
    // kept in failed() for the procedure to test after each step.
    void PutLong(std::uint32_t value);
    std::uint32_t GetLong();
    void PutWord(std::int32_t value);
    std::int32_t GetWord();
    // Writes CmdData 8..15, then CmdData 7 down to 0.
    void PutRecord(const CommandBlock& block);
    // Reads 16 bytes into RecordBuf(1..16); RecordBuf(0) is left alone.
    void GetRecord();

    RecordBuffer RecordBuf{};

    // A write, read or open failed. Sticks until the next Open().
    bool failed() const { return !error_.empty(); }
    // German text naming the file and the system's reason, for a message box.
    const std::string& errorText() const { return error_; }
    const std::string& path() const { return path_; }

private:
    void WriteBytes(const std::uint8_t* bytes, int count);
    void ReadBytes(std::uint8_t* bytes, int count);
    void SetError(int err);
    void SetStagingError();

    ByteProgress& progress_;
    StagedFile staged_;
    std::vector<std::uint8_t>* image_ = nullptr;
    std::size_t imagePos_ = 0;
    std::string path_;
    std::string error_;
};

// A backup file read whole, in one opening, for a restore or a look into it.
struct BackupImage {
    std::vector<std::uint8_t> bytes;  // its first kBackupFileSize bytes
    std::int64_t size = 0;            // the file's size (of a pipe or device: what was read)
    std::string error;                // German, naming the file, when it is no complete backup
};
BackupImage LoadBackupImage(const std::string& path);

// Status 0 when the image's version words are all valid, else 140099, as the
// restore's own check of the file finds.
StatusCode CheckImageVersion(std::vector<std::uint8_t>& image);

// A byte count with German thousands dots: 574252 as "574.252".
std::string GroupedNumber(std::int64_t n);
// A byte count as a sentence names it: "1 Byte", "574.252 Bytes".
std::string ByteCount(std::int64_t n);

// Reads the ten version words that follow the serial number; Status 0 when all
// are 5, else 140099 as soon as one is not (nothing further is read).
void CheckFileVersion(BackupFile& file, StatusCode& Status);

}  // namespace cv2
