// Cuts the received byte stream into LocoNet frames and stores each completed
// frame in the next slot of RxFrames; recognises the station's boot confirmation.
#pragma once

#include <array>
#include <cstdint>

#include "keys/keys.h"

namespace cv2 {

// Total frame length, checksum included, by the opcode's upper bits;
// 255: the second byte gives the length.
constexpr std::int16_t FrameLength(std::uint8_t opcode) {
    switch (opcode & 0xE0) {
        case 0x80:
            return 2;
        case 0xA0:
            return 4;
        case 0xC0:
            return 6;
        default:
            return 255;
    }
}

class ReceiveAssembler {
public:
    static constexpr int kSlots = 33;
    static constexpr int kPositions = 65;
    static constexpr int kMark = 64;  // completion mark position: -1 when complete

    explicit ReceiveAssembler(const ServiceKeyBytes& serviceKey) : serviceKey_(serviceKey) {}

    // The per-byte step: constant time, no allocation, never writes outside RxFrames.
    void Step(std::uint8_t b);
    // Examines slot RxSlot (the frame just completed); sets BootConfirmed = 1 on a match.
    void CheckBootConfirmation();
    // Every position of every slot to 0.
    void ClearFrames();

    std::int16_t RxFrames[kSlots][kPositions] = {};
    std::int16_t RxSlot = 0;
    bool RxInFrame = false;
    std::int16_t RxPos = 0;
    std::int16_t RxExpected = 0;
    std::int16_t BootConfirmed = 255;  // 255 at program start: not watching

private:
    ServiceKeyBytes serviceKey_;
};

}  // namespace cv2
