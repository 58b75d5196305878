// A request from outside to end the run in progress: the user's Ctrl-C, or
// the system ending the program. Every wait and retry loop of a run looks at
// it; a signal handler may set it.
#pragma once

#include <csignal>

namespace cv2 {

// The exit code of a program ended from outside (128 + SIGINT, as shells count).
inline constexpr int kExitCancelled = 130;

class Cancellation {
public:
    void Request() { requested_ = 1; }
    void Reset() { requested_ = 0; }
    bool requested() const { return requested_ != 0; }

private:
    volatile std::sig_atomic_t requested_ = 0;
};

}  // namespace cv2
