// Between the console's control handler, which runs on a thread of its own,
// and the event loop: the event that wakes a sleeping wait, and the call that
// then runs the program's own reaction on the program's thread.
#pragma once

#include <windows.h>

namespace cv2 {

// Set by the control handler; nullptr until WatchEndRequests.
HANDLE EndRequestWakeEvent();
// Runs the reaction of WatchEndRequests once for a request that woke the loop.
void HandEndRequestOver();

}  // namespace cv2
