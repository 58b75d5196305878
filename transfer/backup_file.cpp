#include "transfer/backup_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace cv2 {

std::string GroupedNumber(std::int64_t n) {
    std::string digits = std::to_string(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(i, ".");
    return digits;
}

std::string ByteCount(std::int64_t n) { return GroupedNumber(n) + (n == 1 ? " Byte" : " Bytes"); }

namespace {

std::string CannotRead(const std::string& path, int err) {
    return "Die Datei " + path + " kann nicht gelesen werden: " + SystemReason(err);
}

// Counts nothing: for reading an image outside a run.
struct NoProgress : ByteProgress {
    void AddBytes(int) override {}
};

}  // namespace

BackupImage LoadBackupImage(const std::string& path) {
    namespace fs = std::filesystem;
    BackupImage image;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (fs::is_directory(st)) {
        image.error = CannotRead(path, EISDIR);
        return image;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        image.error = CannotRead(path, errno);
        return image;
    }
    // Read, not measured: a pipe, a FIFO or a device gives what it has.
    image.bytes.resize(kBackupFileSize);
    const std::size_t got = std::fread(image.bytes.data(), 1, image.bytes.size(), f);
    const bool readError = std::ferror(f) != 0;
    const int err = errno;
    image.size = static_cast<std::int64_t>(got);
    if (got == image.bytes.size() && fs::is_regular_file(st) && std::fseek(f, 0, SEEK_END) == 0) {
        image.size = std::max<std::int64_t>(image.size, std::ftell(f));
    }
    std::fclose(f);
    if (readError && got < image.bytes.size()) {
        image.error = CannotRead(path, err);
    } else if (got < image.bytes.size()) {
        image.error = "Die Datei " + path + " ist keine vollständige Sicherung: sie hat " +
                      ByteCount(image.size) + ", eine Sicherung hat " + ByteCount(kBackupFileSize) +
                      ".";
    }
    if (!image.error.empty()) image.bytes.clear();
    return image;
}

StatusCode CheckImageVersion(std::vector<std::uint8_t>& image) {
    NoProgress none;
    BackupFile file(none);
    file.OpenMemory(image);
    file.GetLong();  // the serial number in front
    StatusCode Status = 0;
    CheckFileVersion(file, Status);
    return file.failed() ? kFileVersionInvalid : Status;
}

bool BackupFile::Open(const std::string& path) {
    Close();
    path_ = path;
    error_.clear();
    if (!staged_.Open(path)) SetStagingError();
    return staged_.stream() != nullptr;
}

void BackupFile::OpenMemory(std::vector<std::uint8_t>& image) {
    Close();
    path_.clear();
    error_.clear();
    image_ = &image;
    imagePos_ = 0;
}

bool BackupFile::Commit() {
    image_ = nullptr;
    if (!staged_.stream()) return !failed();
    if (failed()) {
        staged_.Discard();
        return false;
    }
    if (!staged_.Commit()) SetStagingError();
    return !failed();
}

void BackupFile::Close() {
    image_ = nullptr;
    staged_.Discard();
}

void BackupFile::SetError(int err) {
    if (!error_.empty()) return;  // the first failure is the one worth reporting
    error_ = "Die Datei " + path_ + " kann nicht geschrieben werden: " + SystemReason(err);
}

void BackupFile::SetStagingError() {
    switch (staged_.failure()) {
        case StagedFile::Failure::None:
        case StagedFile::Failure::File:
            SetError(staged_.error());
            break;
        case StagedFile::Failure::Folder:
            if (error_.empty()) {
                error_ = "Die Datei " + path_ +
                         " kann nicht geschrieben werden: die Arbeitskopie, in die die Sicherung "
                         "bis zu ihrem Ende geht, kann im Ordner " +
                         staged_.folder() + " nicht angelegt werden (" +
                         SystemReason(staged_.error()) + ")";
            }
            break;
        case StagedFile::Failure::Unreadable:
            if (error_.empty()) {
                error_ = "Die Datei " + path_ +
                         " kann nicht geschrieben werden: sie selbst kann nicht gelesen werden (" +
                         SystemReason(staged_.error()) +
                         "), und die Sicherung beginnt als Kopie von ihr, damit sie bis zum "
                         "Ende unverändert bleibt";
            }
            break;
        case StagedFile::Failure::Busy:
            if (error_.empty()) {
                error_ = "Die Datei " + path_ +
                         " kann nicht geschrieben werden: eine andere Sicherung schreibt gerade "
                         "in diese Datei";
            }
            break;
    }
}

void BackupFile::WriteBytes(const std::uint8_t* bytes, int count) {
    if (image_) {
        if (image_->size() < imagePos_ + count) image_->resize(imagePos_ + count);
        std::memcpy(image_->data() + imagePos_, bytes, count);
        imagePos_ += count;
    } else if (!staged_.stream()) {
        SetError(EBADF);
    } else if (!failed() &&
               std::fwrite(bytes, 1, count, staged_.stream()) != static_cast<size_t>(count)) {
        SetError(errno);
    }
    progress_.AddBytes(count);
}

// Reads come from an image only. One that ends early (it cannot, once checked)
// fails the run rather than handing on made-up bytes.
void BackupFile::ReadBytes(std::uint8_t* bytes, int count) {
    std::size_t got = 0;
    if (image_ && imagePos_ < image_->size()) {
        got = std::min<std::size_t>(count, image_->size() - imagePos_);
        std::memcpy(bytes, image_->data() + imagePos_, got);
        imagePos_ += got;
    }
    if (got < static_cast<std::size_t>(count) && error_.empty()) {
        error_ = "Die Sicherung endet vor ihrem letzten Abschnitt.";
    }
    std::memset(bytes + got, 0, count - got);
    progress_.AddBytes(count);
}

void BackupFile::PutLong(std::uint32_t value) {
    const std::uint8_t b[4] = {
        static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
        static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    WriteBytes(b, 4);
}

std::uint32_t BackupFile::GetLong() {
    std::uint8_t b[4];
    ReadBytes(b, 4);
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
           b[3];
}

void BackupFile::PutWord(std::int32_t value) {
    const std::uint8_t b[2] = {static_cast<std::uint8_t>((value >> 8) & 0xFF),
                               static_cast<std::uint8_t>(value & 0xFF)};
    WriteBytes(b, 2);
}

std::int32_t BackupFile::GetWord() {
    std::uint8_t b[2];
    ReadBytes(b, 2);
    return b[0] * 256 + b[1];
}

void BackupFile::PutRecord(const CommandBlock& block) {
    std::uint8_t b[kRecordBytes];
    // The upper half of the payload first, then the lower half reversed: read in
    // file order, the record is the block's bytes as they stand in the station.
    for (int i = 0; i < 8; ++i) {
        b[i] = static_cast<std::uint8_t>(block.CmdData[8 + i]);
        b[8 + i] = static_cast<std::uint8_t>(block.CmdData[7 - i]);
    }
    WriteBytes(b, kRecordBytes);
}

void BackupFile::GetRecord() {
    std::uint8_t b[kRecordBytes];
    ReadBytes(b, kRecordBytes);
    for (int n = 1; n <= kRecordBytes; ++n) RecordBuf[n] = b[n - 1];
}

void CheckFileVersion(BackupFile& file, StatusCode& Status) {
    for (int i = 0; i < kVersionWordCount; ++i) {
        if (file.GetLong() != kDatabaseVersion) {
            Status = kFileVersionInvalid;
            return;
        }
    }
    Status = 0;
}

}  // namespace cv2
