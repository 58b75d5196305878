// A scripted FS module on the far side of a FakeSerial: answers the module's
// 15-byte requests from a table of entries, echoes every frame as the bus
// does, and can be told to stay silent, echo the wrong address or entry, or
// refuse writes. Also a link, device and fake clock ready to talk to it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "device/device.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_event_pump.h"
#include "platform/fake/fake_port_io.h"
#include "platform/fake/fake_serial.h"

namespace cv2::testing {

// Decoded request: the positions 7..13 with their bit 7 put back.
struct FsRequest {
    int opcode = 0, command = 0, address = 0, entry = 0, value = 0, mode = 0;
    bool progOn() const { return opcode == 0xED && mode == 0x80; }
    bool read() const { return opcode == 0xED && command == 0x21 && mode == 0; }
    bool write() const { return opcode == 0xED && command == 0x20; }
    bool progOff() const { return opcode == 0xE5; }
};

inline FsRequest DecodeFsRequest(const std::string& frame) {
    auto at = [&](int i) { return static_cast<unsigned char>(frame[i]); };
    auto pos = [&](int i) { return at(i) | (((at(6) >> (i - 7)) & 1) << 7); };
    FsRequest r;
    r.opcode = at(0);
    r.command = at(5);
    r.address = pos(7) | pos(8) << 8;
    r.entry = pos(9) | pos(10) << 8;
    r.value = pos(11) | pos(12) << 8;
    r.mode = pos(13);
    return r;
}

// A reply as the module sends it: fields F1 and F2 with bit 7 in position 6.
inline std::string FsReply(int address, int f1, int f2) {
    int p[14] = {0xE5,
                 0x0F,
                 0x08,
                 0x05,
                 0x00,
                 0x21,
                 0,
                 address & 0xFF,
                 (address >> 8) & 0xFF,
                 f1 & 0xFF,
                 (f1 >> 8) & 0xFF,
                 f2 & 0xFF,
                 (f2 >> 8) & 0xFF,
                 0};
    for (int n = 0; n <= 6; ++n) {
        if (p[7 + n] & 0x80) p[6] |= 1 << n;
        p[7 + n] &= 0x7F;
    }
    std::string out;
    int checksum = 0xFF;
    for (int b : p) {
        out.push_back(static_cast<char>(b));
        checksum ^= b;
    }
    out.push_back(static_cast<char>(checksum));
    return out;
}

inline std::string LongAck(int code) {
    const int b[3] = {0xB4, 0x6D, code};
    return {static_cast<char>(b[0]), static_cast<char>(b[1]), static_cast<char>(b[2]),
            static_cast<char>(0xFF ^ b[0] ^ b[1] ^ b[2])};
}

class FsPeer {
public:
    explicit FsPeer(FakeSerial& serial, FakeClock& clock) : serial_(serial), clock_(clock) {
        serial_.onOutput = [this](const std::string& bytes) { Answer(bytes); };
    }

    std::map<int, int> entries;  // missing entries read as 0
    int key = 0x1234;
    int address = 6541;
    bool silent = false;          // no echo, no reply
    int wrongAddressReplies = 0;  // this many replies carry another address
    int wrongEntryReplies = 0;    // this many read replies echo another entry
    int progOnBusyReplies = 0;    // this many programming-on replies with F1 = 1
    int writeAck = 0x7F;
    std::vector<FsRequest> requests;

    int Count(bool (FsRequest::*kind)() const) const {
        int n = 0;
        for (const FsRequest& r : requests) n += (r.*kind)() ? 1 : 0;
        return n;
    }

private:
    void Answer(const std::string& bytes) {
        const FsRequest r = DecodeFsRequest(bytes);
        requests.push_back(r);
        if (silent) return;
        const double now = clock_.Now();
        serial_.InjectAt(now + kEcho, bytes);
        int replyAddress = address;
        if (wrongAddressReplies > 0) {
            --wrongAddressReplies;
            replyAddress = address + 1;
        }
        if (r.progOn()) {
            const int f1 = progOnBusyReplies > 0 ? (--progOnBusyReplies, 1) : 0;
            serial_.InjectAt(now + kReply, FsReply(replyAddress, f1, key));
        } else if (r.read()) {
            int entry = r.entry;
            if (wrongEntryReplies > 0) {
                --wrongEntryReplies;
                entry += 1;
            }
            const int value = entries.count(r.entry) ? entries[r.entry] : 0;
            serial_.InjectAt(now + kReply, FsReply(replyAddress, entry, value));
        } else if (r.write()) {
            if (writeAck == 0x7F) entries[r.entry] = r.value;
            serial_.InjectAt(now + kReply, LongAck(writeAck));
        }
        // Programming off: the bus echo is all that comes back.
    }

    static constexpr double kEcho = 0.009;
    static constexpr double kReply = 0.018;
    FakeSerial& serial_;
    FakeClock& clock_;
};

// Link and device over a FakeSerial on a fake clock, port open, USB kind.
struct FsRig {
    FakeClock clock;
    FakeEventPump pump{clock};
    FakeSerial serial{clock};
    FakePortIo io;
    FakeMessageBoxes boxes;
    Settings settings;
    Link link{serial, io, clock, pump, boxes, settings, ServiceKeyBytes{}};
    Device device{link};
    FsPeer peer{serial, clock};

    FsRig() {
        pump.AddSource(&serial);
        serial.SetPortOpen(true);
        serial.SetRThreshold(1);
    }
};

}  // namespace cv2::testing
