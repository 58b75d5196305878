// The elapsed minutes: two decimals, ties to the even digit.
#include "app/elapsed_time.h"

#include <gtest/gtest.h>

namespace cv2 {
namespace {

TEST(ElapsedMinutes, RoundsToTwoDecimalsWithTiesToEven) {
    EXPECT_DOUBLE_EQ(ElapsedMinutes(1000.0, 1740.4), 12.34);
    EXPECT_DOUBLE_EQ(ElapsedMinutes(1000.0, 1007.5), 0.12);  // 0.125
    EXPECT_DOUBLE_EQ(ElapsedMinutes(1000.0, 1022.5), 0.38);  // 0.375
    EXPECT_DOUBLE_EQ(ElapsedMinutes(1000.0, 1037.5), 0.62);  // 0.625
}

}  // namespace
}  // namespace cv2
