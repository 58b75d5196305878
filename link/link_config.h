// What the link needs to reach the station: the port, its rate and the kind
// of interface behind it. The settings keep these; the link knows nothing else
// of them.
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

struct LinkConfig {
    ComPortSetting port;
    long baudRate = 115200;
    InterfaceKind kind = InterfaceKind::UsbInterface;
};

}  // namespace cv2
