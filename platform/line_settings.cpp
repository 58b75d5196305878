#include "platform/line_settings.h"

#include <cctype>
#include <charconv>
#include <vector>

namespace cv2 {

namespace {

// The highest rate any serial port driver is asked for.
constexpr long kHighestRate = 4000000;

std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ',') {
            fields.emplace_back();
        } else if (!std::isspace(static_cast<unsigned char>(c))) {
            fields.back().push_back(c);
        }
    }
    return fields;
}

std::optional<long> Number(const std::string& s) {
    long v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<Parity> ParityOf(const std::string& field) {
    if (field.size() != 1) return std::nullopt;
    switch (std::tolower(static_cast<unsigned char>(field[0]))) {
        case 'n':
            return Parity::None;
        case 'e':
            return Parity::Even;
        case 'o':
            return Parity::Odd;
        case 'm':
            return Parity::Mark;
        case 's':
            return Parity::Space;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<LineSettings> ParseLineSettings(const std::string& text) {
    const auto fields = SplitFields(text);
    if (fields.size() != 4) return std::nullopt;
    LineSettings line;

    const auto rate = Number(fields[0]);
    if (!rate || *rate <= 0 || *rate > kHighestRate) return std::nullopt;
    line.rate = *rate;

    const auto parity = ParityOf(fields[1]);
    if (!parity) return std::nullopt;
    line.parity = *parity;

    const auto data = Number(fields[2]);
    if (!data || *data < 5 || *data > 8) return std::nullopt;
    line.dataBits = static_cast<int>(*data);

    if (fields[3] == "1") {
        line.stopBits = StopBits::One;
    } else if (fields[3] == "1.5") {
        line.stopBits = StopBits::OneAndHalf;
    } else if (fields[3] == "2") {
        line.stopBits = StopBits::Two;
    } else {
        return std::nullopt;
    }
    return line;
}

}  // namespace cv2
