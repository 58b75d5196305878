#include "platform/staged_file.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace cv2 {

namespace fs = std::filesystem;

namespace {

// The work copy of the run in progress, for DiscardAllNow(): a fixed buffer,
// so that a signal handler can name it without allocating.
char livingStaging[4096] = {};

void Remember(const std::string& staging) {
    livingStaging[0] = '\0';
    if (staging.size() < sizeof livingStaging) {
        std::memcpy(livingStaging, staging.c_str(), staging.size() + 1);
    }
}

// At most this many links are followed; a longer chain is a loop, and opening
// it reports that.
constexpr int kMaxLinks = 40;

// The name at the end of a chain of symbolic links; a link that points
// nowhere gives the name it points to, where the new file is to appear.
std::string FollowLinks(std::string path) {
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
        const fs::path to = fs::read_symlink(path, ec);
        if (ec) return path;
        path = to.is_absolute() ? to.string() : (fs::path(path).parent_path() / to).string();
    }
    return path;
}

// The folder a file lies in; the current one for a bare name.
std::string FolderOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return (parent.empty() ? fs::path(".") : parent).string();
}

constexpr std::size_t kCopyChunk = 1 << 16;

// Copies the open file in into the stream from its start and closes in; 0 or
// the errno.
int CopyInto(std::FILE* in, std::FILE* to) {
    std::vector<char> buffer(kCopyChunk);
    int err = 0;
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
        if (std::fwrite(buffer.data(), 1, got, to) != got) {
            err = errno;
            break;
        }
    }
    if (err == 0 && std::ferror(in)) err = errno;
    std::fclose(in);
    if (err == 0 && std::fseek(to, 0, SEEK_SET) != 0) err = errno;
    return err;
}

}  // namespace

std::string StagedFile::StagingName(const std::string& target) { return target + ".tmp"; }

bool StagedFile::SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
    // Made absolute first: a relative name that does not exist yet would
    // otherwise stay as it is written.
    const fs::path ra = fs::weakly_canonical(fs::absolute(FollowLinks(a), ec), ec);
    if (ec) return false;
    const fs::path rb = fs::weakly_canonical(fs::absolute(FollowLinks(b), ec), ec);
    return !ec && ra == rb;
}

bool StagedFile::Fail(Failure where, int err) {
    failure_ = where;
    error_ = err;
    return false;
}

void StagedFile::Forget() {
    staging_.clear();
    livingStaging[0] = '\0';
}

bool StagedFile::Commit() {
    if (!stream_) return false;
    int err = std::fflush(stream_) == 0 ? 0 : errno;
    if (staging_.empty()) {
        if (std::fclose(stream_) != 0 && err == 0) err = errno;
        stream_ = nullptr;
        return err == 0 ? true : Fail(Failure::File, err);
    }
    if (err == 0) err = SyncAndRename();
    if (err != 0) {
        Discard();
        return Fail(Failure::File, err);
    }
    Forget();  // the work copy is the file now
    std::fclose(stream_);
    stream_ = nullptr;
    handle_ = nullptr;
    return true;
}

#ifdef _WIN32

bool StagedFile::Open(const std::string& path) {
    Discard();
    failure_ = Failure::None;
    error_ = 0;
    target_ = path;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (fs::is_directory(st)) return Fail(Failure::File, EISDIR);
    const bool existed = fs::exists(st);
    if (existed && !fs::is_regular_file(st)) {
        stream_ = std::fopen(path.c_str(), "r+b");
        return stream_ ? true : Fail(Failure::File, errno);
    }
    std::FILE* old = nullptr;
    if (existed) {
        std::FILE* probe = std::fopen(path.c_str(), "r+b");
        if (!probe) return Fail(Failure::File, errno);
        std::fclose(probe);
        // The work copy begins as a copy of the file, so it must be readable.
        if (!(old = std::fopen(path.c_str(), "rb"))) return Fail(Failure::Unreadable, errno);
    }
    folder_ = FolderOf(path);
    staging_ = StagingName(path);
    // No sharing but deletion: a second run cannot open the work copy while
    // this one holds it, and the rename that commits it works while it is open.
    HANDLE h = CreateFileA(staging_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        staging_.clear();
        if (old) std::fclose(old);
        if (e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION)
            return Fail(Failure::Busy, 0);
        // A folder that may not be written in is named as such; a missing
        // folder is the file's own problem.
        if (e == ERROR_ACCESS_DENIED) return Fail(Failure::Folder, EACCES);
        return Fail(Failure::File, ENOENT);
    }
    SetEndOfFile(h);
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(h), _O_RDWR | _O_BINARY);
    stream_ = fd >= 0 ? _fdopen(fd, "r+b") : nullptr;
    if (!stream_) {
        CloseHandle(h);
        DeleteFileA(staging_.c_str());
        staging_.clear();
        if (old) std::fclose(old);
        return Fail(Failure::Folder, EIO);
    }
    handle_ = h;
    Remember(staging_);
    if (old) {
        if (const int err = CopyInto(old, stream_); err != 0) {
            Discard();
            return Fail(Failure::Folder, err);
        }
    }
    return true;
}

