// The simulated station attached to the program's fake serial port: every
// write the program makes goes to the station, and its answers arrive on the
// fake clock when their wire time has come. One line in a test:
//   SimulatedStation station(clock, serial, options);
#pragma once

#include <cstdint>
#include <vector>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_serial.h"
#include "station/command_station.h"
#include "station/station_wire.h"

namespace cv2::station {

class SimulatedStation {
public:
    SimulatedStation(FakeClock& clock, FakeSerial& serial, StationOptions options = {})
        : clock_(clock),
          serial_(serial),
          station_(std::move(options)),
          wire_(station_, station_.options().speed) {
        serial_.onOutput = [this](const std::string& bytes) { OnOutput(bytes); };
    }
    ~SimulatedStation() { serial_.onOutput = nullptr; }
    SimulatedStation(const SimulatedStation&) = delete;
    SimulatedStation& operator=(const SimulatedStation&) = delete;

    CommandStation& station() { return station_; }
    StationMemory& memory() { return station_.memory(); }
    // The backup file a complete backup of the present content produces.
    std::vector<std::uint8_t> ExpectedBackup() const { return station_.ExpectedBackup(); }

private:
    void OnOutput(const Bytes& bytes) {
        const double pcByte = ByteTimeFromSettings(serial_.Settings());
        for (auto& d : wire_.Write(clock_.Now(), bytes, pcByte)) serial_.InjectAt(d.time, d.bytes);
    }

    FakeClock& clock_;
    FakeSerial& serial_;
    CommandStation station_;
    StationWire wire_;
};

}  // namespace cv2::station
