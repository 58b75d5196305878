#include "tests/support/simulated_station.h"

namespace cv2::station {

SimulatedStation::SimulatedStation(FakeClock& clock, FakeSerial& serial, StationOptions options)
    : clock_(clock),
      serial_(serial),
      station_(std::move(options)),
      wire_(station_, station_.options().speed) {
    serial_.onOutput = [this](const std::string& bytes) { OnOutput(bytes); };
}

SimulatedStation::~SimulatedStation() { serial_.onOutput = nullptr; }

void SimulatedStation::OnOutput(const Bytes& bytes) {
    const double pcByte = ByteTimeFromSettings(serial_.Settings());
    for (auto& d : wire_.Write(clock_.Now(), bytes, pcByte)) serial_.InjectAt(d.time, d.bytes);
}

}  // namespace cv2::station
