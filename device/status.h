// The status of one procedure run: 0 success, otherwise
// step * 10000 + kind * 100 + detail. Passed by reference as the last argument of every step.
#pragma once

#include <cstdint>

namespace cv2 {

using StatusCode = std::int32_t;

}  // namespace cv2
