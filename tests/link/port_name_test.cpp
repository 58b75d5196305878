// From the ComPort setting to the port to open and its COM number.
#include "link/port_name.h"

#include <gtest/gtest.h>

namespace cv2 {
namespace {

TEST(PortName, NumbersAndNumericTextsAreComPorts) {
#ifdef _WIN32
    EXPECT_EQ(PortDeviceName(ComPortSetting::Number(1)), "COM1");
    EXPECT_EQ(PortDeviceName(ComPortSetting::Text(" 12 ")), "COM12");
#else
    EXPECT_EQ(PortDeviceName(ComPortSetting::Number(1)), "/dev/ttyS0");
    EXPECT_EQ(PortDeviceName(ComPortSetting::Number(7)), "/dev/ttyS6");
    EXPECT_EQ(PortDeviceName(ComPortSetting::Text(" 12 ")), "/dev/ttyS11");
#endif
}

TEST(PortName, NamesAreUsedAsTheyStand) {
    for (const char* name : {"/dev/ttyUSB0", "ttyACM0", "COM4", "/dev/pts/3"}) {
        EXPECT_EQ(PortDeviceName(ComPortSetting::Text(name)), name);
    }
}

TEST(PortName, ComNumberOfDeviceNames) {
    EXPECT_EQ(ComPortNumber(ComPortSetting::Number(2)), 2);
    EXPECT_EQ(ComPortNumber(ComPortSetting::Text("2")), 2);
    EXPECT_EQ(ComPortNumber(ComPortSetting::Text("COM1")), 1);
    EXPECT_EQ(ComPortNumber(ComPortSetting::Text("com2")), 2);
    EXPECT_EQ(ComPortNumber(ComPortSetting::Text("/dev/ttyS1")), 2);
    EXPECT_EQ(ComPortNumber(ComPortSetting::Text("ttyS0")), 1);
}

TEST(PortName, OtherNamesHaveNoComNumber) {
    for (const char* name : {"/dev/ttyUSB0", "ttyACM1", "COM", "COM2x", "/dev/ttyS", "", "2a"}) {
        EXPECT_EQ(ComPortNumber(ComPortSetting::Text(name)), 0) << name;
    }
}

}  // namespace
}  // namespace cv2
