// Runs at line pace: cv2sim sends each byte when it is through the line, and
// a client (cv2cli, or the bare client in one of its ways) is counted over a
// stretch of the backup that the station marks by its request count.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_process.h"

namespace cv2::bench {

// The stretch counted: from the request `first` on (the start-up and the
// first frames, which teach the pace, before it), `exchanges` requests.
struct PacedWindow {
    long first = 200;
    long exchanges = 3000;
};

struct PacedFigures {
    bool ok = false;
    std::string note;
    long firstRequest = 0;  // the window as the station marked it
    long exchanges = 0;
    double wall = 0;
    Counters used;  // what the client used in the window
};

// The client's command line, given the port path.
using ClientArgs = std::function<std::vector<std::string>(const std::string& port)>;

// cv2sim from bin at the speed ("wire", "10"), byte by byte, with the seed a
// backup reads and any further options (other devices' traffic); the client
// started on its port, counted over the window, then both stopped.
PacedFigures PacedRun(const std::string& bin, const std::string& speed, std::uint32_t seed,
                      const PacedWindow& window, const ClientArgs& client,
                      const std::vector<std::string>& simOptions = {});

}  // namespace cv2::bench
