#include "settings/settings_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#include "link/port_name.h"
#include "settings/options_logic.h"

namespace cv2 {

namespace {

constexpr const char* kLineEnd = "\r\n";

// One item of the file: its text and whether it was in double quotes.
struct Item {
    std::string text;
    bool quoted = false;
};

// Cuts the text into items the way delimited text files are read: leading
// blanks are skipped; a quoted item runs to the next quote and whatever
// follows it up to the delimiter is ignored; an unquoted item runs to the next
// comma or line end, trailing blanks dropped. A line end is CR LF, LF or CR.
class ItemReader {
public:
    ItemReader(const std::string& text, bool complete) : text_(text), complete_(complete) {}

    // The next item, or nothing at the end of the text or when the item runs
    // into the read cap (its true end is unknown).
    std::optional<Item> Next() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
        if (pos_ >= text_.size()) return std::nullopt;
        Item item;
        if (text_[pos_] == '"') {
            item.quoted = true;
            const std::size_t close = text_.find('"', pos_ + 1);
            if (close == std::string::npos) {
                if (!complete_) return std::nullopt;
                item.text = text_.substr(pos_ + 1);
                pos_ = text_.size();
                return item;
            }
            item.text = text_.substr(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
            const std::size_t end = FindDelimiter();
            if (end == std::string::npos && !complete_) return std::nullopt;
            pos_ = end == std::string::npos ? text_.size() : end;
        } else {
            std::size_t end = FindDelimiter();
            if (end == std::string::npos) {
                if (!complete_) return std::nullopt;
                end = text_.size();
            }
            item.text = text_.substr(pos_, end - pos_);
            while (!item.text.empty() && (item.text.back() == ' ' || item.text.back() == '\t')) {
                item.text.pop_back();
            }
            pos_ = end;
        }
        SkipDelimiter();
        return item;
    }

private:
    std::size_t FindDelimiter() const { return text_.find_first_of(",\r\n", pos_); }

    void SkipDelimiter() {
        if (pos_ >= text_.size()) return;
        if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
    }

    const std::string& text_;
    bool complete_;
    std::size_t pos_ = 0;
};

// An unquoted item "reads as a number" when it is a decimal number with an
// optional sign, fraction and exponent ("4", "4.0", "1.92E4"). Port and rate
// are whole numbers, so a fraction is rounded to the nearest, halves to even.
// Nothing when the item is no number or too large to be a port or a rate.
std::optional<long> ReadNumber(const std::string& text) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    // Also keeps out the "inf" and "nan" that from_chars takes.
    constexpr double kLargest = 1e15;  // far beyond any port or rate, exact in a double
    const double whole = std::nearbyint(value);
    if (!(std::fabs(whole) <= kLargest)) return std::nullopt;
    return static_cast<long>(whole);
}

void SetDefaults(Settings& s) {
    s.ComPort = ComPortSetting::Number(3);
    s.Interface = InterfaceKind::UsbInterface;
    s.BaudRate = 115200;
    s.BackupFileName.clear();
}

}  // namespace

std::string FormatSettingsText(const Settings& s) {
    std::string out;
    if (s.ComPort.isText) {
        out += '"' + s.ComPort.text + '"';
    } else {
        out += std::to_string(s.ComPort.number);
    }
    out += kLineEnd;
    out += std::to_string(s.BaudRate) + kLineEnd;
    out += std::string("\"\"") + kLineEnd;
    return out;
}

SettingsLoad ParseSettingsText(const std::string& text, bool complete, Settings& s) {
    ItemReader reader(text, complete);
    const auto port = reader.Next();
    const auto baud = reader.Next();
    const auto file = reader.Next();
    // The baud rate has to be a number: a text there cannot be a line speed.
    const auto baudValue = baud ? ReadNumber(baud->text) : std::nullopt;
    if (!port || !baud || !file || !baudValue) {
        SetDefaults(s);
        return {};
    }
    SettingsLoad load{true, PortNameProblem(port->text)};
    const auto portNumber = port->quoted ? std::nullopt : ReadNumber(port->text);
    if (!load.refused.empty()) {
        s.ComPort = Settings().ComPort;
        load.refused += " Es gilt der COM-Port " + s.ComPort.ToText() + ".";
    } else {
        s.ComPort =
            portNumber ? ComPortSetting::Number(*portNumber) : ComPortSetting::Text(port->text);
    }
    // A rate no interface allows would be shown and saved again while every
    // run used another one.
    const bool allowed =
        std::find(kBaudRates.begin(), kBaudRates.end(), *baudValue) != kBaudRates.end();
    s.BaudRate = allowed ? *baudValue : Settings().BaudRate;
    s.BackupFileName = file->text;
    s.Interface = InterfaceKind::UsbInterface;
    return load;
}

namespace {

// Only a regular file (or a missing one) is the settings file: a FIFO or a
// device under its name would block the start or the end of the program.
bool UsableName(const std::string& path, bool mayBeMissing) {
    std::error_code ec;
    const auto st = std::filesystem::status(path, ec);
    return std::filesystem::is_regular_file(st) ||
           (mayBeMissing && st.type() == std::filesystem::file_type::not_found);
}

}  // namespace

SettingsLoad LoadSettings(const std::string& path, Settings& s) {
    std::ifstream in;
    if (UsableName(path, false)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        SetDefaults(s);
        return {};
    }
    std::string text(kSettingsReadCap, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        SetDefaults(s);
        return {};
    }
    // One more byte tells whether the cap cut the file.
    const bool complete =
        text.size() < kSettingsReadCap || in.peek() == std::ifstream::traits_type::eof();
    return ParseSettingsText(text, complete, s);
}

bool SaveSettings(const std::string& path, const Settings& s) {
    if (!UsableName(path, true)) return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << FormatSettingsText(s);
    out.close();
    return !out.fail();
}

}  // namespace cv2
