// Cuts the received byte stream into LocoNet frames, stores each completed
// frame in the next slot of RxFrames and hands it to whoever listens.
#pragma once

#include <cstdint>
#include <span>

#include "link/loconet.h"

namespace cv2 {

// Told of every frame the assembler completes, at the moment it completes.
class FrameListener {
public:
    virtual ~FrameListener() = default;
    // The frame's bytes, opcode first, checksum last, as received.
    virtual void FrameCompleted(std::span<const std::int16_t> frame) = 0;
};

class ReceiveAssembler {
public:
    static constexpr int kSlots = 33;
    static constexpr int kPositions = 65;
    static constexpr int kMark = 64;  // completion mark position: -1 when complete

    // The per-byte step: constant time, no allocation, never writes outside RxFrames.
    void Step(std::uint8_t b);
    // Every position of every slot to 0.
    void ClearFrames();
    // Who is told of each completed frame (nobody: null).
    void SetListener(FrameListener* listener) { listener_ = listener; }

    std::int16_t RxFrames[kSlots][kPositions] = {};
    std::int16_t RxSlot = 0;
    bool RxInFrame = false;
    std::int16_t RxPos = 0;
    std::int16_t RxExpected = 0;

private:
    FrameListener* listener_ = nullptr;
    // The frame in progress from its opcode on, also when a sender moved RxSlot
    // while it came in: the listener hears it whole.
    std::int16_t frame_[kLongestFrame] = {};
};

}  // namespace cv2
