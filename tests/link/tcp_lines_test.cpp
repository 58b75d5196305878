// The lines of LocoNet over TCP as servers write them: each received text, fed
// whole and split at every point, gives the same lines, and a malformed line is
// counted and never passed on in part.
#include "link/tcp_lines.h"

#include <gtest/gtest.h>

namespace cv2 {
namespace {

// One line read back as text: "R 81 7E", "S 81 7E", "OK", "ERR why", "V text".
std::string Shown(const TcpLine& line) {
    static const char* const kKinds[] = {"S", "R", "OK", "ERR ", "V "};
    std::string s = kKinds[static_cast<int>(line.kind)] + line.text;
    char hex[4];
    for (const std::uint8_t b : line.bytes) {
        std::snprintf(hex, sizeof hex, " %02X", b);
        s += hex;
    }
    return s;
}

struct Read {
    std::vector<std::string> lines;
    int malformed = 0;
    int ignored = 0;
};

Read Decode(const std::string& text, std::size_t split) {
    TcpLineDecoder decoder;
    Read read;
    const auto keep = [&](const TcpLine& line) { read.lines.push_back(Shown(line)); };
    decoder.Feed(std::string_view(text).substr(0, split), keep);
    decoder.Feed(std::string_view(text).substr(split), keep);
    read.malformed = decoder.malformed();
    read.ignored = decoder.ignored();
    return read;
}

struct Row {
    const char* what;
    std::string text;
    std::vector<std::string> lines;
    int malformed;
    int ignored;
};

TEST(TcpLines, ServersTextReadAsItsLinesWhateverTheSplit) {
    const Row rows[] = {
        {"a version, then SENT before the echo",
         "VERSION LbServer 1.2\r\nSENT OK\r\nRECEIVE 81 7E\r\n",
         {"V LbServer 1.2", "OK", "R 81 7E"},
         0,
         0},
        {"SENT after the echo, LF only",
         "RECEIVE B0 10 20 5F\nSENT OK\n",
         {"R B0 10 20 5F", "OK"},
         0,
         0},
        {"CR only, empty lines and lower-case hex",
         "\r\r\nRECEIVE b4 6d 4a 59\r\r\n\n",
         {"R B4 6D 4A 59"},
         0,
         0},
        {"the server's reason",
         "SENT ERROR LocoNet busy\r\nSENT ERROR\r\n",
         {"ERR LocoNet busy", "ERR "},
         0,
         0},
        {"a variable-length message as long as its length byte",
         "RECEIVE E5 07 01 02 03 04 7F\r\n",
         {"R E5 07 01 02 03 04 7F"},
         0,
         0},
        {"version 2's lines are ignored",
         "TIMESTAMP 1234\r\nBREAK\r\nERROR CHECKSUM B4 6D\r\nERROR LINE\r\nRECEIVE 81 7E\r\n",
         {"R 81 7E"},
         0,
         4},
        {"a byte without its second digit", "RECEIVE B4 6D 7 59\r\n", {}, 1, 0},
        {"a whole message before bytes that are not hex", "RECEIVE 81 7E ZZ\r\n", {}, 1, 0},
        {"a RECEIVE longer than its message", "RECEIVE 81 7E 81 7E\r\nRECEIVE 81\r\n", {}, 2, 0},
        {"a data byte with bit 7 set", "RECEIVE B4 ED 7F 59\r\n", {}, 1, 0},
        {"a first byte that is no opcode", "RECEIVE 03 03 03\r\n", {}, 1, 0},
        {"a length byte that is not the count", "RECEIVE E5 05 01 02\r\n", {}, 1, 0},
        {"not hex, no token, a lower-case token",
         "RECEIVE 8G 02\r\nRECEIVE 8g 7E\r\n81 7E\r\nreceive 81 7E\r\n",
         {},
         4,
         0},
        {"a SENT that is neither", "SENT MAYBE\r\nSENT ERRORS\r\n", {}, 2, 0},
        {"a line that never ends is not kept",
         std::string(3000, 'A') + "\r\nSENT OK\r\n",
         {"OK"},
         1,
         0},
        {"an unfinished line waits", "RECEIVE 81 7E", {}, 0, 0},
        {"the client's own line", "SEND ED 04 01 0E\r\n", {"S ED 04 01 0E"}, 0, 0},
    };
    for (const Row& row : rows) {
        for (std::size_t split = 0; split <= row.text.size(); ++split) {
            SCOPED_TRACE(std::string(row.what) + ", split at " + std::to_string(split));
            const Read read = Decode(row.text, split);
            EXPECT_EQ(read.lines, row.lines);
            EXPECT_EQ(read.malformed, row.malformed);
            EXPECT_EQ(read.ignored, row.ignored);
        }
    }
}

TEST(TcpLines, MessagesWrittenAsServersReadThem) {
    const std::uint8_t request[] = {0xED, 0x04, 0x01, 0x0E};
    EXPECT_EQ(EncodeSendLine(request), "SEND ED 04 01 0E\r\n");
    const std::uint8_t ack[] = {0xB4, 0x6D, 0x7F, 0x59};
    EXPECT_EQ(EncodeReceiveLine(ack), "RECEIVE B4 6D 7F 59\r\n");
}

}  // namespace
}  // namespace cv2
