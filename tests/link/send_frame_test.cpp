// Sending frames: checksum, the way bytes go out per interface kind, CTS flow
// control and the time limits, and every failure reported as not sent.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/link/link_rig.h"

namespace cv2::test {
namespace {

using Frame = std::vector<std::int16_t>;
const Frame kB0 = {0xB0, 0x01, 0x02};
const std::string kB0OnTheLine = Bytes({0xB0, 0x01, 0x02, 0x4C});  // XOR of all bytes is 0xFF

TEST(SendFrame, EveryKindSendsTheChecksumAndDiscardsWaitingInput) {
    for (int kind : {0, 1, 2}) {
        SCOPED_TRACE(kind);
        LinkRig rig(kind);
        rig.OpenQuietly(1);
        rig.serial.Inject(Bytes({0x81, 0x7E}));
        rig.serial.WaitForInput(0);  // arrived, but no receive event yet
        EXPECT_TRUE(rig.link.SendFrame(Frame{0x81}, 0));
        EXPECT_TRUE(rig.link.SendFrame(kB0, 2));
        EXPECT_EQ(rig.serial.written, Bytes({0x81, 0x7E}) + kB0OnTheLine);
        rig.link.Pause(0.05);
        EXPECT_EQ(rig.link.rx().RxFrames[0][ReceiveAssembler::kMark], 0);
        EXPECT_EQ(rig.link.rx().RxSlot, 0);
    }
}

TEST(SendFrame, FailuresAreReportedWithNothingSent) {
    struct Row {
        Frame frame;
        std::int16_t n;
        bool open, failOutput;
    };
    const Row rows[] = {{{0x81}, 0, false, false},          {{0xA0, 0x01, 256}, 2, true, false},
                        {{0xA0, 0x01, -1}, 2, true, false}, {{0x81, 0x00}, 2, true, false},
                        {{0x81, 0x00}, -1, true, false},    {{0xB0, 0x01}, 1, true, true}};
    for (int kind : {0, 1, 2}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(::testing::Message() << "kind " << kind << " n " << row.n);
            LinkRig rig(kind);
            if (row.open) rig.OpenQuietly(1);
            rig.serial.failOutput = row.failOutput;
            EXPECT_FALSE(rig.link.SendFrame(row.frame, row.n));
            EXPECT_TRUE(rig.serial.written.empty());
        }
    }
}

TEST(SendFrameUsb, WholeFrameInOneWriteWithoutEventsOrCts) {
    LinkRig rig(2);
    rig.OpenQuietly(0);
    rig.serial.cts = false;
    const long passes = rig.pump.passes();
    EXPECT_TRUE(rig.link.SendFrame(kB0, 2));
    EXPECT_EQ(rig.serial.writes, std::vector<std::string>{kB0OnTheLine});
    EXPECT_EQ(rig.pump.passes(), passes);
}

TEST(SendFrameSerialInterface, IgnoresCtsAndWritesByteByByte) {
    LinkRig rig(1);
    rig.OpenQuietly(1);
    rig.serial.cts = false;
    ASSERT_TRUE(rig.link.SendFrame(kB0, 2));
    EXPECT_EQ(rig.serial.writes, (std::vector<std::string>{"\xB0", "\x01", "\x02", "\x4C"}));
}

TEST(SendFrameSerialInterface, MoreThanThreeSecondsOnTheBytesFails) {
    // Every write takes half a second: the byte written at exactly 3.0 s still goes.
    LinkRig rig(1);
    rig.OpenQuietly(1);
    rig.serial.onOutput = [&](const std::string&) { rig.clock.Advance(0.5); };
    EXPECT_FALSE(rig.link.SendFrame(Frame(10, 0x20), 9));
    EXPECT_EQ(rig.serial.writes.size(), 7u);
}

TEST(SendFrameTandemo, WaitsForCtsBeforeEachByte) {
    LinkRig rig(0);
    rig.OpenQuietly(1);
    // CTS comes back 0.5 s after each byte went out.
    double lastWrite = rig.clock.Now();
    rig.serial.onOutput = [&](const std::string&) { lastWrite = rig.clock.Now(); };
    rig.serial.ctsFn = [&] { return rig.clock.Now() - lastWrite > 0.5; };
    const double start = rig.clock.Now();
    EXPECT_TRUE(rig.link.SendFrame(kB0, 2));
    EXPECT_EQ(rig.serial.writes.size(), 4u);
    EXPECT_GT(rig.clock.Now() - start, 2.0);
}

TEST(SendFrameTandemo, CtsNeverAssertedFailsAfterThreeSecondsWithNothingSent) {
    LinkRig rig(0);
    rig.OpenQuietly(1);
    rig.serial.cts = false;
    const double start = rig.clock.Now();
    EXPECT_FALSE(rig.link.SendFrame(kB0, 2));
    EXPECT_TRUE(rig.serial.written.empty());
    EXPECT_GT(rig.clock.Now() - start, 3.0);
    EXPECT_LT(rig.clock.Now() - start, 3.1);
}

TEST(SendFrameTandemo, ChecksumWaitsForCtsUpToFiveSeconds) {
    for (double ctsBack : {4.0, 60.0}) {
        SCOPED_TRACE(ctsBack);
        LinkRig rig(0);
        rig.OpenQuietly(1);
        const double start = rig.clock.Now();
        // CTS drops once the last frame byte is out.
        rig.serial.ctsFn = [&] {
            return rig.serial.written.size() < 3 || rig.clock.Now() - start > ctsBack;
        };
        const bool inTime = ctsBack < 5.0;
        EXPECT_EQ(rig.link.SendFrame(kB0, 2), inTime);
        EXPECT_EQ(rig.serial.written, inTime ? kB0OnTheLine : kB0OnTheLine.substr(0, 3));
        if (!inTime) {
            EXPECT_GT(rig.clock.Now() - start, 5.0);
        }
        EXPECT_LT(rig.clock.Now() - start, 5.1);
    }
}

}  // namespace
}  // namespace cv2::test
