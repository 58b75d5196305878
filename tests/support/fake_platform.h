// The fake platform every in-process test stands on: a clock that moves only
// when a wait sleeps, the event pump over it with the serial port and the TCP
// connection (used for a tcp:// port) as its sources, recording port I/O and message boxes, the
// settings the link reads (the USB interface unless a test says otherwise), and the link and device
// over all of it with the given keys.
#pragma once

#include "device/device.h"
#include "keys/keys.h"
#include "link/link.h"
#include "link/port_switch.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_event_pump.h"
#include "platform/fake/fake_port_io.h"
#include "platform/fake/fake_serial.h"
#include "platform/fake/fake_tcp_socket.h"
#include "settings/settings.h"

namespace cv2::test {

struct FakePlatform {
    explicit FakePlatform(const KeyTable& keyTable = kBuiltInKeys) : keys(keyTable) {
        pump.AddSource(&serial);
        pump.AddSource(&socket);
    }

    FakeClock clock;
    FakeEventPump pump{clock};
    FakeSerial serial{clock};
    FakeTcpSocket socket{clock};
    PortSwitch ports{serial, &socket, clock, pump};
    FakePortIo io;
    FakeMessageBoxes boxes;
    Settings settings;
    KeyTable keys;
    Link link{ports, io, clock, pump};
    Device device{link, keys};
};

}  // namespace cv2::test
