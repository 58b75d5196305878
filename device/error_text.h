// The German message for a status code, spelled out from the texts of its
// step, kind and detail (device/status_table.h); CR (13) separates the lines.
#pragma once

#include <string>

#include "device/status.h"

namespace cv2 {

std::string ErrorText(StatusCode code);

}  // namespace cv2
