#include "platform/event_pump.h"

#include <cmath>
#include <limits>

namespace cv2 {

int SleepMilliseconds(double seconds) {
    constexpr double kLongest = std::numeric_limits<int>::max();
    const double ms = std::ceil(seconds * 1000.0);
    if (!(ms >= 1.0)) return 1;  // also a NaN
    return ms >= kLongest ? std::numeric_limits<int>::max() : static_cast<int>(ms);
}

}  // namespace cv2
