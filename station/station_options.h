// How a simulated station is set up: its keys, its speed on the wire and the
// faults it is told to show. Shared by the in-process station and cv2sim.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "keys/keys.h"

namespace cv2::station {

// Every request the station understands, for counting and for faults.
enum class Request {
    SamFlashRead,
    SamFlashWrite,
    DataFlashRead,
    DataFlashWrite,
    ReadBlock,
    WriteBlock,
    BootloaderStart,
    BootloaderEnd,
    Display,
    FsProgOn,
    FsReadEntry,
    FsWriteEntry,
    FsProgOff,
};

// The request's name as cv2sim takes it on its command line ("ReadBlock", ...).
const char* RequestName(Request request);
std::optional<Request> RequestFromName(const std::string& name);

struct Faults {
    bool missingEcho = false;                  // the interface does not echo frames
    std::optional<Request> silentRequest;      // never answered (the echo still comes)
    int silentAfterRequests = 0;               // > 0: requests after the N-th get no answer
    int refuseWrite = 0;                       // > 0: the N-th write is refused (ack 0x00)
    std::optional<std::uint32_t> versionWord;  // stored in version word 3 instead of 5
    bool silentFsModule = false;               // FS frames are echoed, never answered
    bool noConfirmation = false;               // the bootloader start is never confirmed
    std::string noise;                         // bytes sent between echo and answer
    int dropLineAfterRequests = 0;             // > 0: after the N-th request nothing more
    // > 0: another device's message between the echo and the answer of every
    // N-th request, and as many again at random moments.
    int traffic = 0;
    // > 0: every N-th answer is lost on its way back, after the station acted on
    // the request (the bootloader start's and end's answers are never lost).
    int loseAnswer = 0;
    // > 0: the answer to the N-th request comes lateBy seconds after its request
    // (in real time, whatever the speed).
    int lateAnswerAt = 0;
    double lateBy = 0;
};

// Wire speed: real LocoNet timing, a multiple of it, or no delay at all.
struct Speed {
    bool instant = false;
    double factor = 1.0;  // > 1: faster than the wire
    // Each byte of an answer reaches the program when it is through the line,
    // as from a UART without a FIFO, rather than the whole answer at once when
    // its last byte is.
    bool byteByByte = false;
};

struct StationOptions {
    std::uint32_t seed = 1;  // content generated from this seed
    int identity = 0;        // identity variant (serial number, id0, FS key)
    KeyTable keys = kBuiltInKeys;
    // Answer the bootloader start with ack 0x01 (already running) instead of
    // 0x7F followed by the confirmation frame.
    bool directBootAck = false;
    Speed speed;
    Faults faults;
};

}  // namespace cv2::station
