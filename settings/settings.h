// The settings kept between runs (COM port, baud rate) and the interface kind
// and backup file in use. Loaded once at start, written once at the end.
#pragma once

#include <optional>
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

// The three ways to reach the station, in the order of the options window's
// interface options (its UpDevOpt index):
//   0 TandemoPort      the serial port of a Tandemo or Centrova unit, switched into
//                      frame mode by a short text dialogue
//   1 SerialInterface  the serial LocoNet interface on COM1 or COM2
//   2 UsbInterface     the USB LocoNet interface, seen as a serial port
enum class InterfaceKind : int { TandemoPort = 0, SerialInterface = 1, UsbInterface = 2 };
inline constexpr int kInterfaceCount = 3;

// The options window's option index of a kind, and the kind of an index.
inline constexpr int KindIndex(InterfaceKind kind) { return static_cast<int>(kind); }
inline constexpr std::optional<InterfaceKind> InterfaceKindAt(int index) {
    if (index < 0 || index >= kInterfaceCount) return std::nullopt;
    return static_cast<InterfaceKind>(index);
}

struct Settings {
    ComPortSetting ComPort;
    long BaudRate = 115200;
    // Every run starts with the USB interface; the settings file does not keep it.
    InterfaceKind Interface = InterfaceKind::UsbInterface;
    std::string BackupFileName;  // full path; empty: no file chosen
};

}  // namespace cv2
