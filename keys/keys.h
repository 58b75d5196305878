// The two keys of the station's service protocol, held in one table that every
// command and both directions of the payload use: ServiceKey travels in the
// memory and bootloader commands and marks the station's boot confirmation;
// PayloadKey is XOR-ed over every 16-byte data block. Header only and built on
// nothing else of the program: the link below the device layer takes the
// service key from here, and the simulated station shares these values and no
// other part of the program.
#pragma once

#include <array>
#include <cstdint>

namespace cv2 {

using ServiceKeyBytes = std::array<std::uint8_t, 8>;
using PayloadKeyBytes = std::array<std::uint8_t, 16>;

// Every byte is below 0x80, so applying PayloadKey never touches bit 7, which
// travels apart from the data fields.
struct KeyTable {
    ServiceKeyBytes ServiceKey{};
    PayloadKeyBytes PayloadKey{};
    bool operator==(const KeyTable&) const = default;
};

// Placeholders shared by the simulated station and the tests, in force when no
// key file is found. A real station answers only to its own keys, which the
// user puts into a key file (device/key_file.h).
inline constexpr KeyTable kBuiltInKeys = {
    {0x4E, 0x17, 0x63, 0x2A, 0x08, 0x75, 0x39, 0x5F},
    {0x5A, 0x13, 0x6C, 0x29, 0x71, 0x04, 0x3E, 0x48, 0x0F, 0x66, 0x21, 0x7D, 0x35, 0x52, 0x0B,
     0x44},
};

}  // namespace cv2
