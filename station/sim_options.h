// The command line of cv2sim: content, identity, files, speed and faults.
#pragma once

#include <optional>
#include <string>

#include "station/station_options.h"

namespace cv2::station {

struct SimOptions {
    StationOptions station;
    std::optional<std::string> link;  // symlink to the pseudo-terminal
    std::optional<std::string> load;  // backup file to take the content from
    std::optional<std::string> dump;  // backup image of the content, written on exit
    int markEvery = 0;                // > 0: a line on stdout every that many requests
    std::optional<int> tcpPort;       // serve LocoNet over TCP on this port (0: any free one)
    bool sentFirst = false;           // over TCP: SENT OK before the echo, not after it
    std::string keys;                 // key file; empty: the one the programs look for
    bool help = false;
    bool version = false;
};

// False, with the reason in error, for an option it does not know or a bad value.
bool ParseSimOptions(int argc, const char* const* argv, SimOptions& options, std::string& error);
std::string SimUsage();

}  // namespace cv2::station
