#include "link/port_name.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string_view>

#include "link/tcp_address.h"

namespace cv2 {

namespace {

constexpr std::string_view kLinuxComPrefix = "/dev/ttyS";
constexpr std::string_view kLinuxComShort = "ttyS";
constexpr std::string_view kWindowsComPrefix = "COM";

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// The text as a whole decimal number (digits only, optional sign), else nothing.
std::optional<long> WholeNumber(std::string_view s) {
    s = Trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    long value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    return value;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(s[i])) !=
            std::toupper(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

// Digits after a prefix, only when nothing else follows.
std::optional<long> NumberAfter(std::string_view s, std::string_view prefix, bool ignoreCase) {
    if (ignoreCase ? !StartsWithNoCase(s, prefix) : !s.starts_with(prefix)) return std::nullopt;
    std::string_view rest = s.substr(prefix.size());
    if (rest.empty() || !std::isdigit(static_cast<unsigned char>(rest.front())))
        return std::nullopt;
    return WholeNumber(rest);
}

}  // namespace

std::string ComPortDeviceName(long number) {
#ifdef _WIN32
    return std::string(kWindowsComPrefix) + std::to_string(number);
#else
    return std::string(kLinuxComPrefix) + std::to_string(number - 1);
#endif
}

std::string PortDeviceName(const ComPortSetting& port) {
    if (!port.isText) return ComPortDeviceName(port.number);
    if (auto n = WholeNumber(port.text)) return ComPortDeviceName(*n);
    // A typed COM or ttyS name opens the same port that its COM number stands
    // for, so that the COM1/COM2 check and the port opened always agree.
    if (const long n = ComPortNumber(port); n > 0) return ComPortDeviceName(n);
    return std::string(Trim(port.text));
}

std::string TcpPortProblem(const LinkConfig& config) {
    const ComPortSetting& port = config.port;
    if (!port.isText || !IsTcpPortText(port.text)) return {};
    if (std::string problem = TcpAddressProblem(port.text); !problem.empty()) return problem;
    if (config.kind == InterfaceKind::TandemoPort) {
        return "Eine Tandemo/Centrova-Einheit lässt sich nur an einer seriellen Schnittstelle "
               "einrichten, nicht über das Netzwerk (" +
               std::string(Trim(port.text)) +
               "). Für LocoNet über TCP das USB- oder das serielle LocoNet-Interface wählen.";
    }
    return {};
}

std::string PortSettingProblem(const LinkConfig& config) {
    const ComPortSetting& port = config.port;
    // Over TCP there is no COM port: rate and interface restrictions do not apply.
    if (port.isText && IsTcpPortText(port.text)) return TcpPortProblem(config);
    const std::optional<long> plain = port.isText ? WholeNumber(port.text) : port.number;
    if (plain && *plain < 1) {
        return "Den COM-Port " + std::to_string(*plain) + " gibt es nicht: COM-Ports zählen ab 1.";
    }
    const long number = ComPortNumber(port);
    if (config.kind == InterfaceKind::SerialInterface && number != 1 && number != 2) {
        return kComPortRestriction;
    }
    return {};
}

std::string PortNameProblem(const std::string& text) {
    std::string shown;
    std::string found;
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code >= 0x20 && code != 0x7F) {
            shown += c;
            continue;
        }
        // Shown by its code, so that the name is seen as it stands.
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", code);
        shown += escaped;
        if (found.empty()) found = escaped;
    }
    if (found.empty()) return {};
    return "Der Schnittstellenname „" + shown + "“ enthält ein Steuerzeichen (" + found +
           "); so heißt keine Schnittstelle, er wird nicht verwendet.";
}

long ComPortNumber(const ComPortSetting& port) {
    if (!port.isText) return port.number;
    const std::string_view text = Trim(port.text);
    if (auto n = WholeNumber(text)) return *n;
    if (auto n = NumberAfter(text, kWindowsComPrefix, true)) return *n;
    // ttyS0 is COM1 on Linux.
    if (auto n = NumberAfter(text, kLinuxComPrefix, false)) return *n + 1;
    if (auto n = NumberAfter(text, kLinuxComShort, false)) return *n + 1;
    return 0;
}

}  // namespace cv2
