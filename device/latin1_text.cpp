#include "device/latin1_text.h"

#include <cstddef>
#include <cstdint>

namespace cv2 {

namespace {

constexpr char kReplacement = '?';
constexpr char32_t kLastLatin1 = 0xFF;
// The smallest character that needs a sequence of 1, 2, 3 or 4 bytes.
constexpr char32_t kSmallestOfLength[5] = {0, 0, 0x80, 0x800, 0x10000};

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::string Utf8ToLatin1(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            cp = lead & 0x07;
        }
        // A stray continuation byte or an invalid lead byte: one '?' for that byte.
        bool valid = length != 0 && i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto c = static_cast<unsigned char>(utf8[i + k]);
            if (!IsContinuation(c)) {
                valid = false;
            } else {
                cp = (cp << 6) | (c & 0x3F);
            }
        }
        // Overlong forms (a character in more bytes than it needs) are not characters either.
        if (valid && cp < kSmallestOfLength[length]) valid = false;
        if (!valid) {
            out += kReplacement;
            ++i;
            // Skip the continuation bytes of a broken sequence so it yields one '?'.
            while (i < utf8.size() && IsContinuation(static_cast<unsigned char>(utf8[i]))) ++i;
            continue;
        }
        out += cp <= kLastLatin1 ? static_cast<char>(static_cast<std::uint8_t>(cp)) : kReplacement;
        i += length;
    }
    return out;
}

}  // namespace cv2
