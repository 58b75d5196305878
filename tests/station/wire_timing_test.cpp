// When the answers reach the program: LocoNet at 16,666 bit/s, the PC line, scaling.
#include <gtest/gtest.h>

#include "station/station_wire.h"
#include "tests/station/station_test_util.h"

namespace cv2::station::test {
namespace {

constexpr double kLn = 10.0 / 16666.0;
constexpr double kUsb = 10.0 / 115200.0;

std::vector<Delivery> Send(CommandStation& s, Speed speed, const Bytes& frame, double now = 100.0,
                           double pcByte = kUsb) {
    StationWire wire(s, speed);
    return wire.Write(now, frame, pcByte);
}

TEST(WireTime, LineSettingsGiveTheByteTime) {
    EXPECT_DOUBLE_EQ(ByteTimeFromSettings("115200,n,8,1"), 10.0 / 115200);
    EXPECT_DOUBLE_EQ(ByteTimeFromSettings("2400,n,8,2"), 11.0 / 2400);
    EXPECT_DOUBLE_EQ(ByteTimeFromSettings("19200,e,8,1"), 11.0 / 19200);
    EXPECT_DOUBLE_EQ(ByteTimeFromSettings("fast,n,8,1"), 10.0 / 115200);
}

TEST(WireTime, EchoAndReplyFollowEachOtherOnLocoNet) {
    CommandStation s;
    const auto d = Send(s, {}, ReadBlock(0));
    ASSERT_EQ(d.size(), 2u);
    // 31 bytes to the interface, 31 on LocoNet, the last byte back to the PC.
    const double echo = 100.0 + 31 * kUsb + 31 * kLn + kUsb;
    EXPECT_NEAR(d[0].time, echo, 1e-9);
    const double reply = echo - kUsb + kStationTurnaround + 31 * kLn + kUsb;
    EXPECT_NEAR(d[1].time, reply, 1e-9);
    // The command itself is the echo: 62 bytes on the bus, about 42 ms a block.
    EXPECT_NEAR(d[1].time - 100.0, 0.042, 0.001);
}

TEST(WireTime, ByteWiseWritesCompleteTheFrameWithTheLastByte) {
    CommandStation s;
    StationWire wire(s, {});
    const Bytes frame = DataFlashRead(7000);
    for (std::size_t i = 0; i + 1 < frame.size(); ++i)
        EXPECT_TRUE(wire.Write(100.0 + 0.001 * i, frame.substr(i, 1), kUsb).empty());
    const auto d = wire.Write(100.1, frame.substr(frame.size() - 1), kUsb);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_NEAR(d[0].time, 100.1 + kUsb + 31 * kLn + kUsb, 1e-9);
}

TEST(WireTime, TheConfirmationComesAMomentAfterTheAcknowledge) {
    for (Speed speed : {Speed{}, Speed{true, 1.0}, Speed{false, 1000.0}}) {
        CommandStation s;
        const auto d = Send(s, speed, BootloaderStart());
        ASSERT_EQ(d.size(), 3u);
        EXPECT_GE(d[2].time - d[1].time, kConfirmationMinGap - 1e-9);
    }
}

TEST(WireTime, InstantDeliversAtOnceAndAFactorScales) {
    CommandStation a, b;
    const auto instant = Send(a, {true, 1.0}, ReadBlock(0));
    ASSERT_EQ(instant.size(), 2u);
    EXPECT_EQ(instant[0].time, 100.0);
    EXPECT_EQ(instant[1].time, 100.0);
    const auto wire = Send(b, {}, ReadBlock(0));
    CommandStation c;
    const auto fast = Send(c, {false, 10.0}, ReadBlock(0));
    EXPECT_NEAR(fast[1].time - 100.0, (wire[1].time - 100.0) / 10, 1e-9);
}

TEST(WireTime, BackToBackRequestsQueueOnTheBus) {
    CommandStation s;
    StationWire wire(s, {});
    const auto first = wire.Write(0.0, ReadBlock(0), kUsb);
    const auto second = wire.Write(0.0, ReadBlock(16), kUsb);
    ASSERT_EQ(second.size(), 2u);
    // The second echo waits for the first reply to leave the bus.
    EXPECT_GE(second[0].time, first[1].time + 31 * kLn - 1e-9);
}

}  // namespace
}  // namespace cv2::station::test
