#include "device/fs_commands.h"

#include "device/steps.h"

namespace cv2 {

namespace {

constexpr int kAttempts = 10;
// Time limits of one attempt, seconds.
constexpr double kProgOnLimit = 0.2;
constexpr double kEntryLimit = 0.5;
constexpr double kProgOffLimit = 3.0;
// Last position the transmitter sends before the checksum.
constexpr std::int16_t kLastPosition = 13;

constexpr std::int16_t kOpRequest = 0xED;
constexpr std::int16_t kOpReply = 0xE5;  // also the opcode of programming off
constexpr std::int16_t kOpLongAck = 0xB4;
constexpr std::int16_t kAckAccepted = 0x7F;

constexpr StatusCode kNoAnswer = 31;
constexpr StatusCode kProgrammingFailed = 32;
constexpr StatusCode kStepProgOn = StepCode(Step::FsProgOn);
constexpr StatusCode kStepRead = StepCode(Step::FsRead);
constexpr StatusCode kStepWrite = StepCode(Step::FsWrite);
constexpr StatusCode kStepProgOff = StepCode(Step::FsProgOff);

constexpr int kMark = ReceiveAssembler::kMark;

// Position 5 (read/program) and 13 (mode) distinguish the four requests.
FsFrameArray RequestFrame(std::int16_t opcode, std::int16_t command, std::int32_t A,
                          std::int32_t field1, std::int32_t field2, std::int16_t mode) {
    auto lo = [](std::int32_t v) { return static_cast<std::int16_t>(v & 0xFF); };
    auto hi = [](std::int32_t v) { return static_cast<std::int16_t>((v >> 8) & 0xFF); };
    return {opcode, 0x0F,  0x08,       0x05,       0x00,       command,    0,
            lo(A),  hi(A), lo(field1), hi(field1), lo(field2), hi(field2), mode};
}

// A 16-bit field of a reply: low and high byte with their bit 7 from position 6.
std::int32_t ReplyField(const std::int16_t* reply, int position, int bit) {
    const int high = reply[6];
    return (reply[position] + 128 * ((high >> bit) & 1)) +
           256 * (reply[position + 1] + 128 * ((high >> (bit + 1)) & 1));
}

void ClearWholeBuffer(ReceiveAssembler& rx) {
    rx.ClearFrames();
    rx.RxSlot = 0;
}

// Waits, processing events, until the slot is complete and holds a frame with
// the opcode, or more than limit seconds have passed since WaitStart, or the
// run is cancelled (unless the wait must run its course).
Link::WaitEnd WaitForFrame(Device& device, int slot, std::int16_t opcode, double limit,
                           bool cancellable = true) {
    const std::int16_t* frame = device.link().rx().RxFrames[slot];
    return device.link().WaitFor(
        device.block().WaitStart, limit, [&] { return frame[kMark] == -1 && frame[0] == opcode; },
        cancellable);
}

bool Cancelled(Device& device) { return device.link().cancellation().requested(); }

// The reply in slot 1 names the module the request was sent to.
bool AddressEchoed(Device& device, const FsFrameArray& sent) {
    const std::int16_t* reply = device.link().rx().RxFrames[1];
    return reply[7] == sent[7] && reply[8] == sent[8];
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
        FsFrameArray frame = RequestFrame(kOpRequest, 0x21, A, 0, K, 0x80);
        ClearWholeBuffer(link.rx());
        FsEncodeFrame(frame);
        if (const std::int16_t failed = link.SendFrame(frame, kLastPosition); failed != 0) {
            Status = failed + kStepProgOn;
            return;
        }
        sent = true;
        // An attempt's wait is short and runs its course also in a cancelled
        // run: a module that answers gives its key, to be switched off with.
        if (WaitForFrame(device, 1, kOpReply, kProgOnLimit, false) != Link::WaitEnd::Ready)
            continue;
        if (!AddressEchoed(device, frame)) continue;
        const std::int16_t* reply = link.rx().RxFrames[1];
        if (ReplyField(reply, 9, 2) != 0) continue;
        K = ReplyField(reply, 11, 4);
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
    Link& link = device.link();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (Cancelled(device)) break;
        FsFrameArray frame = RequestFrame(kOpRequest, 0x21, A, E, 0, 0x00);
        ClearWholeBuffer(link.rx());
        link.comm().ClearInBuffer();
        FsEncodeFrame(frame);
        if (const std::int16_t sent = link.SendFrame(frame, kLastPosition); sent != 0) {
            Status = sent;
            return;
        }
        const Link::WaitEnd end = WaitForFrame(device, 1, kOpReply, kEntryLimit);
        if (end == Link::WaitEnd::Cancelled) break;
        if (end == Link::WaitEnd::TimedOut) continue;
        if (!AddressEchoed(device, frame)) continue;
        const std::int16_t* reply = link.rx().RxFrames[1];
        // A reply for another entry is no reply.
        if (ReplyField(reply, 9, 2) != E) continue;
        value = ToSigned16(ReplyField(reply, 11, 4));
        Status = 0;
        return;
    }
    Status = (Cancelled(device) ? kCancelled : kNoAnswer) + kStepRead;
}

void FsWriteEntry(Device& device, std::int32_t A, std::int32_t E, std::int32_t V,
                  StatusCode& Status) {
    Link& link = device.link();
    ReceiveAssembler& rx = link.rx();
    link.comm().ClearInBuffer();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (Cancelled(device)) break;
        FsFrameArray frame = RequestFrame(kOpRequest, 0x20, A, E, V, 0x00);
        for (int slot = 0; slot <= 2; ++slot) {
            rx.RxFrames[slot][0] = 0;
            rx.RxFrames[slot][kMark] = 0;
        }
        rx.RxSlot = 0;
        FsEncodeFrame(frame);
        if (const std::int16_t sent = link.SendFrame(frame, kLastPosition); sent != 0) {
            Status = sent;
            return;
        }
        const Link::WaitEnd end = WaitForFrame(device, 1, kOpLongAck, kEntryLimit);
        if (end == Link::WaitEnd::Cancelled) break;
        if (end == Link::WaitEnd::TimedOut) continue;
        // An answer that refuses is final: no retry.
        Status = rx.RxFrames[1][2] == kAckAccepted ? 0 : kProgrammingFailed + kStepWrite;
        return;
    }
    Status = (Cancelled(device) ? kCancelled : kNoAnswer) + kStepWrite;
}

void FsProgOff(Device& device, std::int32_t A, std::int32_t K, StatusCode& Status) {
    Link& link = device.link();
    FsFrameArray frame = RequestFrame(kOpReply, 0x21, A, 0, K, 0x40);
    // The wait watches slot 0 for this frame's own opcode: an echo of an earlier
    // programming-off frame left there must not end it.
    link.rx().RxFrames[0][kMark] = 0;
    link.rx().RxSlot = 0;
    link.comm().ClearInBuffer();
    FsEncodeFrame(frame);
    Status = link.SendFrame(frame, kLastPosition);
    // The module does not answer: the frame's own echo in slot 0 ends the wait,
    // which runs its course also in a cancelled run, so the module is left
    // out of programming mode.
    if (WaitForFrame(device, 0, kOpReply, kProgOffLimit, false) != Link::WaitEnd::Ready) {
        Status = kReplyTimedOut + kStepProgOff;
    } else {
        AddStep(Step::FsProgOff, Status);
    }
}

}  // namespace cv2
