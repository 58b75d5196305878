// The 31-byte vendor command frame: packing bit 7 of the data fields into the
// high-bit bytes, laying the field block into TxFrame, and the reply wait.
#include <cstdint>

#include "device/command_layout.h"
#include "device/device.h"

namespace cv2 {

namespace {

// Frame head of every command: variable-length opcode, length 31, command route, tag "ZR".
constexpr std::int16_t kFrameHead[5] = {0xED, 0x1F, 0x08, 0x5A, 0x52};
// Last index of TxFrame handed to SendFrame (30 bytes, the checksum follows).
constexpr std::int16_t kLastFrameIndex = 29;
// Bits 4..6 of the first two high-bit bytes are always set.
constexpr int kFixedHighBits = 0x70;
// Frame position of high-bit byte 0; each group takes 5 positions.
constexpr int kFirstGroupPos = 5;
constexpr int kGroupStride = 5;
// The echo of the command and the station's answer.
constexpr std::int16_t kFramesAwaited = 2;

int HighBitsOfGroup(const CommandBlock& b, int g) {
    int bits = 0;
    for (int k = 0; k < kFieldsPerGroup; ++k) {
        if (b.CmdData[kFieldsPerGroup * g + k] & 0x80) bits |= 1 << k;
    }
    return bits;
}

}  // namespace

Device::Device(Link& link, const KeyTable& keys) : link_(link), keys_(keys) {}

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

void Device::SendCommand(StatusCode& Status) {
    CommandBlock& b = block_;
    ReceiveAssembler& rx = link_.rx();
    Status = 0;
    for (int i = 0; i < kFirstGroupPos; ++i) b.TxFrame[i] = kFrameHead[i];
    for (int g = 0; g < kFieldGroups; ++g) {
        const int pos = kFirstGroupPos + kGroupStride * g;
        b.TxFrame[pos] = b.CmdHigh[g];
        for (int k = 0; k < kFieldsPerGroup; ++k) {
            b.TxFrame[pos + 1 + k] = b.CmdData[kFieldsPerGroup * g + k];
        }
    }
    // A cancelled run sends nothing more.
    if (link_.cancellation().requested()) {
        Status = kCancelled;
        return;
    }
    rx.RxSlot = 0;
    Status = link_.SendFrame(b.TxFrame, kLastFrameIndex);
    // Equality, not "at least": a third frame before the wait looks means the
    // frames in slots 0 and 1 are not known to be echo and answer.
    switch (link_.WaitFor(b.WaitStart, kReplyWaitSeconds,
                          [&] { return rx.RxSlot == kFramesAwaited; })) {
        case Link::WaitEnd::Ready:
            return;
        case Link::WaitEnd::TimedOut:
            Status = kReplyTimedOut;
            return;
        case Link::WaitEnd::Cancelled:
            Status = kCancelled;
            return;
    }
}

void Device::TakeDataReply() {
    const std::int16_t* reply = link_.rx().RxFrames[kReplySlot];
    for (int g = 0; g < kFieldGroups; ++g) {
        const int pos = kFirstGroupPos + kGroupStride * g;
        block_.CmdHigh[g] = reply[pos];
        for (int k = 0; k < kFieldsPerGroup; ++k) {
            block_.CmdData[kFieldsPerGroup * g + k] = reply[pos + 1 + k];
        }
    }
}

}  // namespace cv2
