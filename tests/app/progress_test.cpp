// The progress display: redraws only after more than one further point, text
// rounded half to even, and no widget touched in between.
#include "app/progress.h"

#include <gtest/gtest.h>

#include <vector>

namespace cv2 {
namespace {

constexpr double kBackground = 3195;

struct RecordingView : ProgressView {
    std::vector<double> widths;
    std::vector<std::string> texts;
    void SetBarWidth(double twips) override { widths.push_back(twips); }
    double BackgroundWidth() const override { return kBackground; }
    void SetPercentText(const std::string& text) override { texts.push_back(text); }
};

TEST(Progress, RedrawsOnlyPastOneMorePointWithTheTextRoundedHalfToEven) {
    RecordingView view;
    Progress progress{view};
    progress.ProgressTotal = 200;  // half a point per byte, exactly
    // {shown before, bytes}: 11 % after 10 % is exactly one point more and not
    // drawn; then 11.5, 12.5, 13.5 and 15.5 %.
    for (const auto& [shown, bytes] : {std::pair{10, 22}, {10, 23}, {0, 25}, {0, 27}, {0, 31}}) {
        progress.ProgressShown = shown;
        progress.ProgressBytes = bytes;
        progress.UpdateProgress();
    }
    EXPECT_EQ(view.texts, (std::vector<std::string>{"12%", "12%", "14%", "16%"}));
}

TEST(Progress, ARunDrawsFewerThanAHundredTimesAndTheNextKeepsTheFullBarUntilPastOnePoint) {
    RecordingView view;
    Progress progress{view};
    progress.SetProgress(0);
    EXPECT_EQ(view.widths, std::vector<double>{0.0});
    EXPECT_EQ(view.texts, std::vector<std::string>{"0%"});
    for (int run = 0; run < 2; ++run) {
        const auto drawn = view.texts.size();
        progress.ResetProgress();
        progress.AddBytes(5742);  // just under one percent
        EXPECT_EQ(view.texts.size(), drawn);
        progress.AddBytes(2);
        EXPECT_EQ(view.texts.back(), "1%");
        EXPECT_DOUBLE_EQ(view.widths.back(), kBackground * 5744 / 574252);
        for (long moved = 5744; moved < kProgressTotal; moved += 16) progress.AddBytes(16);
        EXPECT_LT(view.texts.size() - drawn, 100u);
        progress.CompleteProgress();
        EXPECT_EQ(view.texts.back(), "100%");
        EXPECT_DOUBLE_EQ(view.widths.back(), kBackground);
    }
}

}  // namespace
}  // namespace cv2
