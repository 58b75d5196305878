// The 31-byte vendor command frame: packing bit 7 of the data fields into the
// high-bit bytes, laying the field block into TxFrame, and the reply wait.
#include <cstdint>

#include "device/command_layout.h"
#include "device/device.h"

namespace cv2 {

namespace {

// Frame head of every command: variable-length opcode, length 31, command route, tag "ZR".
constexpr std::int16_t kFrameHead[5] = {kOpCommand, 0x1F, 0x08, 0x5A, 0x52};
// Last index of TxFrame handed to SendFrame (30 bytes, the checksum follows).
constexpr std::int16_t kLastFrameIndex = 29;
// Bits 4..6 of the first two high-bit bytes are always set.
constexpr int kFixedHighBits = 0x70;
// Frame position of high-bit byte 0; each group takes 5 positions.
constexpr int kFirstGroupPos = 5;
constexpr int kGroupStride = 5;

int HighBitsOfGroup(const CommandBlock& b, int g) {
    int bits = 0;
    for (int k = 0; k < kFieldsPerGroup; ++k) {
        if (b.CmdData[kFieldsPerGroup * g + k] & 0x80) bits |= 1 << k;
    }
    return bits;
}

}  // namespace

Device::Device(Link& link, const KeyTable& keys)
    : link_(link), keys_(keys), frames_(keys.ServiceKey) {
    link_.rx().SetListener(&frames_);
}

Device::~Device() { link_.rx().SetListener(nullptr); }

void Device::PackCommand() {
    CommandBlock& b = block_;
    // The high-bit bytes read bit 7 of the fields before the fields lose it.
    b.CmdHigh[0] = static_cast<std::int16_t>(kFixedHighBits + HighBitsOfGroup(b, 0));
    b.CmdHigh[1] = static_cast<std::int16_t>(kFixedHighBits + HighBitsOfGroup(b, 1));
    b.CmdHigh[2] = static_cast<std::int16_t>(b.CmdSelA * 16 + HighBitsOfGroup(b, 2));
    b.CmdHigh[3] = static_cast<std::int16_t>(b.CmdSelB * 16 + HighBitsOfGroup(b, 3));
    b.CmdHigh[4] = static_cast<std::int16_t>(b.CmdSelC * 16 + HighBitsOfGroup(b, 4));
    for (std::int16_t& d : b.CmdData) d = static_cast<std::int16_t>(d & 0x7F);
}

void Device::SendCommand(StatusCode& Status, AnswerShape shape, Repeat repeat) {
    CommandBlock& b = block_;
    Status = 0;
    for (int i = 0; i < kFirstGroupPos; ++i) b.TxFrame[i] = kFrameHead[i];
    for (int g = 0; g < kFieldGroups; ++g) {
        const int pos = kFirstGroupPos + kGroupStride * g;
        b.TxFrame[pos] = b.CmdHigh[g];
        for (int k = 0; k < kFieldsPerGroup; ++k) {
            b.TxFrame[pos + 1 + k] = b.CmdData[kFieldsPerGroup * g + k];
        }
    }
    for (bool repeated = false;; repeated = true) {
        // A cancelled run sends nothing more.
        if (link_.cancellation().requested()) {
            Status = kCancelled;
            return;
        }
        frames_.Expect(b.TxFrame, {shape});
        Status = link_.SendFrame(b.TxFrame, kLastFrameIndex) ? 0 : kSendFailed;
        // The answer is known by its shape: other devices' frames before or
        // after it neither end nor extend the wait.
        switch (link_.WaitFor(b.WaitStart, kReplyWaitSeconds, [&] { return frames_.answered(); })) {
            case Link::WaitEnd::Ready:
                // The first request may still be answered late: that answer
                // must not pass for the next request's.
                if (repeated) DrainLine();
                return;
            case Link::WaitEnd::Cancelled:
                Status = kCancelled;
                return;
            case Link::WaitEnd::TimedOut:
                break;
        }
        if (repeat == Repeat::Never || repeated) {
            Status = kReplyTimedOut;
            return;
        }
        LineTally& tally = frames_.tally();
        if (tally.repeats >= kMostRepeats) {
            Status = kAnswersLost;
            return;
        }
        ++tally.repeats;
        DrainLine();
    }
}

void Device::DrainLine() {
    frames_.Discard();
    link_.Drain(kDrainQuiet, kDrainLimit);
}

void Device::TakeDataReply() {
    const std::int16_t* reply = frames_.answer();
    for (int g = 0; g < kFieldGroups; ++g) {
        const int pos = kFirstGroupPos + kGroupStride * g;
        block_.CmdHigh[g] = reply[pos];
        for (int k = 0; k < kFieldsPerGroup; ++k) {
            block_.CmdData[kFieldsPerGroup * g + k] = reply[pos + 1 + k];
        }
    }
}

}  // namespace cv2
