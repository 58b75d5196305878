// The line settings text of the serial control, read into its four fields.
#include "platform/line_settings.h"

#include <gtest/gtest.h>

namespace cv2 {
namespace {

TEST(LineSettings, ReadsAllFourFieldsAndRefusesMalformedTexts) {
    const auto line = ParseLineSettings("16457,E,7,1.5");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->rate, 16457);
    EXPECT_EQ(line->parity, Parity::Even);
    EXPECT_EQ(line->dataBits, 7);
    EXPECT_EQ(line->stopBits, StopBits::OneAndHalf);
    EXPECT_EQ(ParseLineSettings("19200,n,8,2")->stopBits, StopBits::Two);
    for (const char* text :
         {"", "19200", "19200,n,8", "19200,n,8,1,x", "fast,n,8,1", "0,n,8,1", "-9600,n,8,1",
          "9600,x,8,1", "9600,n,9,1", "9600,n,4,1", "9600,n,8,3", "9600,no,8,1"}) {
        EXPECT_FALSE(ParseLineSettings(text)) << text;
    }
}

}  // namespace
}  // namespace cv2
