// The line settings text of the serial control.
#include <gtest/gtest.h>

#include "platform/qt/qt_serial_control.h"

namespace cv2 {
namespace {

TEST(LineSettings, ReadsAllFourFieldsAndRefusesMalformedTexts) {
    const auto line = ParseLineSettings("16457,E,7,1.5");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->rate, 16457);
    EXPECT_EQ(line->parity, QSerialPort::EvenParity);
    EXPECT_EQ(line->dataBits, QSerialPort::Data7);
    EXPECT_EQ(line->stopBits, QSerialPort::OneAndHalfStop);
    EXPECT_EQ(ParseLineSettings("19200,n,8,2")->stopBits, QSerialPort::TwoStop);
    for (const char* text :
         {"", "19200", "19200,n,8", "19200,n,8,1,x", "fast,n,8,1", "0,n,8,1", "-9600,n,8,1",
          "9600,x,8,1", "9600,n,9,1", "9600,n,4,1", "9600,n,8,3", "9600,no,8,1"}) {
        EXPECT_FALSE(ParseLineSettings(text)) << text;
    }
}

TEST(LineSettings, RefusedTextLeavesTheSettingsAsTheyWere) {
    QtSerialControl comm;
    ASSERT_TRUE(comm.SetSettings("2400,n,8,2"));
    EXPECT_FALSE(comm.SetSettings("2400;n;8;2"));
    EXPECT_EQ(comm.Settings(), "2400,n,8,2");
    EXPECT_FALSE(comm.ErrorText().empty());
}

}  // namespace
}  // namespace cv2
