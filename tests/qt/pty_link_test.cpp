// The link over the real serial port on a pseudo-terminal pair: frames out,
// the peer's bytes into RxFrames through the receive event, the unit's text
// dialogue, modem lines a pty does not have, and the emulated UART divisor.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

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
        while (!done() && clock.Now() < end) pump.ProcessEvents();
        return done();
    }
    std::string BoxTexts() const {
        std::string all;
        for (const auto& b : boxes.shown) all += b.text + "\n";
        return all;
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

TEST_F(PtyLink, UsbKindSendsAFrameAndAssemblesThePeersBytes) {
    settings.ComPort = ComPortSetting::Text(pty.slaveName());
    ASSERT_EQ(link.OpenLink(), 0) << BoxTexts();

    const std::array<std::int16_t, 1> frame = {0x81};
    ASSERT_EQ(link.SendFrame(frame, 0), 0);
    EXPECT_EQ(pty.Read(2, 2000ms), Bytes({0x81, 0x7E}));

    link.rx().RxSlot = 0;
    pty.Write(Bytes({0x81, 0x7E, 0xB4, 0x6D, 0x7F, 0x59}));
    ASSERT_TRUE(RunUntil([&] { return link.rx().RxSlot == 2; }, 2.0));
    const auto& f = link.rx().RxFrames;
    EXPECT_EQ(f[1][0], 0xB4);
    EXPECT_EQ(f[1][3], 0x59);
    EXPECT_EQ(f[1][ReceiveAssembler::kMark], -1);
}

TEST_F(PtyLink, OneCharacterPerEventStillTakesAWholeBurst) {
    settings.ComPort = ComPortSetting::Text(pty.slaveName());
    ASSERT_EQ(link.OpenLink(), 0) << BoxTexts();
    comm.SetInputLen(1);
    std::string burst;
    for (int i = 0; i < 20; ++i) burst += Bytes({0xA0, i, 0x00, 0x5F ^ i});
    pty.Write(burst);
    EXPECT_TRUE(RunUntil([&] { return link.rx().RxSlot == 20; }, 2.0));
    EXPECT_EQ(link.rx().RxFrames[19][1], 19);
}

TEST_F(PtyLink, WaitingForInputRaisesNoReceiveEventUntilEventsRun) {
    settings.ComPort = ComPortSetting::Text(pty.slaveName());
    ASSERT_EQ(link.OpenLink(), 0) << BoxTexts();
    pty.Write(Bytes({0x81, 0x7E}));
    ASSERT_TRUE(comm.WaitForInput(2.0));
    EXPECT_EQ(link.rx().RxSlot, 0);
    EXPECT_TRUE(RunUntil([&] { return link.rx().RxSlot == 1; }, 1.0));
}

TEST_F(PtyLink, MissingModemLinesCountAsCtsAndAcceptRts) {
    comm.SetCommPort(pty.slaveName());
    ASSERT_TRUE(comm.SetSettings("19200,n,8,1"));
    ASSERT_TRUE(comm.SetPortOpen(true)) << comm.ErrorText();
    EXPECT_TRUE(comm.CTSHolding());
    EXPECT_TRUE(comm.SetRTSEnable(true)) << comm.ErrorText();
    EXPECT_TRUE(comm.SetBreak(true)) << comm.ErrorText();
    EXPECT_TRUE(comm.SetBreak(false)) << comm.ErrorText();
}

TEST_F(PtyLink, DivisorSevenRunsThePortAt16457) {
    comm.SetCommPort(pty.slaveName());
    ASSERT_TRUE(comm.SetSettings("19200,n,8,1"));
    ASSERT_TRUE(comm.SetPortOpen(true)) << comm.ErrorText();
    const std::int16_t lcr = io.Inp32(0x2FB);
    io.Out32(0x2FB, static_cast<std::int16_t>(lcr | 0x80));
    io.Out32(0x2F8, 7);
    io.Out32(0x2F9, 0);
    EXPECT_EQ(comm.LineRate(), 19200);  // not before the latch closes
    io.Out32(0x2FB, lcr);
    EXPECT_EQ(comm.LineRate(), 16457);
    EXPECT_EQ(comm.Settings(), "19200,n,8,1");
}

TEST_F(PtyLink, PortThatDoesNotExistIsReportedWithItsName) {
    settings.ComPort = ComPortSetting::Text("/dev/ttyNoSuchPort7");
    EXPECT_EQ(link.OpenLink(), 1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("/dev/ttyNoSuchPort7 kann nicht geöffnet werden: "),
              std::string::npos)
        << boxes.shown[0].text;
}

// The Tandemo/Centrova unit, played by a thread on the master side: it answers
// every command text with a prompt, while the program waits without events.
TEST_F(PtyLink, TandemoDialogueThenFramesUnderCts) {
    settings.ComPort = ComPortSetting::Text(pty.slaveName());
    settings.LocoNetIfFlag = false;
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::string heard;
    std::thread unit([&] {
        std::string line;
        while (!stop) {
            const std::string got = pty.Read(1, 20ms);
            if (got.empty()) continue;
            std::lock_guard lock(mutex);
            heard += got;
            line += got;
            if (line.find('\r') != std::string::npos) {
                line.clear();
                pty.Write("OK ]");
            }
        }
    });
    const std::int16_t status = link.OpenLink();
    const std::array<std::int16_t, 3> frame = {0xB0, 0x01, 0x02};
    const std::int16_t sent = status == 0 ? link.SendFrame(frame, 2) : -1;
    link.Pause(0.1);
    stop = true;
    unit.join();
    EXPECT_EQ(status, 0) << BoxTexts();
    EXPECT_EQ(sent, 0);
    EXPECT_EQ(heard, "xB19200\rx&LN$3C96\r" + Bytes({0xB0, 0x01, 0x02, 0xB0 ^ 0x01 ^ 0x02 ^ 0xFF}));
    EXPECT_EQ(comm.Settings(), "19200,n,8,2");
    // The prompts went past the receive handler.
    EXPECT_EQ(link.rx().RxFrames[0][0], 0);
}

}  // namespace
}  // namespace cv2::test
