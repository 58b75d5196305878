// The progress display: bytes moved to or from the backup file against the
// size of a complete file, drawn as a bar and a percentage. Redraws only when
// the percentage has grown by more than one point since the last drawing.
#pragma once

#include <cstdint>
#include <string>

#include "transfer/byte_progress.h"
#include "transfer/file_layout.h"

namespace cv2 {

// Size of a complete backup file: what a run moves in all.
constexpr std::int32_t kProgressTotal = kBackupFileSize;

// The widgets the display draws on (the main window's bar and text).
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void SetBarWidth(double twips) = 0;
    virtual double BackgroundWidth() const = 0;  // width of the white background, twips
    virtual void SetPercentText(const std::string& text) = 0;
};

class Progress : public ByteProgress {
public:
    explicit Progress(ProgressView& view) : view_(view) {}

    void SetProgress(double percent);
    void ResetProgress();
    void UpdateProgress();
    void CompleteProgress();
    void AddBytes(int bytes) override;

    std::int32_t ProgressBytes = 0;
    std::int32_t ProgressTotal = kProgressTotal;
    double ProgressPercent = 0;
    double ProgressShown = 0;

private:
    ProgressView& view_;
};

}  // namespace cv2
