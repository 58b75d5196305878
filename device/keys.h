// The two fixed keys of the station's service protocol: ServiceKey travels in the
// memory and bootloader commands, PayloadKey is XOR-ed over every 16-byte data block.
// The byte values are chosen at configure time (CMake cache CV2_SERVICE_KEY / CV2_PAYLOAD_KEY).
#pragma once

#include <array>
#include <cstdint>

#include "device/keys.generated.h"

namespace cv2 {

inline constexpr std::array<std::uint8_t, 8> ServiceKey = {CV2_SERVICE_KEY_BYTES};
inline constexpr std::array<std::uint8_t, 16> PayloadKey = {CV2_PAYLOAD_KEY_BYTES};

static_assert(
    [] {
        for (auto b : ServiceKey)
            if (b >= 0x80) return false;
        for (auto b : PayloadKey)
            if (b >= 0x80) return false;
        return true;
    }(),
    "key bytes must be below 0x80");

}  // namespace cv2
