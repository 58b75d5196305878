// The progress display: redraws only after more than one further point, text
// rounded half to even, and no widget touched in between.
#include "app/progress.h"

#include <gtest/gtest.h>

#include <vector>

namespace cv2 {
namespace {

constexpr double kBackgroundTwips = 3195;

struct RecordingView : ProgressView {
    std::vector<double> widths;
    std::vector<std::string> texts;
    void SetBarWidth(double twips) override { widths.push_back(twips); }
    double BackgroundWidth() const override { return kBackgroundTwips; }
    void SetPercentText(const std::string& text) override { texts.push_back(text); }
};

class ProgressTest : public ::testing::Test {
protected:
    RecordingView view;
    Progress progress{view};
};

TEST_F(ProgressTest, SetProgressZeroDrawsEmptyBarAndZeroPercent) {
    progress.SetProgress(0);
    EXPECT_EQ(view.widths, std::vector<double>{0.0});
    EXPECT_EQ(view.texts, std::vector<std::string>{"0%"});
}

TEST_F(ProgressTest, SetProgressScalesTo3200Twips) {
    progress.SetProgress(50);
    EXPECT_DOUBLE_EQ(view.widths.back(), 1600);
    EXPECT_EQ(view.texts.back(), "50%");
}

TEST_F(ProgressTest, FirstDrawingOnlyAfterMoreThanOnePercent) {
    progress.ResetProgress();
    progress.ProgressBytes = 5740;
    progress.AddBytes(2);  // 5742 bytes: just under one percent
    EXPECT_TRUE(view.widths.empty());
    EXPECT_TRUE(view.texts.empty());
    progress.AddBytes(2);  // 5744: past one percent
    ASSERT_EQ(view.texts.size(), 1u);
    EXPECT_EQ(view.texts[0], "1%");
    EXPECT_NEAR(view.widths[0], kBackgroundTwips * 5744.0 / 574252.0, 1e-9);
}

TEST_F(ProgressTest, ExactlyOnePointMoreDoesNotRedraw) {
    progress.ResetProgress();
    progress.ProgressShown = 10;
    // 20 % of the total in whole bytes would not be exact; use a total where it is.
    progress.ProgressTotal = 1000;
    progress.ProgressBytes = 110;  // 11 % = shown + 1
    progress.UpdateProgress();
    EXPECT_TRUE(view.texts.empty());
    progress.ProgressBytes = 111;
    progress.UpdateProgress();
    EXPECT_EQ(view.texts, std::vector<std::string>{"11%"});
    EXPECT_DOUBLE_EQ(progress.ProgressShown, 11.1);
}

TEST_F(ProgressTest, TextRoundsHalfToEven) {
    progress.ResetProgress();
    progress.ProgressTotal = 200;     // each byte is half a percent, exactly
    for (int bytes : {25, 27, 31}) {  // 12.5, 13.5 and 15.5 percent
        progress.ProgressShown = 0;
        progress.ProgressBytes = bytes;
        progress.UpdateProgress();
    }
    EXPECT_EQ(view.texts, (std::vector<std::string>{"12%", "14%", "16%"}));
}

TEST_F(ProgressTest, AFullRunRedrawsFewerThanAHundredTimes) {
    progress.ResetProgress();
    // The file primitives move 4, 2 or 16 bytes at a time.
    const int steps[] = {4, 2, 16, 16, 16, 16};
    long moved = 0;
    for (int i = 0; moved < kProgressTotal; ++i) {
        const int n = steps[i % 6];
        progress.AddBytes(n);
        moved += n;
    }
    EXPECT_LT(view.texts.size(), 100u);
    EXPECT_GT(view.texts.size(), 90u);
    EXPECT_EQ(view.widths.size(), view.texts.size());
}

TEST_F(ProgressTest, ANewRunKeepsTheFullBarUntilItPassesOnePercent) {
    progress.ResetProgress();
    progress.AddBytes(kProgressTotal);
    progress.CompleteProgress();
    EXPECT_DOUBLE_EQ(view.widths.back(), kBackgroundTwips);
    EXPECT_EQ(view.texts.back(), "100%");
    const auto drawn = view.texts.size();

    progress.ResetProgress();
    progress.AddBytes(5742);
    EXPECT_EQ(view.texts.size(), drawn);
    EXPECT_EQ(progress.ProgressBytes, 5742);
    progress.AddBytes(16);
    EXPECT_EQ(view.texts.back(), "1%");
}

}  // namespace
}  // namespace cv2
