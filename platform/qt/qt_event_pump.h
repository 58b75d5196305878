// The real event processing: a wait sleeps in the Qt event loop until an event
// arrives (the port's received characters wake it at once) or a single-shot
// timer for its time limit fires. No timer runs while nothing waits.
#pragma once

#include <QObject>

#include "platform/event_pump.h"

namespace cv2 {

class QtEventPump : public QObject, public EventPump {
public:
    void ProcessEvents() override;
    void WaitForEvents(double seconds) override;

protected:
    // The time limit's timer only has to wake the loop.
    void timerEvent(QTimerEvent*) override {}
};

}  // namespace cv2
