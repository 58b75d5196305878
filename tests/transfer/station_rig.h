// The program's link and device on a fake clock, wired to the simulated
// station through the fake serial port, and a backup file in a temp folder.
#pragma once

#include <vector>

#include "device/device.h"
#include "device/keys.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_event_pump.h"
#include "platform/fake/fake_port_io.h"
#include "platform/fake/fake_serial.h"
#include "station/simulated_station.h"
#include "tests/transfer/temp_dir.h"
#include "transfer/backup_file.h"

namespace cv2::testing {

inline station::StationOptions InstantStation() {
    station::StationOptions options;
    options.speed.instant = true;
    return options;
}

struct NoProgress : ByteProgress {
    void AddBytes(int) override {}
};

struct StationRig {
    explicit StationRig(station::StationOptions options = InstantStation())
        : sim(clock, serial, std::move(options)) {
        pump.AddSource(&serial);
    }

    FakeClock clock;
    FakeEventPump pump{clock};
    FakeSerial serial{clock};
    FakePortIo io;
    FakeMessageBoxes boxes;
    Settings settings;
    Link link{serial, io, clock, pump, boxes, settings, ServiceKey};
    Device device{link};
    station::SimulatedStation sim;
    station::StationMemory& memory() { return sim.memory(); }
    int Count(station::Request r) { return sim.station().Count(r); }
};

}  // namespace cv2::testing
