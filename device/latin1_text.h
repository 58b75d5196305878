// Conversion of the program's UTF-8 texts into the single-byte code page
// (Latin-1) of the station's display.
#pragma once

#include <string>
#include <string_view>

namespace cv2 {

// One byte per character: U+0000..U+00FF as its code, every other character and
// every malformed UTF-8 sequence as '?'.
std::string Utf8ToLatin1(std::string_view utf8);

}  // namespace cv2
