// Event processing on the fake clock. Each pass dispatches what is due; when
// nothing is and the pass may sleep, it moves the clock to the next due time or
// to the end of the sleep, as the real pump wakes on an event or its timer.
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
    explicit FakeEventPump(FakeClock& clock) : clock_(clock) {}

    void AddSource(FakeEventSource* source) { sources_.push_back(source); }

    void ProcessEvents() override { Pass(0.0); }
    void WaitForEvents(double seconds) override;

    // Runs once per pass before dispatching, for tests that act "from outside"
    // while the program waits (a click, a close request).
    std::function<void()> onPass;

    long passes() const { return passes_; }

private:
    // Sleeps at most the seconds (none: 0) unless something is due, then dispatches.
    void Pass(double sleep);

    FakeClock& clock_;
    std::vector<FakeEventSource*> sources_;
    long passes_ = 0;
};

}  // namespace cv2
