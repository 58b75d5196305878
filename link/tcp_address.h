// The port text that chooses LocoNet over TCP instead of a serial port:
// "tcp://HOST" or "tcp://HOST:PORT", the host a name, an IPv4 address or an
// IPv6 address in brackets, the port 1234 when none is given.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cv2 {

struct TcpAddress {
    std::string host;  // without brackets
    int port = 0;
    // "HOST:PORT" as messages name the server; an IPv6 address in brackets.
    std::string ToText() const;
    bool operator==(const TcpAddress&) const = default;
};

// True when the text asks for LocoNet over TCP ("tcp://", any case, blanks around
// the text aside), whether or not the rest of it is right.
bool IsTcpPortText(std::string_view text);

// The server the text names; nothing when it is no TCP port text or not a right one.
std::optional<TcpAddress> ReadTcpAddress(std::string_view text);

// Why a TCP port text names no server, in German; empty when it does (or when
// the text is no TCP port text at all).
std::string TcpAddressProblem(std::string_view text);

}  // namespace cv2
