// The request count printed on stdout each time that many more requests came,
// so that a benchmark can time a stretch of a run; shared by the servers.
#pragma once

#include <algorithm>
#include <cstdio>
#include <deque>
#include <utility>

#include "station/station_wire.h"

namespace cv2::station {

class RequestMarks {
public:
    // Every that many requests a line (0: never).
    void Every(int requests) { every_ = requests; }
    // The station has answered this many requests so far.
    void Note(int requests) {
        if (every_ <= 0 || requests < next_ + every_) return;
        next_ = requests - requests % every_;
        std::printf("%d\n", requests);
        std::fflush(stdout);
    }

private:
    int every_ = 0;
    int next_ = 0;
};

// Keeps the queue in time order: what comes later (the text prompt before
// line traffic, say) can be due sooner.
inline void QueueByTime(std::deque<Delivery>& due, Delivery d) {
    auto at = std::upper_bound(due.begin(), due.end(), d.time,
                               [](double t, const Delivery& e) { return t < e.time; });
    due.insert(at, std::move(d));
}

}  // namespace cv2::station
