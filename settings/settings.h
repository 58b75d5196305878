// The settings kept between runs (COM port, baud rate) and the interface kind
// and backup file in use. Loaded once at start, written once at the end.
#pragma once

#include <string>

#include "link/link_config.h"

namespace cv2 {

struct Settings {
    ComPortSetting ComPort;
    long BaudRate = 115200;
    // Every run starts with the USB interface; the settings file does not keep it.
    InterfaceKind Interface = InterfaceKind::UsbInterface;
    std::string BackupFileName;  // full path; empty: no file chosen
};

// What of the settings the link is told.
inline LinkConfig LinkConfigOf(const Settings& s) { return {s.ComPort, s.BaudRate, s.Interface}; }

}  // namespace cv2
