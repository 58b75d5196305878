// "Let the user interface process pending events": the one call every wait makes
// in each pass. Implementations block until an event or a short timer arrives.
#pragma once

namespace cv2 {

class EventPump {
public:
    virtual ~EventPump() = default;
    // Processes what is pending; may sleep until something arrives (a few ms at most).
    virtual void ProcessEvents() = 0;
};

}  // namespace cv2
