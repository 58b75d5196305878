// A clock that only moves when told: tests and the simulated station run
// minutes of protocol time in milliseconds of real time.
#pragma once

#include "platform/clock.h"

namespace cv2 {

class FakeClock : public Clock {
public:
    double Now() const override { return now_; }
    void Advance(double seconds) { now_ += seconds; }
    void Set(double t) { now_ = t; }

private:
    double now_ = 1000.0;
};

}  // namespace cv2
