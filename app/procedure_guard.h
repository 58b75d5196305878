// One procedure at a time: the guard both window programs run their transfer
// buttons' procedures through.
#pragma once

#include <functional>

namespace cv2 {

// Lets one procedure run at a time. A procedure processes window events while
// it waits, so a click can arrive inside it whatever enabled the buttons meanwhile.
class ProcedureGuard {
public:
    // Runs procedure unless one is running; false when it did not run.
    bool Run(const std::function<void()>& procedure);
    bool running() const { return running_; }

private:
    bool running_ = false;
};

}  // namespace cv2
