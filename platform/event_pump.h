// "Let the user interface process pending events": the one call every wait makes
// in each pass. A wait sleeps until something arrives or its time limit passes.
#pragma once

#include "platform/clock.h"

namespace cv2 {

class EventPump {
public:
    virtual ~EventPump() = default;
    // Processes what is pending and returns at once.
    virtual void ProcessEvents() = 0;
    // Processes what is pending; when nothing is, first sleeps until an event
    // arrives (received characters, a window event) or the seconds have passed,
    // rounded up to whole milliseconds and at least one.
    virtual void WaitForEvents(double seconds) = 0;

    // One pass of a wait that ends once more than limit seconds have passed
    // since start: it sleeps at most until just past the limit.
    void WaitPass(const Clock& clock, double start, double limit) {
        WaitForEvents(start + limit - clock.Now());
    }
};

// How long WaitForEvents sleeps at most: whole milliseconds, at least one, so a
// wait standing exactly at its limit still moves past it.
int SleepMilliseconds(double seconds);

}  // namespace cv2
