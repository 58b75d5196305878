// The real clock on Windows: seconds from the performance counter, which
// runs monotonically from boot.
#pragma once

#include <windows.h>

#include "platform/clock.h"

namespace cv2 {

class Win32Clock : public Clock {
public:
    Win32Clock() {
        LARGE_INTEGER frequency, start;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        frequency_ = static_cast<double>(frequency.QuadPart);
        start_ = start.QuadPart;
    }
    double Now() const override {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_) / frequency_;
    }

private:
    double frequency_ = 1;
    LONGLONG start_ = 0;
};

}  // namespace cv2
