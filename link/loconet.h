// LocoNet's own facts, in one place for everything that sends, cuts or
// recognises messages: the opcodes this program uses, a message's length from
// its opcode, the long acknowledge, and the checksum.
#pragma once

#include <cstdint>
#include <span>

namespace cv2 {

// The opcodes this program sends and hears.
inline constexpr std::int16_t kOpLongAck = 0xB4;  // answers a request: its opcode, a code
inline constexpr std::int16_t kOpCommand = 0xED;  // variable length: the program's requests
inline constexpr std::int16_t kOpReply =
    0xE5;  // variable length: data replies, the FS module's frames
// A long acknowledge: opcode, the answered opcode with bit 7 cleared, the code, checksum.
inline constexpr std::size_t kLongAckLength = 4;
constexpr std::int16_t AckedOpcode(std::int16_t opcode) {
    return static_cast<std::int16_t>(opcode & 0x7F);
}

// Length of a message whose opcode does not give it: the second byte does.
inline constexpr std::int16_t kLengthFollows = 255;
// The longest message a receive slot holds, checksum included.
inline constexpr std::int16_t kLongestFrame = 64;

// Total message length, checksum included, by the opcode's upper bits.
constexpr std::int16_t FrameLength(std::uint8_t opcode) {
    switch (opcode & 0xE0) {
        case 0x80:
            return 2;
        case 0xA0:
            return 4;
        case 0xC0:
            return 6;
        default:
            return kLengthFollows;
    }
}

// The XOR of every byte of a message, checksum included, is 0xFF.
inline constexpr int kChecksumSeed = 0xFF;

// The checksum that completes the given bytes.
template <typename Byte>
constexpr std::uint8_t Checksum(std::span<const Byte> bytes) {
    int x = kChecksumSeed;
    for (Byte b : bytes) x ^= static_cast<std::uint8_t>(b);
    return static_cast<std::uint8_t>(x);
}

// True when the last byte is the checksum of the ones before it.
template <typename Byte>
constexpr bool ChecksumValid(std::span<const Byte> message) {
    return !message.empty() && Checksum(message) == 0;
}

}  // namespace cv2
