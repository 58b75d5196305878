#include "app/procedure_guard.h"

namespace cv2 {

bool ProcedureGuard::Run(const std::function<void()>& procedure) {
    if (running_ || !procedure) return false;
    running_ = true;
    procedure();
    running_ = false;
    return true;
}

}  // namespace cv2
