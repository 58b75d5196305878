#include "link/receive_assembler.h"

#include <cstring>

namespace cv2 {

namespace {
// A slot holds 64 frame bytes; position 64 is the mark.
static_assert(kLongestFrame == ReceiveAssembler::kMark);
// The assembler fills slots 0..31 in turn; slot 32 stays free for the senders.
constexpr std::int16_t kSlotMask = 31;
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
    frame_[RxPos] = b;
    ++RxPos;
    if (RxExpected == kLengthFollows && RxPos == 2) {
        RxExpected = b;
        // A length of 0 or 1 can never complete, one above 64 cannot be stored:
        // drop the frame here, so no later byte is written outside the slot.
        if (RxExpected < 2 || RxExpected > kLongestFrame) {
            RxInFrame = false;
            return;
        }
    }
    if (RxPos == RxExpected) {
        RxInFrame = false;
        RxFrames[RxSlot][kMark] = -1;
        if (listener_) {
            listener_->FrameCompleted(
                std::span<const std::int16_t>(frame_, static_cast<std::size_t>(RxPos)));
        }
        RxSlot = static_cast<std::int16_t>((RxSlot + 1) & kSlotMask);
    }
}

void ReceiveAssembler::ClearFrames() { std::memset(RxFrames, 0, sizeof RxFrames); }

}  // namespace cv2
