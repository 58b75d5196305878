// Helpers for the station tests: byte strings from literals and frames in the
// program's form, decoded the way the program decodes them.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "device/keys.h"
#include "station/command_station.h"
#include "station/station_frame.h"

namespace cv2::station::test {

inline Bytes Hex(std::initializer_list<int> values) {
    Bytes s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

inline int At(const Bytes& b, std::size_t i) { return static_cast<std::uint8_t>(b.at(i)); }

// A memory or bootloader command: first data fields, the service key, selectors.
inline Bytes ServiceCommand(std::initializer_list<int> head, int selB, int page = -1,
                            const std::array<std::uint8_t, 8>& key = ServiceKey) {
    Fields f;
    int i = 0;
    for (int v : head) f.data[i++] = static_cast<std::uint8_t>(v);
    if (page >= 0) {
        f.data[2] = static_cast<std::uint8_t>(page & 0xFF);
        f.data[3] = static_cast<std::uint8_t>(page >> 8);
    }
    for (int k = 0; k < 8; ++k) f.data[8 + k] = key[k];
    f.selA = 3;
    f.selB = static_cast<std::uint8_t>(selB);
    return EncodeCommand(f);
}
inline Bytes DataFlashRead(int page) { return ServiceCommand({0x45, 0x0A}, 3, page); }
inline Bytes DataFlashWrite(int page) { return ServiceCommand({0xDF, 0x0A}, 3, page); }
inline Bytes BootloaderStart() { return ServiceCommand({0x00, 0x7F, 0x7F, 0x7F}, 7); }

inline Bytes ReadBlock(int offset) {
    Fields f;
    f.data[16] = static_cast<std::uint8_t>(offset & 0xFF);
    f.data[17] = static_cast<std::uint8_t>(offset >> 8);
    f.selA = 4;
    f.selB = 4;
    return EncodeCommand(f);
}

// WriteBlock with 16 buffer bytes in order, placed and keyed as the program does.
inline Bytes WriteBlock(int offset, const std::array<std::uint8_t, 16>& bytes) {
    Fields f;
    for (int j = 0; j < 8; ++j) {
        f.data[8 + j] = bytes[j] ^ PayloadKey[8 + j];
        f.data[7 - j] = bytes[8 + j] ^ PayloadKey[7 - j];
    }
    f.data[16] = static_cast<std::uint8_t>(offset & 0xFF);
    f.data[17] = static_cast<std::uint8_t>(offset >> 8);
    f.selA = 4;
    f.selB = 2;
    return EncodeCommand(f);
}

// The 16 buffer bytes a ReadBlock reply carries, in buffer order: bit 7 back
// from the high-bit bytes, key removed, fields 8..15 then 7 down to 0.
inline std::array<std::uint8_t, 16> ReplyBlock(const Bytes& reply) {
    std::array<std::uint8_t, 16> field{}, out{};
    for (int i = 0; i < 16; ++i) {
        const int high = (At(reply, 5 + 5 * (i / 4)) >> (i % 4)) & 1;
        field[i] = static_cast<std::uint8_t>((At(reply, 6 + 5 * (i / 4) + i % 4) | (high << 7)) ^
                                             PayloadKey[i]);
    }
    for (int i = 0; i < 8; ++i) {
        out[i] = field[8 + i];
        out[8 + i] = field[7 - i];
    }
    return out;
}

// Feeds a frame and returns the answers of the given kind.
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

}  // namespace cv2::station::test
