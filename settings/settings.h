// The settings kept between runs (COM port, baud rate) and the interface kind
// and backup file in use. Loaded once at start, written once at the end.
#pragma once

#include <string>

namespace cv2 {

// The COM port remembers whether it was read as a number or typed as a text:
// the settings file writes a number bare and a text in quotes.
struct ComPortSetting {
    bool isText = false;
    long number = 3;
    std::string text;

    static ComPortSetting Number(long n) { return {false, n, {}}; }
    static ComPortSetting Text(std::string t) { return {true, 0, std::move(t)}; }
    // As shown in the window and the options box: the number in decimal, or the text.
    std::string ToText() const { return isText ? text : std::to_string(number); }
    bool operator==(const ComPortSetting&) const = default;
};

struct Settings {
    ComPortSetting ComPort;
    long BaudRate = 115200;
    bool LocoNetIfFlag = true;
    bool UsbIfFlag = true;
    std::string BackupFileName;  // full path; empty: no file chosen
};

// Interface kind from the two flags: 0 Tandemo/Centrova port, 1 serial
// LocoNet interface, 2 USB LocoNet interface. LocoNetIfFlag is tested first.
inline int InterfaceKind(const Settings& s) {
    if (!s.LocoNetIfFlag) return 0;
    return s.UsbIfFlag ? 2 : 1;
}

}  // namespace cv2
