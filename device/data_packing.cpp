// Conversion of a 16-byte payload block between wire form (bit 7 in the
// high-bit bytes, PayloadKey applied) and file form.
#include "device/command_layout.h"
#include "device/device.h"

namespace cv2 {

namespace {

// File bytes 1..8 travel in CmdData 8..15, file bytes 9..16 in CmdData 7..0.
constexpr int kFirstHalfBase = 7;
constexpr int kSecondHalfBase = 16;

}  // namespace

void Device::UnpackReply() {
    for (int g = 0; g < kFieldGroups; ++g) {
        for (int k = 0; k < kFieldsPerGroup; ++k) {
            if (block_.CmdHigh[g] & (1 << k)) block_.CmdData[kFieldsPerGroup * g + k] += 128;
        }
    }
}

void Device::DescramblePayload() {
    for (int i = 0; i < kPayloadBytes; ++i) {
        block_.CmdData[i] = static_cast<std::int16_t>(block_.CmdData[i] ^ keys_.PayloadKey[i]);
    }
}

void Device::ScramblePayload(const RecordBuffer& RecordBuf) {
    for (int j = 1; j <= 8; ++j) block_.CmdData[kFirstHalfBase + j] = RecordBuf[j];
    for (int j = 9; j <= 16; ++j) block_.CmdData[kSecondHalfBase - j] = RecordBuf[j];
    // The key is its own inverse: the same XOR removes it after reading.
    DescramblePayload();
}

}  // namespace cv2
