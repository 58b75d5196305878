// A file that takes the place of another only once it is complete: written
// under a temporary name beside the file, synced, and renamed over it in one
// step, so a run that fails, is interrupted or is killed leaves the old file
// whole. Names that are not regular files (devices, FIFOs, the pipe of a
// process substitution) are written in place.
#pragma once

#include <cstdio>
#include <string>

namespace cv2 {

class StagedFile {
public:
    // Where opening or committing failed, for the message that names it.
    enum class Failure {
        None,
        File,        // the file itself (or, written in place, the device)
        Folder,      // the temporary file beside it could not be made
        Unreadable,  // the file cannot be read to begin the work copy with
        Busy,        // another run is writing the same file right now
    };

    StagedFile() = default;
    ~StagedFile() { Discard(); }
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Opens path for writing at offset 0. A regular file, or a name that does
    // not exist yet, also at the end of symbolic links, is staged: the work
    // copy starts as a copy of the file (so a longer file keeps its tail), is
    // locked against a second writer, and keeps the file's permissions. A
    // work copy left by a killed run is taken over. False when the system
    // refuses; failure() and error() say where and why.
    bool Open(const std::string& path);
    // The open stream, or nullptr.
    std::FILE* stream() const { return stream_; }
    // Flushes, syncs and puts the work copy in the file's place. False, with
    // the work copy removed and the file as it was, when any of it fails.
    bool Commit();
    // Closes and removes the work copy; the file keeps what it held.
    void Discard();

    Failure failure() const { return failure_; }
    int error() const { return error_; }
    // The folder the work copy was to be made in (for Failure::Folder).
    const std::string& folder() const { return folder_; }
    // The name the work copy of a file gets: recognisable beside it.
    static std::string StagingName(const std::string& target);
    // True when path, followed through symbolic links, is the work copy's
    // target (or another name for it). For refusing a second use of the file.
    static bool SameFile(const std::string& a, const std::string& b);

    // Removes the work copy of a run still in progress. Safe in a signal
    // handler and just before the program ends at once.
    static void DiscardAllNow();

private:
    bool Fail(Failure where, int err);
    void Forget();
    // Syncs the work copy and renames it over the target: 0 or the errno.
    int SyncAndRename();

    std::FILE* stream_ = nullptr;
    std::string target_;   // the file that the work copy replaces
    std::string staging_;  // the work copy; empty when writing in place
    std::string folder_;
    Failure failure_ = Failure::None;
    int error_ = 0;
    void* handle_ = nullptr;  // the Windows handle behind the stream
};

}  // namespace cv2
