// The text lines of LocoNet over TCP, without any I/O: one LocoNet message a
// line in hex ("SEND ED 1F ...", "RECEIVE B4 6D 7F 59"), the server's "SENT OK" or
// "SENT ERROR reason" for each SEND, and its "VERSION text". The client, its
// fakes and the simulated station's server all cut and write lines here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cv2 {

// The server's TCP port when the port text names none.
inline constexpr int kDefaultTcpPort = 1234;

// "SEND 81 7E\r\n": the message's bytes as the client sends them.
std::string EncodeSendLine(std::span<const std::uint8_t> message);
// "RECEIVE 81 7E\r\n": a message the server read from LocoNet.
std::string EncodeReceiveLine(std::span<const std::uint8_t> message);

// What one complete line said.
struct TcpLine {
    enum class Kind {
        Send,       // a message to put on LocoNet (the server reads these)
        Receive,    // a message read from LocoNet
        SentOk,     // the server put the last SEND on LocoNet
        SentError,  // it could not; text holds its reason
        Version,    // text names the server
    };
    Kind kind = Kind::Receive;
    std::vector<std::uint8_t> bytes;  // Send, Receive: one whole LocoNet message
    std::string text;                 // SentError, Version
};

// Cuts received text into lines and reads each. A line ends at CR or LF (any
// mix; empty lines are skipped). A line of a token this program does not use
// (TIMESTAMP, BREAK, ERROR ...) is ignored; a line that is not a token and its
// parameter, or whose SEND or RECEIVE is not exactly one LocoNet message, is
// counted as malformed and skipped whole, so no half message is ever passed on.
class TcpLineDecoder {
public:
    // A line longer than this is no line of the protocol: it is dropped as
    // malformed when it ends (the longest message, 64 bytes, takes 200 characters).
    static constexpr std::size_t kLongestLine = 1024;

    // Reads the text; calls sink(const TcpLine&) for every complete line that
    // says something, in order. An unfinished line waits for the next text.
    template <typename Sink>
    void Feed(std::string_view text, Sink&& sink) {
        for (const char c : text) {
            if (c != '\r' && c != '\n') {
                if (line_.size() < kLongestLine)
                    line_.push_back(c);
                else
                    tooLong_ = true;
                continue;
            }
            if (!line_.empty() || tooLong_) {
                TcpLine read;
                if (EndLine(read)) sink(static_cast<const TcpLine&>(read));
            }
        }
    }

    // Lines skipped because they were malformed, and because their token is not used.
    int malformed() const { return malformed_; }
    int ignored() const { return ignored_; }
    // Forgets an unfinished line (a new connection).
    void Reset() {
        line_.clear();
        tooLong_ = false;
    }

private:
    // Reads the line gathered so far into read and starts a new one; true when
    // the line says something the caller uses.
    bool EndLine(TcpLine& read);
    // Reads one line; false when it is malformed. A line of an unused token
    // is well formed and sets unused_.
    bool Read(std::string_view line, TcpLine& read);

    std::string line_;
    bool tooLong_ = false;
    int malformed_ = 0;
    int ignored_ = 0;
    bool unused_ = false;
};

// Cuts a byte stream into whole LocoNet messages, as a server does before it
// writes each in a RECEIVE line: a byte with bit 7 set begins a message (an
// unfinished one before it is dropped), bytes outside a message are dropped,
// and a message longer than a receive slot is never passed on.
class MessageCutter {
public:
    // Calls sink(std::span<const std::uint8_t>) for every message completed.
    template <typename Sink>
    void Feed(std::string_view bytes, Sink&& sink) {
        for (const char c : bytes) {
            if (Step(static_cast<std::uint8_t>(c))) {
                sink(std::span<const std::uint8_t>(message_));
                message_.clear();
            }
        }
    }

private:
    // Takes one byte; true when it completes the message.
    bool Step(std::uint8_t b);

    std::vector<std::uint8_t> message_;
    std::size_t expected_ = 0;
};

}  // namespace cv2
