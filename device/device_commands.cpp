// The device commands: each fills the command field block, packs and sends it,
// checks the station's answer and leaves a status.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "device/command_layout.h"
#include "device/device.h"
#include "device/latin1_text.h"
#include "device/status.h"

namespace cv2 {

namespace {

// BootloaderStart is done at once on this code, without a confirmation frame.
constexpr std::int16_t kAckBootRunning = 0x01;

// Status codes of refused or missing answers.
constexpr StatusCode kSamFlashWriteRefused = Code(Kind::SamFlashWrite, Detail::NoAnswer);
constexpr StatusCode kSamFlashReadRefused = Code(Kind::SamFlashRead, Detail::NoAnswer);
constexpr StatusCode kDataFlashReadRefused = Code(Kind::DataFlashRead, Detail::NoAnswer);
constexpr StatusCode kDataFlashWriteRefused = Code(Kind::DataFlashWrite, Detail::NoAnswer);
constexpr StatusCode kWriteBlockRefused = Code(Kind::SendData, Detail::NoAnswer);
constexpr StatusCode kMessageRefused = Code(Kind::Message, Detail::NoAnswer);

// The serial number is 1200000000 plus 22 bits taken from the identity bytes.
constexpr double kSerialBase = 1200000000.0;
constexpr std::int16_t kSerialPage = 63;
constexpr std::int16_t kSerialOffset = 0xF0;

constexpr std::size_t kDisplayChars = 20;

// What one command puts into the field block; everything not named is 0.
struct Fields {
    std::array<std::int16_t, 8> low{};   // CmdData 0..7
    bool serviceKey = false;             // CmdData 8..15 = ServiceKey
    std::array<std::int16_t, 4> tail{};  // CmdData 16..19
    std::int16_t selA = 0, selB = 0, selC = 0;
};

std::int16_t Lo(std::int16_t v) { return static_cast<std::int16_t>(v & 0xFF); }
// The high byte as the 16-bit arithmetic gives it: negative for an argument with
// bit 15 set; PackCommand keeps only its low 8 bits.
std::int16_t Hi(std::int16_t v) { return static_cast<std::int16_t>(v & 0xFF00) / 256; }

void Load(Device& d, const Fields& f) {
    CommandBlock& b = d.block();
    const ServiceKeyBytes& serviceKey = d.keys().ServiceKey;
    std::fill(std::begin(b.CmdData), std::end(b.CmdData), std::int16_t{0});
    std::copy(f.low.begin(), f.low.end(), b.CmdData);
    if (f.serviceKey) std::copy(serviceKey.begin(), serviceKey.end(), b.CmdData + 8);
    std::copy(f.tail.begin(), f.tail.end(), b.CmdData + 16);
    b.CmdSelA = f.selA;
    b.CmdSelB = f.selB;
    b.CmdSelC = f.selC;
}

std::span<const std::int16_t> Reply(Device& d) { return d.frames().answerFrame(); }

bool IsLongAck(std::span<const std::int16_t> reply, std::int16_t code) {
    return IsCommandAck(reply) && reply[2] == code;
}

void PackAndSend(Device& d, StatusCode& Status, AnswerShape shape = AnswerShape::Command,
                 Repeat repeat = Repeat::Once) {
    d.PackCommand();
    d.SendCommand(Status, shape, repeat);
}

// The course of every command answered by a long acknowledge: refusedCode when
// the answer is anything but B4 6D 7F; a time-out or send failure passes through.
void ExpectAccepted(Device& d, StatusCode refusedCode, StatusCode& Status) {
    if (Status != 0) return;
    Status = IsLongAck(Reply(d), kAckAccepted) ? 0 : refusedCode;
}

Fields SamFlashReadFields(std::int16_t page) {
    return {{0x00, 0x08, Lo(page), Hi(page), 0x5A, 0, 0, 0}, true, {}, 3, 3, 0};
}

Fields ReadBlockFields(std::int16_t offset) {
    return {{}, false, {Lo(offset), Hi(offset), 0, 0}, 4, 4, 0};
}

}  // namespace

void Device::SamFlashRead(std::int16_t page, StatusCode& Status) {
    Load(*this, SamFlashReadFields(page));
    PackAndSend(*this, Status);
    ExpectAccepted(*this, kSamFlashReadRefused, Status);
}

void Device::SamFlashWrite(std::int16_t page, StatusCode& Status) {
    Load(*this, {{0x5A, 0x08, Lo(page), Hi(page), 0x5B, 0, 0, 0x01}, true, {}, 3, 3, 0});
    PackAndSend(*this, Status);
    ExpectAccepted(*this, kSamFlashWriteRefused, Status);
}

void Device::DataFlashRead(std::int16_t page, StatusCode& Status) {
    Load(*this, {{0x45, 0x0A, Lo(page), Hi(page), 0, 0, 0, 0}, true, {}, 3, 3, 0});
    PackAndSend(*this, Status);
    ExpectAccepted(*this, kDataFlashReadRefused, Status);
}

void Device::DataFlashWrite(std::int16_t page, StatusCode& Status) {
    Load(*this, {{0xDF, 0x0A, Lo(page), Hi(page), 0, 0, 0, 0}, true, {}, 3, 3, 0});
    PackAndSend(*this, Status);
    ExpectAccepted(*this, kDataFlashWriteRefused, Status);
}

void Device::ReadBlock(std::int16_t offset, StatusCode& Status) {
    Load(*this, ReadBlockFields(offset));
    // Only a data reply answers a block read.
    PackAndSend(*this, Status, AnswerShape::DataReply);
    if (Status != 0) return;
    TakeDataReply();
    UnpackReply();
    DescramblePayload();
}

void Device::WriteBlock(std::int16_t offset, const RecordBuffer& RecordBuf, StatusCode& Status) {
    Load(*this, {{}, false, {Lo(offset), Hi(offset), 0, 0}, 4, 2, 0});
    ScramblePayload(RecordBuf);
    PackAndSend(*this, Status);
    ExpectAccepted(*this, kWriteBlockRefused, Status);
}

void Device::ReadSerialNumber(double& serial, std::int16_t& id3, std::int16_t& id2,
                              std::int16_t& id1, std::int16_t& id0, StatusCode& Status) {
    Load(*this, SamFlashReadFields(kSerialPage));
    PackAndSend(*this, Status);
    if (Status != 0) return;
    if (!IsLongAck(Reply(*this), kAckAccepted)) {
        Status = kMessageRefused + StepCode(Step::SerialNumber);
        return;
    }
    Load(*this, ReadBlockFields(kSerialOffset));
    PackAndSend(*this, Status);
    if (Status != 0) return;
    if (!IsDataReply(Reply(*this))) {
        Status = kMessageRefused + StepCode(Step::SerialNumber);
        return;
    }
    TakeDataReply();
    UnpackReply();
    DescramblePayload();
    const CommandBlock& b = block_;
    // Bits 6 and 7 of identity byte 1 are not part of the number.
    serial = kSerialBase + (b.CmdData[1] & 0x3F) * 65536.0 + b.CmdData[2] * 256.0 + b.CmdData[3];
    id3 = b.CmdData[3];
    id2 = b.CmdData[2];
    id1 = b.CmdData[1];
    id0 = b.CmdData[0];
    Status = 0;
}

void Device::BootloaderStart(StatusCode& Status) {
    Load(*this, {{0x00, 0x7F, 0x7F, 0x7F, 0, 0, 0, 0}, true, {}, 3, 7, 0});
    // Never sent twice: a second start would restart a station that already runs
    // its bootloader.
    PackAndSend(*this, Status, AnswerShape::BootStart, Repeat::Never);
    if (Status == 0) {
        const std::span<const std::int16_t> reply = Reply(*this);
        if (IsLongAck(reply, kAckBootRunning)) return;
        if (IsLongAck(reply, kAckAccepted)) {
            // The station restarts into its bootloader and confirms with a frame of
            // its own, which may have come with the acknowledge already.
            // Bounded, so that a station that never confirms cannot hang the program.
            const Link::WaitEnd end = link_.WaitFor(block_.WaitStart, kBootConfirmWaitSeconds,
                                                    [&] { return frames_.confirmed(); });
            if (end == Link::WaitEnd::Ready) return;
            Status = end == Link::WaitEnd::Cancelled ? kCancelled : kMessageRefused;
        } else {
            Status = kMessageRefused;
        }
    }
    AddStep(Step::BootloaderStart, Status);
}

void Device::BootloaderEnd(StatusCode& Status) {
    Load(*this, {{0x20, 0x7F, 0x7F, 0x7F, 0, 0, 0, 0}, true, {}, 3, 0, 0});
    PackAndSend(*this, Status, AnswerShape::Command, Repeat::Never);
    ExpectAccepted(*this, kMessageRefused, Status);
    AddStep(Step::BootloaderEnd, Status);
}

void Device::DisplayClear(StatusCode& Status) {
    Load(*this, {{}, false, {}, 3, 1, 0});
    PackAndSend(*this, Status);
    AddStep(Step::DisplayClear, Status);
}

void Device::DisplayCursor(std::int16_t a, std::int16_t b, StatusCode& Status) {
    // The second argument's low byte goes out twice; its high byte not at all.
    Load(*this, {{Lo(a), Hi(a), Lo(b), Lo(b), 0, 0, 0, 0}, false, {}, 3, 1, 1});
    PackAndSend(*this, Status);
    AddStep(Step::DisplayCursor, Status);
}

void Device::DisplayText(const std::string& text, StatusCode& Status) {
    Load(*this, {{}, false, {}, 3, 1, 3});
    const std::string codes = Utf8ToLatin1(text);
    const std::size_t n = std::min(codes.size(), kDisplayChars);
    for (std::size_t i = 0; i < n; ++i) {
        block_.CmdData[i] = static_cast<std::int16_t>(static_cast<unsigned char>(codes[i]));
    }
    PackAndSend(*this, Status);
    AddStep(Step::DisplayText, Status);
}

}  // namespace cv2
