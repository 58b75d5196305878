// Event processing on the fake clock. Each pass dispatches what is due; when
// nothing is, it moves the clock to the next due time, but never more than one
// tick, as the real pump wakes on a short timer.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/event_pump.h"
#include "platform/fake/fake_clock.h"

namespace cv2 {

// Something that produces events at given times (a serial port with bytes on
// the way, a simulated station).
class FakeEventSource {
public:
    virtual ~FakeEventSource() = default;
    // Time of the next event, or nothing when none is scheduled.
    virtual std::optional<double> NextDue() const = 0;
    // Raises every event due at or before now.
    virtual void Dispatch(double now) = 0;
};

class FakeEventPump : public EventPump {
public:
    explicit FakeEventPump(FakeClock& clock, double tick = 0.005) : clock_(clock), tick_(tick) {}

    void AddSource(FakeEventSource* source) { sources_.push_back(source); }

    void ProcessEvents() override;

    // Runs once per pass before dispatching, for tests that act "from outside"
    // while the program waits (a click, a close request).
    std::function<void()> onPass;

    long passes() const { return passes_; }

private:
    FakeClock& clock_;
    double tick_;
    std::vector<FakeEventSource*> sources_;
    long passes_ = 0;
};

}  // namespace cv2
