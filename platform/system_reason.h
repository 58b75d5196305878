// The system's reason for a failed file operation (an errno value), in the
// German words the program's messages use.
#pragma once

#include <string>

namespace cv2 {

std::string SystemReason(int err);

}  // namespace cv2
