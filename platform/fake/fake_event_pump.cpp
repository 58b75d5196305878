#include "platform/fake/fake_event_pump.h"

#include <algorithm>

namespace cv2 {

void FakeEventPump::WaitForEvents(double seconds) { Pass(SleepMilliseconds(seconds) / 1000.0); }

void FakeEventPump::Pass(double sleep) {
    ++passes_;
    if (onPass) onPass();
    const double now = clock_.Now();
    double next = now + sleep;
    bool due = false;
    for (FakeEventSource* s : sources_) {
        if (auto t = s->NextDue()) {
            if (*t <= now) due = true;
            next = std::min(next, *t);
        }
    }
    // Like the real pump: sleep until the next event or the end of the sleep.
    if (!due) clock_.Set(std::max(now, next));
    const double t = clock_.Now();
    // Copy: a handler may add or remove sources.
    const auto sources = sources_;
    for (FakeEventSource* s : sources) {
        if (auto d = s->NextDue(); d && *d <= t) s->Dispatch(t);
    }
}

}  // namespace cv2
