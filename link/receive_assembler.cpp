#include "link/receive_assembler.h"

#include <cstring>

namespace cv2 {

namespace {
// A slot holds 64 frame bytes; position 64 is the mark.
constexpr std::int16_t kMaxFrame = ReceiveAssembler::kMark;
// The assembler fills slots 0..31 in turn; slot 32 stays free for the senders.
constexpr std::int16_t kSlotMask = 31;
// Opcode whose frame length comes from its second byte.
constexpr std::int16_t kLengthFollows = 255;
}  // namespace

void ReceiveAssembler::Step(std::uint8_t b) {
    if (b & 0x80) {
        RxExpected = FrameLength(b);
        RxInFrame = true;
        RxPos = 0;
    }
    if (!RxInFrame) return;
    // Senders only ever set RxSlot to 0; masking keeps any other value inside
    // slots 0..31 all the same.
    RxSlot = static_cast<std::int16_t>(RxSlot & kSlotMask);
    RxFrames[RxSlot][RxPos] = b;
    ++RxPos;
    if (RxExpected == kLengthFollows && RxPos == 2) {
        RxExpected = b;
        // A length of 0 or 1 can never complete, one above 64 cannot be stored:
        // drop the frame here, so no later byte is written outside the slot.
        if (RxExpected < 2 || RxExpected > kMaxFrame) {
            RxInFrame = false;
            return;
        }
    }
    if (RxPos == RxExpected) {
        RxInFrame = false;
        RxFrames[RxSlot][kMark] = -1;
        if (BootConfirmed == 0) CheckBootConfirmation();
        RxSlot = static_cast<std::int16_t>((RxSlot + 1) & kSlotMask);
    }
}

void ReceiveAssembler::CheckBootConfirmation() {
    const std::int16_t* f = RxFrames[RxSlot & kSlotMask];
    struct Expect {
        int pos;
        std::int16_t value;
    };
    static constexpr Expect fixed[] = {{0, 0xE5},  {1, 0x1F},  {2, 0x01},  {3, 0x50},  {4, 0x43},
                                       {5, 0x70},  {7, 0x7F},  {8, 0x7F},  {9, 0x7F},  {10, 0x70},
                                       {11, 0x00}, {12, 0x00}, {13, 0x00}, {14, 0x00}, {15, 0x30},
                                       {20, 0x70}, {25, 0x00}};
    for (const Expect& e : fixed) {
        if (f[e.pos] != e.value) return;
    }
    for (int i = 0; i < 4; ++i) {
        if (f[16 + i] != serviceKey_[i] || f[21 + i] != serviceKey_[4 + i]) return;
    }
    BootConfirmed = 1;
}

void ReceiveAssembler::ClearFrames() { std::memset(RxFrames, 0, sizeof RxFrames); }

}  // namespace cv2
