// A link on fake platform layers: fake clock and event pump, a scriptable
// serial control and recording port I/O.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/device/device_rig.h"
#include "tests/support/byte_strings.h"

namespace cv2::test {

// A 31-byte frame of variable length (opcode 0xED, length byte 0x1F) whose
// data bytes count up from fill.
inline std::string Frame31(int fill) {
    std::string f = Bytes({0xED, 0x1F});
    for (int i = 2; i < 30; ++i) f.push_back(static_cast<char>((fill + i) & 0x7F));
    return WithChecksum(f);
}

inline constexpr ServiceKeyBytes kTestServiceKey = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x08};

struct LinkRig : FakePlatform {
    explicit LinkRig(int kind) : FakePlatform({kTestServiceKey, kBuiltInKeys.PayloadKey}) {
        settings.Interface = *InterfaceKindAt(kind);
    }
    LinkRig(int kind, ComPortSetting port, long rate) : LinkRig(kind) {
        settings.ComPort = std::move(port);
        settings.BaudRate = rate;
    }
    // Opens the fake port the way a finished set-up leaves it, without logging it.
    void OpenQuietly(int inputLen) {
        serial.SetInputLen(inputLen);
        serial.SetRThreshold(1);
        serial.SetPortOpen(true);
        link.Adopt(LinkConfigOf(settings));
        serial.log.clear();
    }
};

}  // namespace cv2::test