int StagedFile::SyncAndRename() {
    if (!FlushFileBuffers(static_cast<HANDLE>(handle_))) return EIO;
    if (!MoveFileExA(staging_.c_str(), target_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    }
    return 0;
}

void StagedFile::Discard() {
    if (stream_) std::fclose(stream_);
    stream_ = nullptr;
    handle_ = nullptr;
    if (!staging_.empty()) DeleteFileA(staging_.c_str());
    Forget();
}

void StagedFile::DiscardAllNow() {
    if (livingStaging[0] != '\0') DeleteFileA(livingStaging);
}

#else

bool StagedFile::Open(const std::string& path) {
    Discard();
    failure_ = Failure::None;
    error_ = 0;
    struct stat st {};
    // A device, FIFO or pipe has no place to stage a copy in: written as it
    // is, under the name given. The system follows that name itself, as
    // FollowLinks cannot when a link leads to no path (/dev/fd/63 of a
    // process substitution points to "pipe:[N]").
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        target_ = path;
        stream_ = std::fopen(path.c_str(), "r+b");
        return stream_ ? true : Fail(Failure::File, errno);
    }
    target_ = FollowLinks(path);
    const bool existed = ::stat(target_.c_str(), &st) == 0;
    if (!existed && errno != ENOENT) return Fail(Failure::File, errno);
    if (existed && S_ISDIR(st.st_mode)) return Fail(Failure::File, EISDIR);
    // A file the user may not write is not replaced behind its back either.
    if (existed && ::access(target_.c_str(), W_OK) != 0) return Fail(Failure::File, errno);
    // The work copy begins as a copy of the file, so it must be readable.
    std::FILE* old = nullptr;
    if (existed && !(old = std::fopen(target_.c_str(), "rb"))) {
        return Fail(Failure::Unreadable, errno);
    }

    folder_ = FolderOf(target_);
    const std::string staging = StagingName(target_);
    const mode_t mode = existed ? (st.st_mode & 07777) : 0666;
    const int fd = ::open(staging.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, mode);
    if (fd < 0) {
        // Beside a file that exists, it is the work copy that cannot be made
        // (a folder closed to new files, a system folder such as /proc); a
        // missing folder is the file's own problem.
        const int err = errno;
        if (old) std::fclose(old);
        return Fail(existed || err == EACCES || err == EPERM ? Failure::Folder : Failure::File,
                    err);
    }
    // The lock lives with the open work copy: a second run into the same file
    // finds it taken; a copy left by a killed run is free and is taken over.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        if (old) std::fclose(old);
        return err == EWOULDBLOCK ? Fail(Failure::Busy, 0) : Fail(Failure::Folder, err);
    }
    staging_ = staging;
    Remember(staging_);
    if (::ftruncate(fd, 0) != 0 || !(stream_ = ::fdopen(fd, "r+b"))) {
        const int err = errno;
        if (!stream_) ::close(fd);
        if (old) std::fclose(old);
        Discard();
        return Fail(Failure::Folder, err);
    }
    if (old) {
        // The umask shaped the copy's mode; the file's own mode and owner win.
        [[maybe_unused]] const int chmodResult = ::fchmod(fd, mode);
        [[maybe_unused]] const int chownResult = ::fchown(fd, st.st_uid, st.st_gid);
        if (const int err = CopyInto(old, stream_); err != 0) {
            Discard();
            return Fail(Failure::Folder, err);
        }
    }
    return true;
}

int StagedFile::SyncAndRename() {
    // On the disk before the name points to it: a crash after the rename
    // must not find an empty file under the name.
    if (::fsync(::fileno(stream_)) != 0 && errno != EINVAL) return errno;
    if (std::rename(staging_.c_str(), target_.c_str()) != 0) return errno;
    // The rename itself reaches the disk with the folder.
    if (const int dir = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return 0;
}

void StagedFile::Discard() {
    // Removed while still locked, so that no second run has taken it over yet.
    if (!staging_.empty()) ::unlink(staging_.c_str());
    if (stream_) std::fclose(stream_);
    stream_ = nullptr;
    Forget();
}

void StagedFile::DiscardAllNow() {
    if (livingStaging[0] != '\0') ::unlink(livingStaging);
}

#endif

}  // namespace cv2
