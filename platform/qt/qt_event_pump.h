// The real event processing: sleeps in the Qt event loop until an event arrives
// or a short repeating timer fires, so a wait checks its limit every few
// milliseconds without burning a core.
#pragma once

#include <QTimer>

#include "platform/event_pump.h"

namespace cv2 {

class QtEventPump : public EventPump {
public:
    explicit QtEventPump(int tickMs = 5);
    void ProcessEvents() override;

private:
    QTimer tick_;
};

}  // namespace cv2
