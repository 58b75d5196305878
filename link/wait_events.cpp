#include "link/wait_events.h"

namespace cv2 {

namespace {
// A pass that ends this close to its limit counts as ending there: the wait
// looks at its clock right after the pass, so the held bytes must be in by then.
constexpr double kLimitMargin = 0.001;
}  // namespace

void WaitEvents::ProcessEvents() {
    inner_.ProcessEvents();
    comm_.ReleaseInput();
}

void WaitEvents::WaitForEvents(double seconds) {
    const double end = clock_.Now() + seconds;
    const bool outer = sleeping_;  // a window event may run a wait inside this pass
    sleeping_ = true;
    inner_.WaitForEvents(seconds);
    sleeping_ = outer;
    if (!(clock_.Now() < end - kLimitMargin)) comm_.ReleaseInput();
}

}  // namespace cv2
