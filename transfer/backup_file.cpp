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

std::string CheckBackupFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec || !fs::exists(st)) {
        return "Die Datei " + path + " kann nicht gelesen werden: " + SystemReason(ENOENT);
    }
    if (fs::is_directory(st)) {
        return "Die Datei " + path + " kann nicht gelesen werden: " + SystemReason(EISDIR);
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return "Die Datei " + path + " kann nicht gelesen werden: " + SystemReason(errno);
    // Counted by reading, so that devices and pipes are measured as they are.
    std::vector<char> buffer(1 << 16);
    std::int64_t size = 0;
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), f)) > 0 && size < kBackupFileSize) {
        size += static_cast<std::int64_t>(got);
    }
    const bool readError = std::ferror(f) != 0;
    const int err = errno;
    std::fclose(f);
    if (readError && size < kBackupFileSize) {
        return "Die Datei " + path + " kann nicht gelesen werden: " + SystemReason(err);
    }
    if (size < kBackupFileSize) {
        return "Die Datei " + path + " ist keine vollständige Sicherung: sie hat " +
               GroupedNumber(size) + " Bytes, eine Sicherung hat " +
               GroupedNumber(kBackupFileSize) + " Bytes.";
    }
    return {};
}

BackupFile::~BackupFile() { Close(); }

bool BackupFile::Open(const std::string& path, Mode mode) {
    Close();
    path_ = path;
    error_.clear();
    pastEnd_ = false;
    if (mode == Mode::ReadWrite) {
        // Overwrite in place: an existing longer file keeps its tail.
        file_ = std::fopen(path.c_str(), "r+b");
        if (!file_ && errno == ENOENT) file_ = std::fopen(path.c_str(), "w+b");
        if (!file_) SetError("geschrieben", errno);
    } else {
        file_ = std::fopen(path.c_str(), "rb");
        if (!file_) SetError("gelesen", errno);
    }
    return file_ != nullptr;
}

void BackupFile::OpenMemory(std::vector<std::uint8_t>& image) {
    Close();
    path_.clear();
    error_.clear();
    pastEnd_ = false;
    image_ = &image;
    imagePos_ = 0;
}

void BackupFile::Close() {
    image_ = nullptr;
    if (!file_) return;
    // The last buffered bytes reach the disk here: a full disk may show only now.
    const bool flushed = std::fflush(file_) == 0;
    const int err = errno;
    std::fclose(file_);
    file_ = nullptr;
    if (!flushed) SetError("geschrieben", err);
}

void BackupFile::SetError(const char* what, int err) {
    if (!error_.empty()) return;  // the first failure is the one worth reporting
    error_ = "Die Datei " + path_ + " kann nicht " + what + " werden: " + SystemReason(err);
}

void BackupFile::WriteBytes(const std::uint8_t* bytes, int count) {
    if (image_) {
        if (image_->size() < imagePos_ + count) image_->resize(imagePos_ + count);
        std::memcpy(image_->data() + imagePos_, bytes, count);
        imagePos_ += count;
    } else if (!file_) {
        SetError("geschrieben", EBADF);
    } else if (!failed() && std::fwrite(bytes, 1, count, file_) != static_cast<size_t>(count)) {
        SetError("geschrieben", errno);
    }
    progress_.AddBytes(count);
}

void BackupFile::ReadBytes(std::uint8_t* bytes, int count) {
    std::size_t got = 0;
    if (image_) {
        got = std::min<std::size_t>(count, image_->size() - imagePos_);
        if (got > 0) std::memcpy(bytes, image_->data() + imagePos_, got);
        imagePos_ += got;
        if (got < static_cast<std::size_t>(count)) pastEnd_ = true;
    } else if (!file_) {
        SetError("gelesen", EBADF);
    } else {
        got = std::fread(bytes, 1, count, file_);
        if (got < static_cast<std::size_t>(count)) {
            if (std::ferror(file_)) SetError("gelesen", errno);
            pastEnd_ = true;
        }
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
