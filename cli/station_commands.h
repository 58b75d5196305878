// The commands that talk to the station (backup, restore, verify, info) put together
// like the window program: the real clock, event processing and serial port,
// the link and device over them, and the very same procedures, with the
// terminal in place of the window.
#pragma once

#include "cli/cli_args.h"
#include "device/key_file.h"

namespace cv2::cli {

// Runs backup, restore, verify or info with the keys on the system's platform
// stack and returns the exit code.
int RunStationCommand(const CliArgs& args, const KeySource& keys);

}  // namespace cv2::cli
