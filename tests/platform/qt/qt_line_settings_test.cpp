// The Qt serial control keeps its line settings when a text is refused.
#include <gtest/gtest.h>

#include "platform/qt/qt_serial_control.h"

namespace cv2 {
namespace {

TEST(LineSettings, RefusedTextLeavesTheSettingsAsTheyWere) {
    QtSerialControl comm;
    ASSERT_TRUE(comm.SetSettings("2400,n,8,2"));
    EXPECT_FALSE(comm.SetSettings("2400;n;8;2"));
    EXPECT_EQ(comm.Settings(), "2400,n,8,2");
    EXPECT_FALSE(comm.ErrorText().empty());
}

}  // namespace
}  // namespace cv2
