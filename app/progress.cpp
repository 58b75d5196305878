#include "app/progress.h"

#include <cmath>
#include <sstream>

namespace cv2 {

namespace {

// Full width of the bar for SetProgress, twips.
constexpr double kSetProgressScale = 3200.0;

}  // namespace

void Progress::SetProgress(double percent) {
    view_.SetBarWidth(percent * kSetProgressScale / 100.0);
    std::ostringstream text;
    text << percent << '%';
    view_.SetPercentText(text.str());
}

void Progress::ResetProgress() {
    ProgressPercent = 0;
    ProgressShown = 0;
    ProgressBytes = 0;
    ProgressTotal = kProgressTotal;
}

void Progress::UpdateProgress() {
    ProgressPercent = static_cast<double>(ProgressBytes) / ProgressTotal * 100.0;
    // Redraw only after more than one further point: a run calls this every few
    // bytes, and the window is drawn fewer than a hundred times per run.
    if (!(ProgressPercent - ProgressShown > 1.0)) return;
    ProgressShown = ProgressPercent;
    view_.SetBarWidth(view_.BackgroundWidth() * ProgressPercent / 100.0);
    // llrint rounds half to even under the default rounding mode: 12.5 -> 12, 13.5 -> 14.
    const long long whole = std::llrint(ProgressPercent);
    view_.SetPercentText(std::to_string(whole) + "%");
}

void Progress::CompleteProgress() {
    view_.SetBarWidth(view_.BackgroundWidth());
    view_.SetPercentText("100%");
}

void Progress::AddBytes(int bytes) {
    ProgressBytes += bytes;
    UpdateProgress();
}

}  // namespace cv2
