#include "device/fs_commands.h"

#include "device/status.h"

namespace cv2 {

namespace {

constexpr int kAttempts = 10;
// Time limits of one attempt, seconds.
constexpr double kProgOnLimit = 0.2;
constexpr double kEntryLimit = 0.5;
constexpr double kProgOffLimit = 3.0;
// Last position the transmitter sends before the checksum.
constexpr std::int16_t kLastPosition = 13;

// Requests go out as commands; programming off as a reply, which the module
// does not answer.
constexpr std::int16_t kOpRequest = kOpCommand;
constexpr std::int16_t kOpProgOff = kOpReply;

constexpr StatusCode kNoAnswer = Code(Detail::ModuleSilent);
constexpr StatusCode kProgrammingFailed = Code(Detail::ProgrammingFailed);
constexpr StatusCode kStepProgOn = StepCode(Step::FsProgOn);
constexpr StatusCode kStepRead = StepCode(Step::FsRead);
constexpr StatusCode kStepWrite = StepCode(Step::FsWrite);
constexpr StatusCode kStepProgOff = StepCode(Step::FsProgOff);

constexpr int kEntryField = 9;   // F1: the entry a reply names (0 for programming on)
constexpr int kValueField = 11;  // F2: the entry's value, or the module's key

// Position 5 (read/program) and 13 (mode) distinguish the four requests.
FsFrameArray RequestFrame(std::int16_t opcode, std::int16_t command, std::int32_t A,
                          std::int32_t field1, std::int32_t field2, std::int16_t mode) {
    auto lo = [](std::int32_t v) { return static_cast<std::int16_t>(v & 0xFF); };
    auto hi = [](std::int32_t v) { return static_cast<std::int16_t>((v >> 8) & 0xFF); };
    FsFrameArray frame{opcode, 0x0F,  0x08,       0x05,       0x00,       command,    0,
                       lo(A),  hi(A), lo(field1), hi(field1), lo(field2), hi(field2), mode};
    FsEncodeFrame(frame);
    return frame;
}

// The module's reply to this request names the module it was sent to (and,
// for an entry read, the entry).
Expectation ReplyTo(const FsFrameArray& sent, std::int32_t entry = -1) {
    return {AnswerShape::FsReply, sent[7], sent[8], entry};
}

// Sends the request, counting every attempt after the first as a retry;
// 0 or the transmitter's failure.
StatusCode SendRequest(Device& device, const FsFrameArray& frame, const Expectation& expect,
                       int attempt) {
    if (attempt > 0) ++device.frames().tally().fsRetries;
    device.frames().Expect(frame, expect);
    return device.link().SendFrame(frame, kLastPosition) ? 0 : kSendFailed;
}

// Waits, processing events, until the request is answered, more than limit
// seconds have passed since WaitStart, or the run is cancelled (unless the
// wait must run its course).
Link::WaitEnd WaitForAnswer(Device& device, double limit, bool cancellable = true) {
    FrameRecogniser& frames = device.frames();
    return device.link().WaitFor(
        device.block().WaitStart, limit, [&] { return frames.answered(); }, cancellable);
}

bool Cancelled(Device& device) { return device.link().cancellation().requested(); }

// One entry's request, sent again after each time-out, at most kAttempts
// times (clearing the input buffer first when clearEachAttempt); the first
// answer sets Status through taken(answer). A failed send ends with the
// transmitter's failure; no answer at all, or a cancel, with kNoAnswer or
// kCancelled at step.
template <typename Taken>
void AskEntry(Device& device, const FsFrameArray& frame, const Expectation& expect,
              StatusCode step, bool clearEachAttempt, StatusCode& Status, Taken taken) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (Cancelled(device)) break;
        if (clearEachAttempt) device.link().comm().ClearInBuffer();
        if (const StatusCode failed = SendRequest(device, frame, expect, attempt); failed != 0) {
            Status = failed;
            return;
        }
        const Link::WaitEnd end = WaitForAnswer(device, kEntryLimit);
        if (end == Link::WaitEnd::Cancelled) break;
        if (end == Link::WaitEnd::TimedOut) continue;
        Status = taken(device.frames().answer());
        return;
    }
    Status = (Cancelled(device) ? kCancelled : kNoAnswer) + step;
}

}  // namespace

