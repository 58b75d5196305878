// A device on a link over fake platform layers, with a scripted station on the
// other end of the fake serial port: it echoes every frame and answers with
// the next reply of its script.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

#include "device/device.h"
#include "device/keys.h"
#include "link/link.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_event_pump.h"
#include "platform/fake/fake_port_io.h"
#include "platform/fake/fake_serial.h"

namespace cv2::test {

inline std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

inline std::vector<int> Codes(const std::string& s) {
    std::vector<int> out;
    for (char c : s) out.push_back(static_cast<std::uint8_t>(c));
    return out;
}

// Appends the LocoNet checksum: the XOR of all bytes, checksum included, is 0xFF.
inline std::string WithChecksum(std::string frame) {
    int x = 0xFF;
    for (char c : frame) x ^= static_cast<std::uint8_t>(c);
    frame.push_back(static_cast<char>(x));
    return frame;
}

inline std::string LongAck(int code) { return WithChecksum(Bytes({0xB4, 0x6D, code})); }

// A 31-byte data reply carrying the 20 given field values (0..255): bit 7 of
// each goes into its group's high-bit byte. highTop gives bits 4..6 of the
// high-bit bytes, which a receiver must ignore.
inline std::string DataReply(const std::array<int, 20>& fields, int highTop = 0x70) {
    std::string f = Bytes({0xE5, 0x1F, 0x01, 0x50, 0x43});
    for (int g = 0; g < 5; ++g) {
        int high = highTop;
        for (int k = 0; k < 4; ++k) {
            if (fields[4 * g + k] & 0x80) high |= 1 << k;
        }
        f.push_back(static_cast<char>(high));
        for (int k = 0; k < 4; ++k) f.push_back(static_cast<char>(fields[4 * g + k] & 0x7F));
    }
    return WithChecksum(f);
}

// The same, for a payload in the form it has after descrambling.
inline std::string KeyedDataReply(std::array<int, 20> fields) {
    for (int i = 0; i < 16; ++i) fields[i] ^= PayloadKey[i];
    return DataReply(fields);
}

// The station's confirmation that it runs its bootloader.
inline std::string BootConfirmation() {
    const auto& k = ServiceKey;
    return WithChecksum(Bytes({0xE5, 0x1F, 0x01, 0x50, 0x43, 0x70, 0x00, 0x7F, 0x7F, 0x7F,
                               0x70, 0x00, 0x00, 0x00, 0x00, 0x30, k[0], k[1], k[2], k[3],
                               0x70, k[4], k[5], k[6], k[7], 0x00, 0x00, 0x00, 0x00, 0x00}));
}

struct DeviceRig {
    // tick: the longest step the fake pump lets the clock jump in one pass.
    explicit DeviceRig(double tick = 0.005) : pump(clock, tick) {
        pump.AddSource(&serial);
        serial.SetInputLen(0);
        serial.SetRThreshold(1);
        serial.SetPortOpen(true);
        serial.onOutput = [this](const std::string& frame) { Answer(frame); };
    }

    // The scripted station: every frame written is echoed after echoDelay and,
    // if the script has an entry, answered with it after replyDelay ("" = silence).
    void Answer(const std::string& frame) {
        frames.push_back(frame);
        const double now = clock.Now();
        if (echo) serial.InjectAt(now + echoDelay, frame);
        if (replies.empty()) return;
        const std::string reply = replies.front();
        replies.pop_front();
        if (!reply.empty()) serial.InjectAt(now + replyDelay, reply);
    }

    const std::int16_t* Slot(int i) { return link.rx().RxFrames[i]; }

    FakeClock clock;
    FakeEventPump pump;
    FakeSerial serial{clock};
    FakePortIo io;
    FakeMessageBoxes boxes;
    Settings settings;  // USB interface: each frame leaves in one write
    Link link{serial, io, clock, pump, boxes, settings, ServiceKey};
    Device device{link};

    std::deque<std::string> replies;
    std::vector<std::string> frames;  // every frame the device wrote
    bool echo = true;
    double echoDelay = 0.002;
    double replyDelay = 0.030;
};

}  // namespace cv2::test
