// The event processing every wait on the link runs: the platform's, with the
// port allowed to hold back the rest of a frame only while a wait sleeps, and
// whatever it holds handed to the receive handler before a wait can see its
// time limit pass.
#pragma once

#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/serial_control.h"

namespace cv2 {

class WaitEvents final : public EventPump {
public:
    WaitEvents(EventPump& inner, SerialControl& comm, const Clock& clock)
        : inner_(inner), comm_(comm), clock_(clock) {}

    // A pass that does not sleep ends with nothing held back.
    void ProcessEvents() override;
    // A pass that ends at (or just before) its limit ends with nothing held back.
    void WaitForEvents(double seconds) override;
    // True inside a pass that may sleep: only then is holding the port worth it.
    bool sleeping() const { return sleeping_; }

private:
    EventPump& inner_;
    SerialControl& comm_;
    const Clock& clock_;
    bool sleeping_ = false;
};

}  // namespace cv2
