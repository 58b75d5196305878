// Turns the ComPort setting into the name the serial control opens, and tells
// which COM number (if any) a setting stands for, for the COM1/COM2-only
// interface and its UART registers.
#pragma once

#include <string>

#include "link/link_config.h"

namespace cv2 {

// The system's name for COM n: "/dev/ttyS<n-1>" on Linux, "COM<n>" on Windows.
std::string ComPortDeviceName(long number);

// The port to open: a number, a text that reads as a whole number, or a COM
// name ("COM2", "/dev/ttyS1", "ttyS1") is a COM number and opens as this
// system's name for it; any other text is a port name used as it is.
std::string PortDeviceName(const ComPortSetting& port);

// The COM number the setting stands for: the number itself, or the number of a
// COM device name ("COM2", "/dev/ttyS1", "ttyS1" -> 2); 0 for any other port.
long ComPortNumber(const ComPortSetting& port);

// The serial LocoNet interface's port restriction, in the words of its box.
inline constexpr const char* kComPortRestriction =
    "Sie können das LocoNet-Interface nur mit Comport 1 oder Comport 2 benutzen!";

// Why the configuration names no port its interface can use, found without
// opening anything (a COM number below 1; for the serial interface, a port
// other than COM1 or COM2; a TCP port text, see TcpPortProblem); empty when
// there is nothing against it.
std::string PortSettingProblem(const LinkConfig& config);

// Why a TCP port text ("tcp://HOST:PORT") cannot be used: it names no server,
// or the Tandemo/Centrova unit is chosen, whose text dialogue needs a serial
// line. Empty for a right TCP port text with a LocoNet interface, and for
// every other port.
std::string TcpPortProblem(const LinkConfig& config);

// Why text cannot be the name of a port: it holds a control character (a NUL
// among them), at which the system would cut the name, opening another device,
// or which it would pass on. Empty when there is nothing against it.
std::string PortNameProblem(const std::string& text);

}  // namespace cv2
