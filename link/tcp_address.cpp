#include "link/tcp_address.h"

#include <cctype>
#include <charconv>

#include "link/tcp_lines.h"

namespace cv2 {

namespace {

constexpr std::string_view kScheme = "tcp://";
constexpr long kHighestPort = 65535;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool HostNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

bool Ipv6Char(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
}

// The address after "tcp://", or why there is none.
struct Parsed {
    TcpAddress address;
    std::string problem;
};

Parsed Parse(std::string_view text) {
    const std::string shown = "„" + std::string(text) + "“";
    std::string_view rest = Trim(text).substr(kScheme.size());
    if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
    Parsed p;
    std::string_view host;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos) {
            p.problem = "In " + shown + " fehlt die schließende Klammer ] der IPv6-Adresse.";
            return p;
        }
        host = rest.substr(1, close - 1);
        rest.remove_prefix(close + 1);
        bool ok = host.find(':') != std::string_view::npos;
        for (const char c : host) ok = ok && Ipv6Char(c);
        if (!ok) {
            p.problem = "In " + shown + " steht zwischen [ und ] keine IPv6-Adresse.";
            return p;
        }
    } else {
        const std::size_t colon = rest.find(':');
        host = rest.substr(0, colon);
        rest.remove_prefix(host.size());
        if (rest.find(':', 1) != std::string_view::npos) {
            p.problem = "In " + shown +
                        " stehen mehrere Doppelpunkte: eine IPv6-Adresse gehört in eckige "
                        "Klammern, z. B. tcp://[fd00::2]:1234.";
            return p;
        }
        for (const char c : host) {
            if (!HostNameChar(c)) {
                p.problem = "In " + shown + " ist „" + std::string(host) +
                            "“ kein Rechnername und keine IP-Adresse.";
                return p;
            }
        }
    }
    if (host.empty()) {
        p.problem = "In " + shown + " fehlt der Rechner, z. B. tcp://192.168.1.20:1234.";
        return p;
    }
    p.address.host = std::string(host);
    p.address.port = kDefaultTcpPort;
    if (rest.empty()) return p;
    long port = 0;
    const std::string_view digits = rest.substr(1);
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (rest.front() != ':' || digits.empty() || ec != std::errc{} ||
        end != digits.data() + digits.size() || port < 1 || port > kHighestPort) {
        p.problem = "In " + shown + " ist „" + std::string(rest) +
                    "“ keine TCP-Portnummer (:1 bis :65535, ohne Angabe :1234).";
    }
    p.address.port = static_cast<int>(port);
    return p;
}

}  // namespace

std::string TcpAddress::ToText() const {
    const std::string shownHost = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return shownHost + ":" + std::to_string(port);
}

bool IsTcpPortText(std::string_view text) {
    text = Trim(text);
    if (text.size() < kScheme.size()) return false;
    for (std::size_t i = 0; i < kScheme.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != kScheme[i]) return false;
    }
    return true;
}

std::optional<TcpAddress> ReadTcpAddress(std::string_view text) {
    if (!IsTcpPortText(text)) return std::nullopt;
    Parsed p = Parse(text);
    if (!p.problem.empty()) return std::nullopt;
    return p.address;
}

std::string TcpAddressProblem(std::string_view text) {
    return IsTcpPortText(text) ? Parse(text).problem : std::string();
}

}  // namespace cv2
