// The Win32 platform layers where no station is needed: a port that is not
// there, the event loop's sleep and wake-up, and the port list. The exchange
// with a station through a COM port is scripts/windows-e2e.sh.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/port_list.h"
#include "platform/port_reasons.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_serial_control.h"

namespace cv2 {
namespace {

TEST(Win32Port, AMissingPortStaysClosedAndSaysSo) {
    EXPECT_EQ(Win32DevicePath("COM12"), L"\\\\.\\COM12");  // COM10 and up need the prefix
    EXPECT_EQ(Win32DevicePath("\\\\.\\COM3"), L"\\\\.\\COM3");
    Win32SerialControl comm;
    comm.SetCommPort("COM199");
    ASSERT_TRUE(comm.SetSettings("115200,n,8,1"));
    EXPECT_FALSE(comm.SetPortOpen(true));
    EXPECT_EQ(comm.ErrorText(), kNoSuchDevice);
    EXPECT_FALSE(comm.PortOpen());
    EXPECT_FALSE(comm.Output("x"));
    EXPECT_EQ(comm.ErrorText(), kPortClosed);
    EXPECT_FALSE(comm.WaitForInput(0.01));
    EXPECT_FALSE(comm.HoldInput(0.01));
    EXPECT_EQ(comm.WakeEvent(), nullptr);
}

TEST(Win32EventPump, AWaitSleepsToItsLimitAndAWindowMessageWakesItEarly) {
    Win32Clock clock;
    Win32SerialControl comm;
    Win32EventPump pump(comm);

    double start = clock.Now();
    pump.WaitForEvents(0.05);
    EXPECT_GE(clock.Now() - start, 0.045);

    // A thread timer posts its message after 20 ms, long before the limit.
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, nullptr);
    start = clock.Now();
    pump.WaitForEvents(5.0);
    const double woke = clock.Now() - start;
    KillTimer(nullptr, timer);
    EXPECT_LT(woke, 1.0);
}

TEST(Win32PortList, EveryComPortIsListedOnceThoughTwoSourcesNameIt) {
    // Wine's prefix has COM1 both as a driver's port and as a DOS device name.
    const auto ports = AvailablePorts();
    ASSERT_FALSE(ports.empty());
    for (const PortEntry& port : ports) {
        EXPECT_EQ(std::count_if(ports.begin(), ports.end(),
                                [&](const PortEntry& p) { return p.path == port.path; }),
                  1)
            << port.path;
    }
    EXPECT_EQ(std::count_if(ports.begin(), ports.end(),
                            [](const PortEntry& p) { return p.path == "COM1"; }),
              1);
}

}  // namespace
}  // namespace cv2
