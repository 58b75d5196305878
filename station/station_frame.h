// The station's own view of LocoNet frames: length rules, checksum, the 31-byte
// vendor command frame with its five high-bit groups, the replies the station
// sends (long acknowledge, data reply) and the 15-byte FS module frames.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace cv2::station {

using Bytes = std::string;  // one char per byte on the wire

constexpr std::uint8_t kOpLongAck = 0xB4;
constexpr std::uint8_t kOpCommand = 0xED;  // variable length, sent by the program
constexpr std::uint8_t kOpDataReply = 0xE5;
constexpr int kCommandFrameLength = 31;
constexpr int kFsFrameLength = 15;
constexpr std::uint8_t kAckAccepted = 0x7F;
constexpr std::uint8_t kAckRefused = 0x00;
constexpr std::uint8_t kAckDirect = 0x01;  // bootloader already running: no confirmation follows

// Total length of a frame (checksum included) from its opcode and, for the
// variable-length class, its second byte; 0 when the second byte is still needed.
int FrameLength(std::uint8_t opcode, std::optional<std::uint8_t> second = std::nullopt);

// 0xFF XOR every byte: the byte that completes a frame.
std::uint8_t Checksum(const Bytes& frameWithoutChecksum);
// True when the XOR of all bytes, checksum included, is 0xFF.
bool ChecksumValid(const Bytes& frame);
// Appends the checksum.
Bytes Sealed(Bytes frameWithoutChecksum);

// The 20 data fields (bit 7 restored) and the three selectors of a command
// frame or data reply.
struct Fields {
    std::array<std::uint8_t, 20> data{};
    std::uint8_t selA = 0, selB = 0, selC = 0;
};

// The route byte of a command frame and the tag "ZR" that follows it.
constexpr std::uint8_t kRouteCommand = 0x08;
constexpr std::uint8_t kRouteReply = 0x01;

// A 31-byte frame ED 1F 08 5A 52 ...; nothing when the bytes are not one.
std::optional<Fields> DecodeCommand(const Bytes& frame);
// ED 1F 08 5A 52 + groups + checksum: what the program sends (used by tests and tools).
Bytes EncodeCommand(const Fields& fields);
// E5 1F 01 50 43 + groups + checksum.
Bytes EncodeDataReply(const Fields& fields);
// B4 <opcode & 0x7F> <code> <checksum>.
Bytes LongAck(std::uint8_t opcode, std::uint8_t code);

// An FS module frame with its 16-bit fields rebuilt from the high-bit byte
// at position 6 (bit n holds bit 7 of position 7 + n).
struct FsFrame {
    std::array<std::uint8_t, 14> raw{};  // positions 0..13 as on the wire
    std::uint16_t address = 0;           // positions 7, 8
    std::uint16_t field1 = 0;            // positions 9, 10
    std::uint16_t field2 = 0;            // positions 11, 12
    std::uint8_t last = 0;               // position 13
};

std::optional<FsFrame> DecodeFs(const Bytes& frame);
// A 15-byte FS reply: opcode E5, the request's positions 2..5, address echo as
// the request carried it, F1 and F2.
Bytes EncodeFsReply(const FsFrame& request, std::uint16_t field1, std::uint16_t field2);

}  // namespace cv2::station
