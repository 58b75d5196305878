// Source of elapsed time for every wait and for the elapsed-time display.
// Seconds with fractions on a monotonic clock, so a wait never breaks at midnight.
#pragma once

namespace cv2 {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since an arbitrary fixed point; never goes backwards.
    virtual double Now() const = 0;
};

}  // namespace cv2
