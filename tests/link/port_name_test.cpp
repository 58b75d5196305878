// From the ComPort setting to the port to open and its COM number.
#include "link/port_name.h"

#include <gtest/gtest.h>

namespace cv2 {
namespace {

TEST(PortName, DeviceNameAndComNumberOfEverySetting) {
#ifndef _WIN32
    EXPECT_EQ(ComPortDeviceName(1), "/dev/ttyS0");
    EXPECT_EQ(ComPortDeviceName(12), "/dev/ttyS11");
#endif
    // Numbers and whole-number texts are COM numbers.
    for (long n : {1L, 7L})
        EXPECT_EQ(PortDeviceName(ComPortSetting::Number(n)), ComPortDeviceName(n));
    EXPECT_EQ(PortDeviceName(ComPortSetting::Text(" 12 ")), ComPortDeviceName(12));
    EXPECT_EQ(ComPortNumber(ComPortSetting::Text(" 12 ")), 12);
    EXPECT_EQ(ComPortNumber(ComPortSetting::Number(2)), 2);
    // Any other text is used as it stands; COM and ttyS names have a COM number.
    const std::pair<const char*, long> names[] = {
        {"COM4", 4},         {"com2", 2},    {"/dev/ttyS1", 2}, {"ttyS0", 1},
        {"/dev/ttyUSB0", 0}, {"ttyACM1", 0}, {"COM", 0},        {"COM2x", 0},
        {"/dev/ttyS", 0},    {"2a", 0},      {"/dev/pts/3", 0}, {"", 0}};
    for (const auto& [name, com] : names) {
        EXPECT_EQ(PortDeviceName(ComPortSetting::Text(name)), name);
        EXPECT_EQ(ComPortNumber(ComPortSetting::Text(name)), com) << name;
    }
}

}  // namespace
}  // namespace cv2
