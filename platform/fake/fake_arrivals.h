// Bytes on their way to the program on the fake clock, each piece with the
// time it arrives, kept in order of that time: what a fake serial port or a
// fake TCP connection is about to receive.
#pragma once

#include <algorithm>
#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "platform/fake/fake_clock.h"

namespace cv2 {

class FakeArrivals {
public:
    // The bytes arrive at time t, after whatever arrives at or before t.
    void At(double t, const std::string& bytes) {
        auto it = std::upper_bound(pending_.begin(), pending_.end(), t,
                                   [](double v, const auto& p) { return v < p.first; });
        pending_.insert(it, {t, bytes});
    }
    std::optional<double> NextTime() const {
        if (pending_.empty()) return std::nullopt;
        return pending_.front().first;
    }
    // Hands everything that has arrived by now to take(bytes), in order.
    template <typename Take>
    void Arrive(double now, Take&& take) {
        while (!pending_.empty() && pending_.front().first <= now) {
            take(pending_.front().second);
            pending_.pop_front();
        }
    }
    // A sleeping wait for input: moves the clock on to the next arrival, or by
    // the seconds when none comes before.
    void Sleep(FakeClock& clock, double seconds) const {
        const double until = clock.Now() + seconds;
        const bool arrives = !pending_.empty() && pending_.front().first <= until;
        clock.Set(std::max(clock.Now(), arrives ? pending_.front().first : until));
    }
    void Clear() { pending_.clear(); }

private:
    std::deque<std::pair<double, std::string>> pending_;
};

}  // namespace cv2
