// The elapsed-time text: minutes rounded to two decimals with ties to the even
// digit, in the window's number format.
#include "app/elapsed_time.h"

#include <gtest/gtest.h>

#include "tests/backup/backup_rig.h"

namespace cv2 {
namespace {

TEST(ElapsedMinutes, RoundsToTwoDecimals) {
    EXPECT_DOUBLE_EQ(ElapsedMinutes(1000.0, 1740.4), 12.34);
    EXPECT_DOUBLE_EQ(ElapsedMinutes(1000.0, 1000.0), 0.0);
    EXPECT_DOUBLE_EQ(ElapsedMinutes(0.0, 2400.0), 40.0);
}

TEST(ElapsedMinutes, TiesGoToTheEvenDigit) {
    EXPECT_DOUBLE_EQ(ElapsedMinutes(1000.0, 1007.5), 0.12);  // 0.125
    EXPECT_DOUBLE_EQ(ElapsedMinutes(1000.0, 1022.5), 0.38);  // 0.375
    EXPECT_DOUBLE_EQ(ElapsedMinutes(1000.0, 1037.5), 0.62);  // 0.625
    EXPECT_DOUBLE_EQ(ElapsedMinutes(1000.0, 1052.5), 0.88);  // 0.875
}

TEST(ElapsedTimeText, UsesTheWindowsNumberFormat) {
    testing::BackupRig rig;
    EXPECT_EQ(ElapsedTimeText(rig.host, 12.34), " Zeit: 12,34 min");
    EXPECT_EQ(ElapsedTimeText(rig.host, 3), " Zeit: 3 min");
}

}  // namespace
}  // namespace cv2
