// Other devices on the station's LocoNet: occupancy detectors, throttles,
// boosters, a PC program on a second interface. Each message is a whole frame
// with a valid checksum, of a kind a real bus carries, and none of them is an
// answer of the station to the program.
#pragma once

#include <random>

#include "station/station_frame.h"

namespace cv2::station {

// How many kinds of message ForeignFrame makes.
constexpr int kForeignKinds = 9;

// A message of the given kind (0 .. kForeignKinds - 1) with random content:
// sensor report, switch request, speed, power on, slot read, long acknowledge
// of another opcode, a data-reply-length frame with another tag, a command-length
// frame of another device, and an FS-module-length frame of another module.
Bytes ForeignFrame(int kind, std::mt19937& random);

}  // namespace cv2::station