void FsEncodeFrame(FsFrameArray& FsFrame) {
    std::int16_t high = 0;
    for (int n = 0; n <= 6; ++n) {
        if (FsFrame[7 + n] & 0x80) high = static_cast<std::int16_t>(high | (1 << n));
        FsFrame[7 + n] = static_cast<std::int16_t>(FsFrame[7 + n] & 0x7F);
    }
    FsFrame[6] = high;
}

void FsProgOn(Device& device, std::int32_t A, std::int32_t& K, StatusCode& Status) {
    Link& link = device.link();
    link.comm().ClearInBuffer();
    bool sent = false;
    for (int attempt = 0; attempt < kAttempts && !Cancelled(device); ++attempt) {
        const FsFrameArray frame = RequestFrame(kOpRequest, 0x21, A, 0, K, 0x80);
        if (const StatusCode failed = SendRequest(device, frame, ReplyTo(frame), attempt);
            failed != 0) {
            Status = failed + kStepProgOn;
            return;
        }
        sent = true;
        // An attempt's wait is short and runs its course also in a cancelled
        // run: a module that answers gives its key, to be switched off with.
        if (WaitForAnswer(device, kProgOnLimit, false) != Link::WaitEnd::Ready) continue;
        const std::int16_t* reply = device.frames().answer();
        if (FsField(reply, kEntryField) != 0) continue;
        K = FsField(reply, kValueField);
        Status = 0;
        return;
    }
    if (Cancelled(device)) {
        // A request that went out unanswered may still have switched the module on.
        if (sent) {
            StatusCode offStatus = 0;
            FsProgOff(device, A, K, offStatus);
        }
        Status = kCancelled + kStepProgOn;
        return;
    }
    Status = kNoAnswer + kStepProgOn;
}

void FsReadEntry(Device& device, std::int32_t A, std::int32_t E, std::int32_t& value,
                 StatusCode& Status) {
    const FsFrameArray frame = RequestFrame(kOpRequest, 0x21, A, E, 0, 0x00);
    // A reply for another entry is no answer to this request; each attempt
    // starts with an empty input buffer.
    AskEntry(device, frame, ReplyTo(frame, E), kStepRead, true, Status,
             [&](const std::int16_t* answer) {
                 value = ToSigned16(FsField(answer, kValueField));
                 return StatusCode{0};
             });
}

void FsWriteEntry(Device& device, std::int32_t A, std::int32_t E, std::int32_t V,
                  StatusCode& Status) {
    device.link().comm().ClearInBuffer();
    const FsFrameArray frame = RequestFrame(kOpRequest, 0x20, A, E, V, 0x00);
    // An answer that refuses is final: no retry.
    AskEntry(device, frame, {AnswerShape::FsAck}, kStepWrite, false, Status,
             [](const std::int16_t* answer) {
                 return answer[2] == kAckAccepted ? StatusCode{0}
                                                  : kProgrammingFailed + kStepWrite;
             });
}

void FsProgOff(Device& device, std::int32_t A, std::int32_t K, StatusCode& Status) {
    Link& link = device.link();
    FrameRecogniser& frames = device.frames();
    const FsFrameArray frame = RequestFrame(kOpProgOff, 0x21, A, 0, K, 0x40);
    link.comm().ClearInBuffer();
    frames.Expect(frame, {AnswerShape::None});
    Status = link.SendFrame(frame, kLastPosition) ? 0 : kSendFailed;
    // The module does not answer: the frame's own echo ends the wait, which
    // runs its course also in a cancelled run, so the module is left out of
    // programming mode. An interface that echoes nothing has nothing to wait for.
    const bool echoed = frames.echoes() == FrameRecogniser::Echoes::No ||
                        link.WaitFor(
                            device.block().WaitStart, kProgOffLimit,
                            [&] { return frames.echoed(); }, false) == Link::WaitEnd::Ready;
    if (!echoed) {
        Status = kReplyTimedOut + kStepProgOff;
    } else {
        AddStep(Step::FsProgOff, Status);
    }
}

}  // namespace cv2
