// The line settings text of the serial control, "rate,parity,data,stop" (for
// example "19200,n,8,2"), read into its four fields. Each platform's serial
// port applies the fields in its own terms.
#pragma once

#include <optional>
#include <string>

namespace cv2 {

enum class Parity { None, Even, Odd, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

struct LineSettings {
    long rate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;
};

// Empty when the text is not four valid fields.
std::optional<LineSettings> ParseLineSettings(const std::string& text);

}  // namespace cv2
