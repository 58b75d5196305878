// The status of one procedure run: 0 success, otherwise
// step * 10000 + kind * 100 + detail. Passed by reference as the last argument of every step.
#pragma once

#include <cstdint>

namespace cv2 {

using StatusCode = std::int32_t;

// Detail of a run ended from outside (Ctrl-C, the system ending the program)
// rather than by the station: the step it stopped in adds its number as for
// any failure. It has no message text; the host says the run was cancelled.
inline constexpr StatusCode kCancelled = 98;

}  // namespace cv2
