// The link over the real serial port on a pseudo-terminal pair: frames out,
// the peer's bytes into RxFrames through the receive event (one character or
// all waiting per event), modem lines a pty does not have, and the emulated
// UART divisor; a wait wakes on received characters and leaves no timer behind.
#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <array>
#include <chrono>

#include "link/link.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/qt/qt_clock.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_serial_control.h"
#include "platform/qt/uart_port_io.h"
#include "tests/qt/pty_pair.h"
#include "tests/support/byte_strings.h"

namespace cv2::test {
namespace {

using namespace std::chrono_literals;

constexpr ServiceKeyBytes kKey = {1, 2, 3, 4, 5, 6, 7, 8};

class PtyLink : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.ok()); }

    // Processes events until the condition holds or the seconds have passed.
    template <typename Condition>
    bool RunUntil(Condition done, double seconds) {
        const double end = clock.Now() + seconds;
        while (!done() && clock.Now() < end) pump.WaitForEvents(end - clock.Now());
        return done();
    }

    int argc = 1;
    char name[8] = "test_qt";
    char* argv[1] = {name};
    QCoreApplication app{argc, argv};
    PtyPair pty;
    QtClock clock;
    QtEventPump pump;
    QtSerialControl comm;
    UartPortIo io{comm};
    FakeMessageBoxes boxes;
    Settings settings;
    Link link{comm, io, clock, pump, boxes, settings, kKey};
};

TEST_F(PtyLink, UsbKindSendsAFrameAndAssemblesThePeersBytesOnlyWhileEventsRun) {
    settings.ComPort = ComPortSetting::Text(pty.slaveName());
    ASSERT_EQ(link.OpenLink(), 0) << (boxes.shown.empty() ? "" : boxes.shown[0].text);
    ASSERT_EQ(link.SendFrame(std::array<std::int16_t, 1>{0x81}, 0), 0);
    EXPECT_EQ(pty.Read(2, 2000ms), Bytes({0x81, 0x7E}));

    pty.Write(Bytes({0x81, 0x7E, 0xB4, 0x6D, 0x7F, 0x59}));
    ASSERT_TRUE(comm.WaitForInput(2.0));
    EXPECT_EQ(link.rx().RxSlot, 0);  // no receive event while nobody processes events
    ASSERT_TRUE(RunUntil([&] { return link.rx().RxSlot == 2; }, 2.0));
    EXPECT_EQ(Codes(Bytes({0xB4, 0x6D, 0x7F, 0x59})),
              std::vector<int>(link.rx().RxFrames[1], link.rx().RxFrames[1] + 4));
    EXPECT_EQ(link.rx().RxFrames[1][ReceiveAssembler::kMark], -1);

    comm.SetInputLen(1);  // as the other kinds read: one character per event
    std::string burst;
    for (int i = 0; i < 20; ++i) burst += Bytes({0xA0, i, 0x00, 0x5F ^ i});
    pty.Write(burst);
    EXPECT_TRUE(RunUntil([&] { return link.rx().RxSlot == 22; }, 2.0));
    EXPECT_EQ(link.rx().RxFrames[21][1], 19);
}

TEST_F(PtyLink, AWaitEndsOnTheReceiveEventAndLeavesNoTimerToWakeAnIdleProgram) {
    settings.ComPort = ComPortSetting::Text(pty.slaveName());
    ASSERT_EQ(link.OpenLink(), 0) << (boxes.shown.empty() ? "" : boxes.shown[0].text);
    pty.Write(Bytes({0x81, 0x7E, 0xB4, 0x6D, 0x7F, 0x59}));
    ASSERT_TRUE(comm.WaitForInput(2.0));
    // A limit of an hour: only the characters can end this pass in time.
    pump.WaitForEvents(3600.0);
    EXPECT_EQ(link.rx().RxSlot, 2);
    EXPECT_TRUE(QAbstractEventDispatcher::instance()->registeredTimers(&pump).isEmpty());
}

TEST_F(PtyLink, MissingModemLinesAreAcceptedAndDivisorSevenRunsThePortAt16457) {
    comm.SetCommPort(pty.slaveName());
    ASSERT_TRUE(comm.SetSettings("19200,n,8,1"));
    ASSERT_TRUE(comm.SetPortOpen(true)) << comm.ErrorText();
    // A pty has no modem lines: CTS counts as present, RTS and break as accepted.
    EXPECT_TRUE(comm.CTSHolding());
    EXPECT_TRUE(comm.SetRTSEnable(true)) << comm.ErrorText();
    EXPECT_TRUE(comm.SetBreak(true) && comm.SetBreak(false)) << comm.ErrorText();
    const std::int16_t lcr = io.Inp32(0x2FB);
    io.Out32(0x2FB, static_cast<std::int16_t>(lcr | 0x80));
    io.Out32(0x2F8, 7);
    io.Out32(0x2F9, 0);
    EXPECT_EQ(comm.LineRate(), 19200);  // not before the latch closes
    io.Out32(0x2FB, lcr);
    EXPECT_EQ(comm.LineRate(), 16457);
    EXPECT_EQ(comm.Settings(), "19200,n,8,1");
}

}  // namespace
}  // namespace cv2::test
