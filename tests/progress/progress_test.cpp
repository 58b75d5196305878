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

class ProgressTest : public ::testing::Test {
protected:
    RecordingView view;
    Progress progress{view};
};

TEST_F(ProgressTest, StartShowsEmptyBarAndZeroPercent) {
    progress.SetProgress(0);
    EXPECT_EQ(view.widths, std::vector<double>{0.0});
    EXPECT_EQ(view.texts, std::vector<std::string>{"0%"});
}

TEST_F(ProgressTest, RedrawsOnlyAfterMoreThanOnePoint) {
    progress.ResetProgress();
    progress.AddBytes(5742);  // just under one percent
    EXPECT_TRUE(view.widths.empty() && view.texts.empty());
    progress.AddBytes(2);
    EXPECT_EQ(view.texts, std::vector<std::string>{"1%"});
    EXPECT_DOUBLE_EQ(view.widths.back(), kBackground * 5744 / 574252);
    progress.ProgressTotal = 200;  // half a percent per byte, exactly
    progress.ProgressShown = 10;
    progress.ProgressBytes = 22;  // 11 %: exactly one point more
    progress.UpdateProgress();
    EXPECT_EQ(view.texts.size(), 1u);
}

TEST_F(ProgressTest, TextRoundsHalfToEven) {
    progress.ProgressTotal = 200;
    for (int bytes : {25, 27, 31}) {  // 12.5, 13.5, 15.5 %
        progress.ProgressShown = 0;
        progress.ProgressBytes = bytes;
        progress.UpdateProgress();
    }
    EXPECT_EQ(view.texts, (std::vector<std::string>{"12%", "14%", "16%"}));
}

TEST_F(ProgressTest, FullRunDrawsFewerThanAHundredTimesThenNextRunKeepsTheFullBar) {
    progress.ResetProgress();
    for (long moved = 0; moved < kProgressTotal; moved += 16) progress.AddBytes(16);
    EXPECT_LT(view.texts.size(), 100u);
    progress.CompleteProgress();
    EXPECT_EQ(view.texts.back(), "100%");
    EXPECT_DOUBLE_EQ(view.widths.back(), kBackground);
    const auto drawn = view.texts.size();
    progress.ResetProgress();
    progress.AddBytes(5742);
    EXPECT_EQ(view.texts.size(), drawn);
}

}  // namespace
}  // namespace cv2
