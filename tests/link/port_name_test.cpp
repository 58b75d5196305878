// From the ComPort setting to the port to open and its COM number: every
// setting that stands for COM n opens this system's name for COM n.
#include "link/port_name.h"

#include <gtest/gtest.h>

namespace cv2 {
namespace {

TEST(PortName, DeviceNameAndComNumberOfEverySetting) {
#ifdef _WIN32
    EXPECT_EQ(ComPortDeviceName(2), "COM2");
#else
    EXPECT_EQ(ComPortDeviceName(1), "/dev/ttyS0");
    EXPECT_EQ(ComPortDeviceName(12), "/dev/ttyS11");
#endif
    EXPECT_EQ(PortDeviceName(ComPortSetting::Number(7)), ComPortDeviceName(7));
    EXPECT_EQ(ComPortNumber(ComPortSetting::Number(2)), 2);
    // {typed text, COM number}; 0: no COM port, the text is opened as it stands.
    const std::pair<const char*, long> names[] = {
        {" 12 ", 12},      {"COM4", 4},      {"com2", 2},
        {"/dev/ttyS1", 2}, {"ttyS0", 1},     {"/dev/ttyUSB0", 0},
        {"ttyACM1", 0},    {"COM", 0},       {"COM2x", 0},
        {"COM0", 0},       {"/dev/ttyS", 0}, {"2a", 0},
        {"/dev/pts/3", 0}, {"", 0}};
    for (const auto& [name, com] : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ComPortNumber(ComPortSetting::Text(name)), com);
        EXPECT_EQ(PortDeviceName(ComPortSetting::Text(name)), com ? ComPortDeviceName(com) : name);
    }
}

}  // namespace
}  // namespace cv2
