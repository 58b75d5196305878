// Sending frames: checksum, the way bytes go out per interface kind, CTS flow
// control and the time limits, and every failure ending in 1012.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "tests/link/link_rig.h"

namespace cv2::test {
namespace {

// A 30-element vendor command frame (31 bytes on the line with the checksum).
std::vector<std::int16_t> CommandFrame() {
    std::vector<std::int16_t> f = {0xED, 0x1F, 0x01, 0x49, 0x42, 0x71, 0x03, 0x7F, 0x10, 0x00};
    for (int i = static_cast<int>(f.size()); i < 30; ++i)
        f.push_back(static_cast<std::int16_t>((i * 37) & 0x7F));
    return f;
}

int XorAll(const std::string& bytes) {
    int x = 0;
    for (char c : bytes) x ^= static_cast<std::uint8_t>(c);
    return x;
}

class SendFrameEveryKind : public ::testing::TestWithParam<int> {};

TEST_P(SendFrameEveryKind, SingleOpcodeGetsChecksum7E) {
    LinkRig rig(GetParam());
    rig.OpenQuietly(1);
    const std::array<std::int16_t, 1> frame = {0x81};
    EXPECT_EQ(rig.link.SendFrame(frame, 0), 0);
    EXPECT_EQ(rig.serial.written, Bytes({0x81, 0x7E}));
}

TEST_P(SendFrameEveryKind, CommandFrameXorsToFF) {
    LinkRig rig(GetParam());
    rig.OpenQuietly(1);
    const auto frame = CommandFrame();
    EXPECT_EQ(rig.link.SendFrame(frame, 29), 0);
    ASSERT_EQ(rig.serial.written.size(), 31u);
    EXPECT_EQ(XorAll(rig.serial.written), 0xFF);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(static_cast<std::uint8_t>(rig.serial.written[i]), frame[i]);
}

TEST_P(SendFrameEveryKind, ClosedPortFails) {
    LinkRig rig(GetParam());
    const std::array<std::int16_t, 1> frame = {0x81};
    EXPECT_EQ(rig.link.SendFrame(frame, 0), 1012);
    EXPECT_TRUE(rig.serial.written.empty());
}

TEST_P(SendFrameEveryKind, ElementOutsideByteRangeFailsBeforeSending) {
    for (std::int16_t bad : {std::int16_t{256}, std::int16_t{-1}}) {
        LinkRig rig(GetParam());
        rig.OpenQuietly(1);
        const std::array<std::int16_t, 3> frame = {0xA0, 0x01, bad};
        EXPECT_EQ(rig.link.SendFrame(frame, 2), 1012) << bad;
        EXPECT_TRUE(rig.serial.written.empty()) << bad;
    }
}

TEST_P(SendFrameEveryKind, IndexOutsideTheArrayFails) {
    LinkRig rig(GetParam());
    rig.OpenQuietly(1);
    const std::array<std::int16_t, 2> frame = {0x81, 0x00};
    EXPECT_EQ(rig.link.SendFrame(frame, 2), 1012);
    EXPECT_EQ(rig.link.SendFrame(frame, -1), 1012);
    EXPECT_TRUE(rig.serial.written.empty());
}

TEST_P(SendFrameEveryKind, FailingWriteGives1012) {
    LinkRig rig(GetParam());
    rig.OpenQuietly(1);
    rig.serial.failOutput = true;
    const std::array<std::int16_t, 2> frame = {0xB0, 0x01};
    EXPECT_EQ(rig.link.SendFrame(frame, 1), 1012);
}

TEST_P(SendFrameEveryKind, WaitingInputIsDiscardedUnread) {
    LinkRig rig(GetParam());
    rig.OpenQuietly(1);
    rig.serial.Inject(Bytes({0x81, 0x7E}));
    rig.serial.WaitForInput(0);  // arrived, but no receive event yet
    const std::array<std::int16_t, 1> frame = {0x82};
    EXPECT_EQ(rig.link.SendFrame(frame, 0), 0);
    rig.link.Pause(0.05);
    EXPECT_EQ(rig.link.rx().RxFrames[0][ReceiveAssembler::kMark], 0);
    EXPECT_EQ(rig.link.rx().RxSlot, 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SendFrameEveryKind, ::testing::Values(0, 1, 2));

TEST(SendFrameUsb, WholeFrameInOneWriteWithoutEvents) {
    LinkRig rig(2);
    rig.OpenQuietly(0);
    rig.serial.cts = false;  // no flow control on the USB interface
    const auto frame = CommandFrame();
    const long passes = rig.pump.passes();
    EXPECT_EQ(rig.link.SendFrame(frame, 29), 0);
    ASSERT_EQ(rig.serial.writes.size(), 1u);
    EXPECT_EQ(rig.serial.writes[0].size(), 31u);
    EXPECT_EQ(rig.pump.passes(), passes);
}

TEST(SendFrameSerialInterface, IgnoresCtsAndWritesByteByByte) {
    LinkRig rig(1);
    rig.OpenQuietly(1);
    rig.serial.cts = false;
    const std::array<std::int16_t, 3> frame = {0xB0, 0x12, 0x34};
    EXPECT_EQ(rig.link.SendFrame(frame, 2), 0);
    EXPECT_EQ(rig.serial.writes,
              (std::vector<std::string>{Bytes({0xB0}), Bytes({0x12}), Bytes({0x34}),
                                        Bytes({0xB0 ^ 0x12 ^ 0x34 ^ 0xFF})}));
}

TEST(SendFrameSerialInterface, EchoIsAssembledWhileSending) {
    LinkRig rig(1);
    rig.OpenQuietly(1);
    // The LocoNet echo of every byte comes back 1 ms later.
    rig.serial.onOutput = [&](const std::string& b) {
        rig.serial.InjectAt(rig.clock.Now() + 0.001, b);
    };
    const std::array<std::int16_t, 3> frame = {0xB0, 0x12, 0x34};
    rig.link.rx().RxSlot = 0;
    ASSERT_EQ(rig.link.SendFrame(frame, 2), 0);
    rig.link.Pause(0.01);
    EXPECT_EQ(rig.link.rx().RxSlot, 1);
    EXPECT_EQ(rig.link.rx().RxFrames[0][0], 0xB0);
    EXPECT_EQ(rig.link.rx().RxFrames[0][3], 0xB0 ^ 0x12 ^ 0x34 ^ 0xFF);
    EXPECT_EQ(rig.link.rx().RxFrames[0][ReceiveAssembler::kMark], -1);
}

TEST(SendFrameTandemo, WaitsForCtsBeforeEachByte) {
    LinkRig rig(0);
    rig.OpenQuietly(1);
    // CTS comes back 0.5 s after each byte went out.
    double lastWrite = rig.clock.Now();
    rig.serial.onOutput = [&](const std::string&) { lastWrite = rig.clock.Now(); };
    rig.serial.ctsFn = [&] { return rig.clock.Now() - lastWrite > 0.5; };
    const double start = rig.clock.Now();
    const std::array<std::int16_t, 3> frame = {0xA0, 0x01, 0x02};
    EXPECT_EQ(rig.link.SendFrame(frame, 2), 0);
    EXPECT_EQ(rig.serial.writes.size(), 4u);
    EXPECT_GT(rig.clock.Now() - start, 2.0);
}

TEST(SendFrameTandemo, CtsNeverAssertedFailsAfterThreeSecondsWithNothingSent) {
    LinkRig rig(0);
    rig.OpenQuietly(1);
    rig.serial.cts = false;
    const double start = rig.clock.Now();
    const std::array<std::int16_t, 2> frame = {0xB0, 0x01};
    EXPECT_EQ(rig.link.SendFrame(frame, 1), 1012);
    EXPECT_TRUE(rig.serial.written.empty());
    EXPECT_GT(rig.clock.Now() - start, 3.0);
    EXPECT_LT(rig.clock.Now() - start, 3.1);
}

TEST(SendFrameTandemo, ChecksumWaitsForCtsUpToFiveSeconds) {
    LinkRig rig(0);
    rig.OpenQuietly(1);
    const std::array<std::int16_t, 3> frame = {0xB0, 0x01, 0x02};
    // CTS drops once the last frame byte is out and does not come back.
    rig.serial.ctsFn = [&] { return rig.serial.written.size() < 3; };
    const double start = rig.clock.Now();
    EXPECT_EQ(rig.link.SendFrame(frame, 2), 1012);
    EXPECT_EQ(rig.serial.written, Bytes({0xB0, 0x01, 0x02}));
    EXPECT_GT(rig.clock.Now() - start, 5.0);
    EXPECT_LT(rig.clock.Now() - start, 5.1);
}

TEST(SendFrameTandemo, ChecksumGoesWhenCtsReturnsInTime) {
    LinkRig rig(0);
    rig.OpenQuietly(1);
    const std::array<std::int16_t, 3> frame = {0xB0, 0x01, 0x02};
    const double start = rig.clock.Now();
    rig.serial.ctsFn = [&] {
        return rig.serial.written.size() < 3 || rig.clock.Now() - start > 4.0;
    };
    EXPECT_EQ(rig.link.SendFrame(frame, 2), 0);
    EXPECT_EQ(rig.serial.written, Bytes({0xB0, 0x01, 0x02, 0xB0 ^ 0x01 ^ 0x02 ^ 0xFF}));
}

}  // namespace
}  // namespace cv2::test
