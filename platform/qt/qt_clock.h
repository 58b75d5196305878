// The real clock: seconds from Qt's monotonic elapsed timer.
#pragma once

#include <QElapsedTimer>

#include "platform/clock.h"

namespace cv2 {

class QtClock : public Clock {
public:
    QtClock() { timer_.start(); }
    double Now() const override { return static_cast<double>(timer_.nsecsElapsed()) / 1e9; }

private:
    QElapsedTimer timer_;
};

}  // namespace cv2
