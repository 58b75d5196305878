// The fake platform every in-process test stands on: a clock that moves only
// when a wait sleeps, the event pump over it with the serial port as its
// source, recording port I/O and message boxes, the settings the link reads
// (the USB interface unless a test says otherwise), and the link and device
// over all of it with the given keys.
#pragma once

#include "device/device.h"
#include "keys/keys.h"
#include "link/link.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_event_pump.h"
#include "platform/fake/fake_port_io.h"
#include "platform/fake/fake_serial.h"
#include "settings/settings.h"

namespace cv2::test {

struct FakePlatform {
    explicit FakePlatform(const KeyTable& keyTable = kBuiltInKeys) : keys(keyTable) {
        pump.AddSource(&serial);
    }

    FakeClock clock;
    FakeEventPump pump{clock};
    FakeSerial serial{clock};
    FakePortIo io;
    FakeMessageBoxes boxes;
    Settings settings;
    KeyTable keys;
    Link link{serial, io, clock, pump};
    Device device{link, keys};
};

}  // namespace cv2::test
