// Helpers for the station tests: frames in the program's form and the
// station's answers picked out by kind.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "device/keys.h"
#include "station/command_station.h"
#include "station/station_frame.h"
#include "tests/support/byte_strings.h"

namespace cv2::station::test {

inline Bytes Hex(std::initializer_list<int> values) { return cv2::test::Bytes(values); }

const Bytes kAccepted = Hex({0xB4, 0x6D, 0x7F, 0x59});
const Bytes kRefused = Hex({0xB4, 0x6D, 0x00, 0x26});
// ReadBlock at offset 0x20, as the program sends it.
const Bytes kReadBlock20 = Hex({0xED, 0x1F, 0x08, 0x5A, 0x52, 0x70, 0x00, 0x00, 0x00, 0x00, 0x70,
                                0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00,
                                0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x2D});
const Bytes kFsProgOn =
    Hex({0xED, 0x0F, 0x08, 0x05, 0x00, 0x21, 0x71, 0x0D, 0x19, 0x00, 0x00, 0x7F, 0x7F, 0x00, 0x54});

// A memory or bootloader command: first data fields (a page low byte first), the
// service key, selectors.
inline Bytes ServiceCommand(std::initializer_list<int> head, int selB,
                            const std::array<std::uint8_t, 8>& key = ServiceKey) {
    Fields f;
    int i = 0;
    for (int v : head) f.data[i++] = static_cast<std::uint8_t>(v);
    for (int k = 0; k < 8; ++k) f.data[8 + k] = key[k];
    f.selA = 3;
    f.selB = static_cast<std::uint8_t>(selB);
    return EncodeCommand(f);
}
inline Bytes DataFlashRead(int page) {
    return ServiceCommand({0x45, 0x0A, page & 0xFF, page >> 8}, 3);
}
inline Bytes BootloaderStart() { return ServiceCommand({0x00, 0x7F, 0x7F, 0x7F}, 7); }

// ReadBlock (no bytes) or WriteBlock (16 buffer bytes, placed and keyed as the program does).
inline Bytes BlockCommand(int offset, const std::array<std::uint8_t, 16>* bytes = nullptr) {
    Fields f;
    for (int j = 0; bytes && j < 8; ++j) {
        f.data[8 + j] = (*bytes)[j] ^ PayloadKey[8 + j];
        f.data[7 - j] = (*bytes)[8 + j] ^ PayloadKey[7 - j];
    }
    f.data[16] = static_cast<std::uint8_t>(offset & 0xFF);
    f.data[17] = static_cast<std::uint8_t>(offset >> 8);
    f.selA = 4;
    f.selB = bytes ? 2 : 4;
    return EncodeCommand(f);
}
inline Bytes ReadBlock(int offset) { return BlockCommand(offset); }
inline Bytes WriteBlock(int offset, const std::array<std::uint8_t, 16>& b) {
    return BlockCommand(offset, &b);
}

// Feeds bytes and returns the answers of the given kind.
inline std::vector<Bytes> Answers(CommandStation& s, const Bytes& in, AnswerKind kind) {
    std::vector<Bytes> out;
    for (auto& a : s.Receive(in))
        if (a.kind == kind) out.push_back(a.bytes);
    return out;
}

// The one reply to a request (empty when there is none).
inline Bytes ReplyTo(CommandStation& s, const Bytes& in) {
    auto r = Answers(s, in, AnswerKind::Reply);
    return r.empty() ? Bytes() : r.front();
}

// The kinds of the answers to the given bytes, in order.
inline std::vector<AnswerKind> Kinds(CommandStation& s, const Bytes& in) {
    std::vector<AnswerKind> k;
    for (auto& a : s.Receive(in)) k.push_back(a.kind);
    return k;
}

}  // namespace cv2::station::test
