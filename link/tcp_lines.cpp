#include "link/tcp_lines.h"

#include <algorithm>

#include "link/loconet.h"

namespace cv2 {

namespace {

constexpr std::string_view kSend = "SEND";
constexpr std::string_view kReceive = "RECEIVE";
constexpr std::string_view kSent = "SENT";
constexpr std::string_view kVersion = "VERSION";
constexpr std::string_view kOk = "OK";
constexpr std::string_view kError = "ERROR";
constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string EncodeLine(std::string_view token, std::span<const std::uint8_t> message) {
    std::string line(token);
    line.reserve(token.size() + 3 * message.size() + 2);
    for (const std::uint8_t b : message) {
        line.push_back(' ');
        line.push_back(kHexDigits[b >> 4]);
        line.push_back(kHexDigits[b & 0x0F]);
    }
    line += "\r\n";
    return line;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Hex bytes apart by blanks; false when a byte is not two hex digits.
bool ReadHexBytes(std::string_view text, std::vector<std::uint8_t>& bytes) {
    std::size_t i = 0;
    for (;;) {
        while (i < text.size() && text[i] == ' ') ++i;
        if (i == text.size()) return true;
        if (text.size() - i < 2) return false;
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        if (i + 2 < text.size() && text[i + 2] != ' ') return false;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
        i += 2;
    }
}

// Exactly one LocoNet message: an opcode, data bytes below 0x80, and as many
// bytes as the opcode (or the length byte after it) says, within a receive slot.
bool OneMessage(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty() || (bytes[0] & 0x80) == 0) return false;
    if (bytes.size() > static_cast<std::size_t>(kLongestFrame)) return false;
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        if (bytes[i] & 0x80) return false;
    }
    const std::int16_t length = FrameLength(bytes[0]);
    if (length != kLengthFollows) return bytes.size() == static_cast<std::size_t>(length);
    return bytes.size() >= 2 && bytes[1] == bytes.size();
}

bool IsToken(std::string_view token) {
    if (token.empty()) return false;
    for (const char c : token) {
        if ((c < 'A' || c > 'Z') && (c < '0' || c > '9') && c != '_') return false;
    }
    return token.front() >= 'A' && token.front() <= 'Z';
}

}  // namespace

std::string EncodeSendLine(std::span<const std::uint8_t> message) {
    return EncodeLine(kSend, message);
}

std::string EncodeReceiveLine(std::span<const std::uint8_t> message) {
    return EncodeLine(kReceive, message);
}

bool MessageCutter::Step(std::uint8_t b) {
    if (b & 0x80) {
        message_.assign(1, b);
        const std::int16_t length = FrameLength(b);
        expected_ = length == kLengthFollows ? 0 : static_cast<std::size_t>(length);
        return false;
    }
    if (message_.empty()) return false;
    message_.push_back(b);
    if (message_.size() == 2 && expected_ == 0) expected_ = b;
    if (expected_ < 2 || message_.size() > static_cast<std::size_t>(kLongestFrame)) {
        message_.clear();
        return false;
    }
    return message_.size() == expected_;
}

bool TcpLineDecoder::EndLine(TcpLine& read) {
    const bool ok = !tooLong_ && Read(line_, read);
    line_.clear();
    tooLong_ = false;
    if (!ok) ++malformed_;
    return ok && !unused_;
}

bool TcpLineDecoder::Read(std::string_view line, TcpLine& read) {
    unused_ = false;
    // Trailing blanks are no part of the parameter.
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    const std::size_t space = line.find(' ');
    const std::string_view token = line.substr(0, space);
    const std::string_view parameter =
        space == std::string_view::npos ? std::string_view{} : line.substr(space + 1);
    if (!IsToken(token)) return false;
    if (token == kSend || token == kReceive) {
        read.kind = token == kSend ? TcpLine::Kind::Send : TcpLine::Kind::Receive;
        return ReadHexBytes(parameter, read.bytes) && OneMessage(read.bytes);
    }
    if (token == kSent) {
        if (parameter == kOk) {
            read.kind = TcpLine::Kind::SentOk;
            return true;
        }
        const bool error = parameter.starts_with(kError) &&
                           (parameter.size() == kError.size() || parameter[kError.size()] == ' ');
        read.kind = TcpLine::Kind::SentError;
        read.text = parameter.substr(std::min(parameter.size(), kError.size() + 1));
        return error;
    }
    if (token == kVersion) {
        read.kind = TcpLine::Kind::Version;
        read.text = parameter;
        return true;
    }
    unused_ = true;
    ++ignored_;
    return true;
}

}  // namespace cv2
