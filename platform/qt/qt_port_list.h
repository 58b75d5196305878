// The machine's serial ports as Qt finds them, each with its stable name and
// whether this user may open it; the USB devices first.
#pragma once

#include <vector>

#include "platform/port_list.h"

namespace cv2 {

std::vector<PortEntry> AvailablePorts();

}  // namespace cv2
