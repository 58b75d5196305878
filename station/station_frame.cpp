#include "station/station_frame.h"

namespace cv2::station {

namespace {

constexpr std::uint8_t kTagZ = 0x5A;
constexpr std::uint8_t kTagR = 0x52;
constexpr std::uint8_t kTagP = 0x50;
constexpr std::uint8_t kTagC = 0x43;
constexpr int kGroups = 5;
constexpr int kFirstGroupByte = 5;  // high-bit byte of group g at 5 + 5g, its data behind it
constexpr std::uint8_t kFixedGroupBits = 0x70;  // groups 0 and 1 carry 0b111 in bits 4..6

std::uint8_t At(const Bytes& b, std::size_t i) { return static_cast<std::uint8_t>(b[i]); }

Fields DecodeGroups(const Bytes& frame) {
    Fields f;
    for (int g = 0; g < kGroups; ++g) {
        const std::uint8_t high = At(frame, kFirstGroupByte + 5 * g);
        for (int k = 0; k < 4; ++k) {
            const std::uint8_t low = At(frame, kFirstGroupByte + 5 * g + 1 + k) & 0x7F;
            f.data[4 * g + k] = static_cast<std::uint8_t>(low | (((high >> k) & 1) << 7));
        }
    }
    f.selA = (At(frame, 15) >> 4) & 7;
    f.selB = (At(frame, 20) >> 4) & 7;
    f.selC = (At(frame, 25) >> 4) & 7;
    return f;
}

Bytes EncodeFrame(std::uint8_t op, std::uint8_t route, std::uint8_t tag1, std::uint8_t tag2,
                  const Fields& f) {
    Bytes out;
    out += static_cast<char>(op);
    out += static_cast<char>(kCommandFrameLength);
    out += static_cast<char>(route);
    out += static_cast<char>(tag1);
    out += static_cast<char>(tag2);
    const std::uint8_t sel[kGroups] = {kFixedGroupBits >> 4, kFixedGroupBits >> 4, f.selA, f.selB,
                                       f.selC};
    for (int g = 0; g < kGroups; ++g) {
        std::uint8_t high = static_cast<std::uint8_t>((sel[g] & 7) << 4);
        for (int k = 0; k < 4; ++k) high |= ((f.data[4 * g + k] >> 7) & 1) << k;
        out += static_cast<char>(high);
        for (int k = 0; k < 4; ++k) out += static_cast<char>(f.data[4 * g + k] & 0x7F);
    }
    return Sealed(out);
}

}  // namespace

int FrameLength(std::uint8_t opcode, std::optional<std::uint8_t> second) {
    switch (opcode & 0xE0) {
        case 0x80:
            return 2;
        case 0xA0:
            return 4;
        case 0xC0:
            return 6;
        case 0xE0:
            return second ? *second : 0;
        default:
            return -1;  // not an opcode
    }
}

std::uint8_t Checksum(const Bytes& frameWithoutChecksum) {
    std::uint8_t sum = 0xFF;
    for (char c : frameWithoutChecksum) sum ^= static_cast<std::uint8_t>(c);
    return sum;
}

bool ChecksumValid(const Bytes& frame) {
    std::uint8_t sum = 0;
    for (char c : frame) sum ^= static_cast<std::uint8_t>(c);
    return sum == 0xFF;
}

Bytes Sealed(Bytes frameWithoutChecksum) {
    const std::uint8_t sum = Checksum(frameWithoutChecksum);
    frameWithoutChecksum += static_cast<char>(sum);
    return frameWithoutChecksum;
}

std::optional<Fields> DecodeCommand(const Bytes& frame) {
    if (frame.size() != kCommandFrameLength || At(frame, 0) != kOpCommand ||
        At(frame, 1) != kCommandFrameLength || At(frame, 2) != kRouteCommand ||
        At(frame, 3) != kTagZ || At(frame, 4) != kTagR)
        return std::nullopt;
    return DecodeGroups(frame);
}

Bytes EncodeCommand(const Fields& fields) {
    return EncodeFrame(kOpCommand, kRouteCommand, kTagZ, kTagR, fields);
}

Bytes EncodeDataReply(const Fields& fields) {
    return EncodeFrame(kOpDataReply, kRouteReply, kTagP, kTagC, fields);
}

Bytes LongAck(std::uint8_t opcode, std::uint8_t code) {
    Bytes out;
    out += static_cast<char>(kOpLongAck);
    out += static_cast<char>(opcode & 0x7F);
    out += static_cast<char>(code & 0x7F);
    return Sealed(out);
}

std::optional<FsFrame> DecodeFs(const Bytes& frame) {
    if (frame.size() != kFsFrameLength || At(frame, 1) != kFsFrameLength) return std::nullopt;
    FsFrame f;
    for (int i = 0; i < 14; ++i) f.raw[i] = At(frame, i);
    const std::uint8_t high = f.raw[6];
    auto full = [&](int pos) {
        return static_cast<std::uint8_t>((f.raw[pos] & 0x7F) | (((high >> (pos - 7)) & 1) << 7));
    };
    f.address = static_cast<std::uint16_t>(full(7) | (full(8) << 8));
    f.field1 = static_cast<std::uint16_t>(full(9) | (full(10) << 8));
    f.field2 = static_cast<std::uint16_t>(full(11) | (full(12) << 8));
    f.last = full(13);
    return f;
}

Bytes EncodeFsReply(const FsFrame& request, std::uint16_t field1, std::uint16_t field2) {
    std::array<std::uint8_t, 14> r{};
    r[0] = kOpDataReply;
    r[1] = kFsFrameLength;
    for (int i = 2; i <= 5; ++i) r[i] = request.raw[i];
    // The address goes back exactly as it came, its high bits included.
    r[7] = request.raw[7];
    r[8] = request.raw[8];
    std::uint8_t high = request.raw[6] & 0x03;
    const std::uint8_t values[4] = {
        static_cast<std::uint8_t>(field1 & 0xFF), static_cast<std::uint8_t>(field1 >> 8),
        static_cast<std::uint8_t>(field2 & 0xFF), static_cast<std::uint8_t>(field2 >> 8)};
    for (int n = 0; n < 4; ++n) {
        r[9 + n] = values[n] & 0x7F;
        high |= ((values[n] >> 7) & 1) << (2 + n);
    }
    r[6] = high;
    r[13] = 0;
    Bytes out;
    for (auto b : r) out += static_cast<char>(b);
    return Sealed(out);
}

}  // namespace cv2::station
