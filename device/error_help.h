// What to do after a failure, for cv2cli's "Was tun:" line: from the message
// rows of the status's step and detail (device/status_table.h).
#pragma once

#include <string>

#include "device/status.h"

namespace cv2 {

// One line of what to do after a failure with this status: its step's advice
// for its detail, else its step's own (another step's where it takes that
// one's), else its detail's; empty when none has any.
std::string ErrorAdvice(StatusCode status);

}  // namespace cv2
