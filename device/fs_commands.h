// The FS module's own 15-byte protocol beside the station's commands:
// programming on and off, reading and writing one 16-bit entry, each with its
// retries and time limits, the request frames and the reply wait.
#pragma once

#include <array>
#include <cstdint>

#include "device/device.h"
#include "device/status.h"

namespace cv2 {

// Positions 0..13 of a request; the transmitter appends the checksum.
using FsFrameArray = std::array<std::int16_t, 14>;

// The module's address on every exchange.
constexpr std::int32_t kFsModuleAddress = 6541;
// The key sent with programming on before the module's own is known.
constexpr std::int32_t kFsNoKey = 65535;
// Moves bit 7 of positions 7..13 into bits 0..6 of position 6 and clears it there.
void FsEncodeFrame(FsFrameArray& FsFrame);
// 0..65535 read as a two's-complement 16-bit number.
constexpr std::int32_t ToSigned16(std::int32_t x) { return x < 32768 ? x : x - 65536; }

// K: in 65535, out the module's key. 300031 after ten unanswered attempts.
void FsProgOn(Device& device, std::int32_t A, std::int32_t& K, StatusCode& Status);
// value: the entry as a signed 16-bit number. 310031 after ten attempts.
void FsReadEntry(Device& device, std::int32_t A, std::int32_t E, std::int32_t& value,
                 StatusCode& Status);
// 320032 when the module refuses, 320031 after ten unanswered attempts.
void FsWriteEntry(Device& device, std::int32_t A, std::int32_t E, std::int32_t V,
                  StatusCode& Status);
// Waits for the frame's own echo; 330013 when none comes within 3 s.
void FsProgOff(Device& device, std::int32_t A, std::int32_t K, StatusCode& Status);

}  // namespace cv2
