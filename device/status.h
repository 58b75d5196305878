// The status of one procedure run: 0 success, otherwise built from three named
// parts, step * 10000 + kind * 100 + detail: the step of the run that failed,
// the kind of transfer under way, and what went wrong. Passed by reference as
// the last argument of every step; the layers add their step and return at
// once, and only the procedures turn a code into a message (status_table.h).
#pragma once

#include <cstdint>

namespace cv2 {

using StatusCode = std::int32_t;

enum class Step : int {
    None = 0,        // the extra data: a failing command's own code is left
    DatabaseId = 1,  // the station's version words
    LongData = 2,
    SerialNumber = 10,
    BootloaderStart = 11,
    BootloaderEnd = 12,
    DatabaseVersion = 13,
    FileVersion = 14,  // the backup file's version words
    DisplayClear = 15,
    DisplayCursor = 16,
    DisplayText = 17,
    ReadLongData = 21,  // group sections (locomotives, groups, boosters)
    WriteLongData = 22,
    ReadShortData = 23,  // routes
    WriteShortData = 24,
    ReadPage = 25,  // page sections (accessories, feedback, TALIX)
    WritePage = 26,
    ReadIdTable = 27,
    WriteIdTable = 28,
    FsProgOn = 30,
    FsRead = 31,
    FsWrite = 32,
    FsProgOff = 33,
};

// The kind of transfer a device command was making.
enum class Kind : int {
    None = 0,
    Message = 10,  // a command to the station
    SamFlashWrite = 11,
    SamFlashRead = 12,
    DataFlashRead = 13,
    DataFlashWrite = 14,
    SendData = 16,  // a 16-byte block sent
};

// What went wrong.
enum class Detail : int {
    None = 0,
    NoAnswer = 11,    // refused, answered otherwise, or no confirmation
    SendFailed = 12,  // the frame could not be handed to the port
    TimedOut = 13,    // no answer in 2 s, to the repeat either
    AnswersLost = 14,
    ServerBroken = 15,  // the LocoNet server ended the connection or refused a message
    ModuleSilent = 31,
    ProgrammingFailed = 32,
    // A run ended from outside (Ctrl-C, the system ending the program) rather
    // than by the station: no message text; the host says it was cancelled.
    Cancelled = 98,
    InvalidVersion = 99,
};

constexpr StatusCode Code(Detail detail) { return static_cast<StatusCode>(detail); }
constexpr StatusCode Code(Kind kind, Detail detail) {
    return static_cast<StatusCode>(kind) * 100 + Code(detail);
}
constexpr StatusCode Code(Step step, Kind kind, Detail detail) {
    return static_cast<StatusCode>(step) * 10000 + Code(kind, detail);
}
// The step's part of a status code.
constexpr StatusCode StepCode(Step step) { return static_cast<StatusCode>(step) * 10000; }

// The parts of a code as numbers; truncating division, so a negative code
// has negative parts, which name nothing.
constexpr int StepOf(StatusCode status) { return status / 10000; }
constexpr int KindOf(StatusCode status) { return (status / 100) % 100; }
constexpr int DetailOf(StatusCode status) { return status % 100; }
constexpr bool HasDetail(StatusCode status, Detail detail) {
    return DetailOf(status) == static_cast<int>(detail);
}

// A command that failed inside a step carries that step in its code; a
// status of 0 stays 0.
constexpr void AddStep(Step step, StatusCode& Status) {
    if (Status != 0) Status += StepCode(step);
}

inline constexpr StatusCode kCancelled = Code(Detail::Cancelled);

}  // namespace cv2
