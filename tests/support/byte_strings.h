// Byte strings for tests: a string of the given byte values, and the byte
// values of a string, so expected frames read as the bytes on the line.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace cv2::test {

inline std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

inline std::vector<int> Codes(const std::string& s) {
    std::vector<int> out;
    for (char c : s) out.push_back(static_cast<std::uint8_t>(c));
    return out;
}

}  // namespace cv2::test
