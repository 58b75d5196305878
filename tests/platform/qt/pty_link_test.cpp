// The link over the real serial port on a pseudo-terminal pair: frames out,
// the peer's bytes into RxFrames through the receive event (one character or
// all waiting per event), modem lines a pty does not have, and the emulated
// UART divisor; a wait wakes on received characters and leaves no timer
// behind; a frame fed byte by byte is read about twice once its pace is
// known, and half a frame does not keep the reply wait past its limit.
#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <array>
#include <chrono>
#include <thread>

#include "device/device.h"
#include "link/link.h"
#include "platform/qt/qt_clock.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_serial_control.h"
#include "platform/uart_port_io.h"
#include "tests/link/link_rig.h"
#include "tests/platform/qt/pty_pair.h"

namespace cv2::test {
namespace {

using namespace std::chrono_literals;

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

    // The peer writes the bytes from a thread of its own, one every 4 ms from
    // `after` seconds on, each at its own time.
    std::thread FeedSlowly(const std::string& bytes, double after) {
        return std::thread([this, bytes, after] {
            const auto start = std::chrono::steady_clock::now();
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                const std::chrono::duration<double> at(after + 0.004 * static_cast<double>(i));
                std::this_thread::sleep_until(
                    start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(at));
                pty.Write(bytes.substr(i, 1));
            }
        });
    }

    // The frame fed slowly while a wait as the reply wait runs until it is
    // complete; the reads of the port (receive events) it took.
    int TakeSlowFrame(int fill) {
        // The handler outlives this call: it counts into the fixture.
        reads_ = 0;
        comm.SetOnComm([this](int event) {
            ++reads_;
            link.Comm1_OnComm(event);
        });
        std::thread peer = FeedSlowly(Frame31(fill), 0.01);
        link.rx().RxSlot = 0;
        const double start = clock.Now();
        while (link.rx().RxSlot != 1 && clock.Now() - start < 2.0) {
            link.events().WaitPass(clock, start, 2.0);
        }
        peer.join();
        EXPECT_LT(clock.Now() - start, 1.0);  // taken as it completes, not at the limit
        EXPECT_EQ(Codes(Frame31(fill)),
                  std::vector<int>(link.rx().RxFrames[0], link.rx().RxFrames[0] + 31));
        return reads_;
    }
    int reads_ = 0;

    int argc = 1;
    char name[8] = "test_qt";
    char* argv[1] = {name};
    QCoreApplication app{argc, argv};
    PtyPair pty;
    QtClock clock;
    QtEventPump pump;
    QtSerialControl comm;
    UartPortIo io{comm.DivisorRateSink()};
    FakeMessageBoxes boxes;
    Settings settings;
    Link link{comm, io, clock, pump};
};

TEST_F(PtyLink, UsbKindSendsAFrameAndAssemblesThePeersBytesOnlyWhileEventsRun) {
    settings.ComPort = ComPortSetting::Text(pty.slaveName());
    ASSERT_EQ(link.OpenLink(LinkConfigOf(settings)), 0)
        << (boxes.shown.empty() ? "" : boxes.shown[0].text);
    ASSERT_TRUE(link.SendFrame(std::array<std::int16_t, 1>{0x81}, 0));
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
    ASSERT_EQ(link.OpenLink(LinkConfigOf(settings)), 0)
        << (boxes.shown.empty() ? "" : boxes.shown[0].text);
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

TEST_F(PtyLink, AFrameFedByteByByteIsReadTwiceOnceItsPaceIsKnown) {
    settings.ComPort = ComPortSetting::Text(pty.slaveName());
    ASSERT_EQ(link.OpenLink(LinkConfigOf(settings)), 0) << link.failureText();
    EXPECT_GE(TakeSlowFrame(1), 20);  // the first teaches the pace: a read per byte
    // Then its first bytes and the hold's end: two reads a frame. A byte late
    // on a busy machine costs one or two more; a read per byte would be 93.
    EXPECT_LE(TakeSlowFrame(2) + TakeSlowFrame(3) + TakeSlowFrame(4), 12);
}

TEST_F(PtyLink, HalfAFrameAndThenSilenceEndsTheReplyWaitAtItsLimit) {
    settings.ComPort = ComPortSetting::Text(pty.slaveName());
    ASSERT_EQ(link.OpenLink(LinkConfigOf(settings)), 0) << link.failureText();
    TakeSlowFrame(1);
    // Ten bytes from 1.9 s into the wait on: the rest would be due after its
    // limit, so the port holds them across it.
    std::thread peer = FeedSlowly(Frame31(2).substr(0, 10), 1.9);
    Device device(link, kBuiltInKeys);
    StatusCode status = 0;
    const double start = clock.Now();
    device.SendCommand(status, AnswerShape::Command, Repeat::Never);
    const double took = clock.Now() - start;
    peer.join();
    EXPECT_EQ(status, 13);
    EXPECT_GT(took, 2.0);
    EXPECT_LT(took, 2.5);
    EXPECT_EQ(link.rx().RxPos, 10);
    EXPECT_LE(TakeSlowFrame(3), 3);  // and the port still holds
}

}  // namespace
}  // namespace cv2::test
