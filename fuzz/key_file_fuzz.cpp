// Feeds arbitrary text to the key file reader and checks what it promises:
// accepted keys have every byte below 0x80 and read back the same when written
// out in the file's own form; a rejected text leaves the keys as they were and
// names a line of the text (or none, for a missing line) and a problem.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "device/key_file.h"
#include "fuzz/fuzz_check.h"

using cv2::fuzz::Check;

namespace {

template <typename Bytes>
std::string Line(const char* name, const Bytes& bytes) {
    std::string line = name;
    line += " =";
    for (std::uint8_t b : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", b);
        line += hex;
    }
    return line + "\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const cv2::KeyTable before = {{1, 2, 3, 4, 5, 6, 7, 8}, {}};
    cv2::KeyTable keys = before;
    int line = -1;
    std::string problem;
    if (!cv2::ParseKeyText(text, keys, line, problem)) {
        Check(keys == before && !problem.empty() && line >= 0);
        std::size_t lines = 1;
        for (char c : text) lines += c == '\n';
        Check(static_cast<std::size_t>(line) <= lines);
        return 0;
    }
    for (auto b : keys.ServiceKey) Check(b < 0x80);
    for (auto b : keys.PayloadKey) Check(b < 0x80);
    cv2::KeyTable again;
    Check(cv2::ParseKeyText("# written back\n" + Line("PayloadKey", keys.PayloadKey) +
                                Line("ServiceKey", keys.ServiceKey),
                            again, line, problem));
    Check(again == keys);
    return 0;
}
