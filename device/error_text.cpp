#include "device/error_text.h"

#include "device/status_table.h"

namespace cv2 {

namespace {

constexpr char kCR = '\r';

// Steps 0..2 end their line; the later steps run on into the kind text.
constexpr int kLastStepWithOwnLine = 2;
constexpr int kFirstStepRunningOn = 10;

}  // namespace

std::string ErrorText(StatusCode code) {
    // Truncating division: a negative code gives negative fields, which have no text.
    const int step = StepOf(code);
    std::string text(1, kCR);
    if (step >= 0 && step <= kLastStepWithOwnLine) {
        // Step 0 has no text: its line is empty.
        text += StepText(step);
        text += kCR;
    } else if (step >= kFirstStepRunningOn) {
        text += StepText(step);
    }
    if (const auto k = KindText(KindOf(code)); !k.empty()) {
        text += k;
        text += kCR;
    }
    if (const auto d = DetailText(DetailOf(code)); !d.empty()) {
        text += d;
        text += kCR;
    }
    return text;
}

}  // namespace cv2
