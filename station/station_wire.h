// When the station's answers reach the program: a model of the PC's serial
// line (its rate from the line settings text), of LocoNet at 16,666 bit/s
// carrying the echo and the replies one after the other, and of the station's
// short turnaround. Scaled by the speed setting, or instant.
#pragma once

#include <string>
#include <vector>

#include "station/command_station.h"

namespace cv2::station {

// 16,666 bit/s, 10 bits per byte (start, 8 data, stop).
constexpr double kLocoNetByteTime = 10.0 / 16666.0;
// What a line settings text gives when it cannot be read.
constexpr double kDefaultPcByteTime = 10.0 / 115200.0;
// Time from the end of a request on LocoNet to the start of the reply.
constexpr double kStationTurnaround = 0.002;
// Time from the acknowledge of the bootloader start to the confirmation frame.
constexpr double kConfirmationDelay = 0.05;
// Even at full speed the confirmation comes on its own, so that the program
// has seen the acknowledge complete before the next frame lands.
constexpr double kConfirmationMinGap = 0.02;
// Time the interface takes to answer a command text.
constexpr double kTextTurnaround = 0.005;

// Seconds per byte for a settings text such as "19200,n,8,2" (start bit, data,
// parity, stop bits); kDefaultPcByteTime when the text cannot be read.
double ByteTimeFromSettings(const std::string& settings);

struct Delivery {
    double time;  // when the last byte has reached the program's port
    Bytes bytes;  // an answer, or one byte of it when the speed goes byte by byte
};

class StationWire {
public:
    StationWire(CommandStation& station, Speed speed) : station_(station), speed_(speed) {}

    // Bytes the program wrote at time now, each taking pcByteTime on its line.
    // Returns what comes back and when, in order of time.
    std::vector<Delivery> Write(double now, const Bytes& bytes, double pcByteTime);
    const Speed& speed() const { return speed_; }

private:
    double Scaled(double seconds) const;
    // Bytes on LocoNet from lineStart to lineEnd reach the program over the PC line.
    void Deliver(double lineStart, double lineEnd, const Bytes& bytes, double lnByte, double pcByte,
                 std::vector<Delivery>& out);

    CommandStation& station_;
    Speed speed_;
    double pcTxFree_ = 0;  // PC line towards the interface free from
    double loconetFree_ = 0;
    double pcRxFree_ = 0;  // PC line towards the program free from
};

}  // namespace cv2::station
