// Feeds arbitrary text to the LocoNet-over-TCP line reader, whole and split at
// a point the first byte chooses. Checks that both give the same lines and
// counts, that every message passed on is one whole LocoNet message (so the
// receive path never gets half of one), and that a message read back from its
// own encoding is the same message.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "link/loconet.h"
#include "link/tcp_lines.h"

using cv2::fuzz::Check;

namespace {

struct Reading {
    std::vector<cv2::TcpLine> lines;
    int malformed = 0;
    int ignored = 0;
};

Reading ReadAll(std::string_view text, std::size_t split) {
    cv2::TcpLineDecoder decoder;
    Reading r;
    const auto keep = [&](const cv2::TcpLine& line) { r.lines.push_back(line); };
    decoder.Feed(text.substr(0, split), keep);
    decoder.Feed(text.substr(split), keep);
    r.malformed = decoder.malformed();
    r.ignored = decoder.ignored();
    return r;
}

bool Same(const cv2::TcpLine& a, const cv2::TcpLine& b) {
    return a.kind == b.kind && a.bytes == b.bytes && a.text == b.text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const Reading whole = ReadAll(text, text.size());
    const Reading split = ReadAll(text, data[0] % (text.size() + 1));
    Check(whole.malformed == split.malformed && whole.ignored == split.ignored);
    Check(whole.lines.size() == split.lines.size());
    for (std::size_t i = 0; i < whole.lines.size(); ++i) {
        const cv2::TcpLine& line = whole.lines[i];
        Check(Same(line, split.lines[i]));
        if (line.kind != cv2::TcpLine::Kind::Send && line.kind != cv2::TcpLine::Kind::Receive) {
            continue;
        }
        // One message: its opcode first, its length by the opcode, data below 0x80.
        const std::vector<std::uint8_t>& m = line.bytes;
        Check(!m.empty() && (m[0] & 0x80) != 0 &&
              m.size() <= static_cast<std::size_t>(cv2::kLongestFrame));
        const std::int16_t length = cv2::FrameLength(m[0]);
        Check(m.size() == static_cast<std::size_t>(length == cv2::kLengthFollows ? m[1] : length));
        for (std::size_t b = 1; b < m.size(); ++b) Check(m[b] < 0x80);
        const Reading again = ReadAll(cv2::EncodeReceiveLine(m), 0);
        Check(again.lines.size() == 1 && again.lines[0].bytes == m && again.malformed == 0);
    }
    return 0;
}
