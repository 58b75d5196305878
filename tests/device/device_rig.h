// A device on a link over fake platform layers, with a scripted station on the
// other end of the fake serial port: it echoes every frame and answers with
// the next reply of its script. Also the frames such a station sends.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "device/device.h"
#include "keys/keys.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_event_pump.h"
#include "platform/fake/fake_port_io.h"
#include "platform/fake/fake_serial.h"
#include "tests/support/byte_strings.h"

namespace cv2::test {

// Appends the LocoNet checksum: the XOR of all bytes, checksum included, is 0xFF.
inline std::string WithChecksum(std::string frame) {
    int x = 0xFF;
    for (char c : frame) x ^= static_cast<std::uint8_t>(c);
    frame.push_back(static_cast<char>(x));
    return frame;
}

inline std::string LongAck(int code) { return WithChecksum(Bytes({0xB4, 0x6D, code})); }

// A 31-byte frame of five groups: each group's high-bit byte is its entry of
// tops plus bit 7 of its four fields (0..255, missing ones 0), then their low 7 bits.
inline std::string GroupFrame(std::string head, std::vector<int> fields,
                              const std::array<int, 5>& tops) {
    fields.resize(20);
    for (int g = 0; g < 5; ++g) {
        int high = tops[g];
        for (int k = 0; k < 4; ++k) high |= (fields[4 * g + k] >> 7 & 1) << k;
        head.push_back(static_cast<char>(high));
        for (int k = 0; k < 4; ++k) head.push_back(static_cast<char>(fields[4 * g + k] & 0x7F));
    }
    return WithChecksum(head);
}

// Fields 0..7 followed by the service key (and zero fields after it).
inline std::vector<int> WithServiceKey(std::vector<int> fields) {
    fields.insert(fields.end(), kBuiltInKeys.ServiceKey.begin(), kBuiltInKeys.ServiceKey.end());
    return fields;
}

// A data reply carrying the 20 fields, the payload given in descrambled form.
inline std::string KeyedDataReply(std::vector<int> fields) {
    fields.resize(20);
    for (int i = 0; i < 16; ++i) fields[i] ^= kBuiltInKeys.PayloadKey[i];
    return GroupFrame(Bytes({0xE5, 0x1F, 0x01, 0x50, 0x43}), fields,
                      {0x70, 0x70, 0x70, 0x70, 0x70});
}

// The station's confirmation that it runs its bootloader.
inline std::string BootConfirmation() {
    return GroupFrame(Bytes({0xE5, 0x1F, 0x01, 0x50, 0x43}),
                      WithServiceKey({0x00, 0x7F, 0x7F, 0x7F, 0, 0, 0, 0}),
                      {0x70, 0x70, 0x30, 0x70, 0x00});
}

// One device command with its arguments fixed.
using Command = void (*)(Device&, StatusCode&);

struct DeviceRig {
    DeviceRig() : pump(clock) {
        pump.AddSource(&serial);
        serial.SetInputLen(0);
        serial.SetRThreshold(1);
        serial.SetPortOpen(true);
        serial.onOutput = [this](const std::string& frame) { Answer(frame); };
    }

    // The scripted station: every frame written is echoed after 2 ms and, if the
    // script has an entry, answered with it after 30 ms ("" = silence).
    void Answer(const std::string& frame) {
        const double now = clock.Now();
        if (echo) serial.InjectAt(now + 0.002, frame);
        if (replies.empty()) return;
        const std::string reply = replies.front();
        replies.pop_front();
        if (!reply.empty()) serial.InjectAt(now + 0.030, reply);
    }

    // Sends one command with the given script; returns its status.
    StatusCode Run(Command send, std::deque<std::string> script = {}) {
        replies = std::move(script);
        StatusCode status = -1;
        send(device, status);
        return status;
    }

    FakeClock clock;
    FakeEventPump pump;
    FakeSerial serial{clock};
    FakePortIo io;
    FakeMessageBoxes boxes;
    Settings settings;  // USB interface: each frame leaves in one write
    Link link{serial, io, clock, pump, boxes, settings, kBuiltInKeys.ServiceKey};
    Device device{link, kBuiltInKeys};

    std::deque<std::string> replies;
    bool echo = true;
};

}  // namespace cv2::test
