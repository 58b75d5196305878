// When the answers reach the program: LocoNet at 16,666 bit/s, the PC line, scaling.
#include <gtest/gtest.h>

#include "station/sim_options.h"
#include "station/station_wire.h"
#include "tests/station/station_test_util.h"

namespace cv2::station::test {
namespace {

constexpr double kLn = 10.0 / 16666.0;
constexpr double kUsb = 10.0 / 115200.0;
// ReadBlock sent at 115,200 bit/s: 31 bytes to the interface, 31 on LocoNet, the
// station's turnaround, the 31-byte reply on LocoNet and its last byte to the PC.
constexpr double kReadBlockReply = 31 * kUsb + 62 * kLn + kStationTurnaround + kUsb;

TEST(WireTime, EchoAndReplyFollowEachOtherAndQueueOnLocoNet) {
    CommandStation s;
    StationWire wire(s, {});
    const auto d = wire.Write(100.0, ReadBlock(0), kUsb);
    ASSERT_EQ(d.size(), 2u);
    // 31 bytes to the interface, 31 on LocoNet, the last byte back to the PC.
    const double echo = 100.0 + 31 * kUsb + 31 * kLn + kUsb;
    EXPECT_NEAR(d[0].time, echo, 1e-9);
    EXPECT_NEAR(d[1].time, 100.0 + kReadBlockReply, 1e-9);
    // The command itself is the echo: 62 bytes on the bus, about 42 ms a block.
    EXPECT_NEAR(d[1].time - 100.0, 0.042, 0.001);
    // A request sent at once waits for the first reply to leave the bus.
    const auto second = wire.Write(100.0, ReadBlock(16), kUsb);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_GE(second[0].time, d[1].time + 31 * kLn - 1e-9);
}

TEST(WireTime, SpeedsScaleTheWireButKeepTheConfirmationGap) {
    for (auto [speed, scale] :
         {std::pair{Speed{}, 1.0}, {Speed{false, 10.0}, 0.1}, {Speed{true, 1.0}, 0.0}}) {
        CommandStation s;
        StationWire wire(s, speed);
        const auto d = wire.Write(100.0, ReadBlock(0), kUsb);
        ASSERT_EQ(d.size(), 2u);
        EXPECT_NEAR(d[1].time - 100.0, kReadBlockReply * scale, 1e-9);
        EXPECT_TRUE(scale != 0.0 || (d[0].time == 100.0 && d[1].time == 100.0));
        const auto boot = wire.Write(200.0, BootloaderStart(), kUsb);
        ASSERT_EQ(boot.size(), 3u);
        EXPECT_GE(boot[2].time - boot[1].time, kConfirmationMinGap - 1e-9);
    }
}

TEST(WireTime, ByteByByteEachByteComesWhenItIsThroughTheLineTheLastAsTheWholeAnswer) {
    // cv2sim's option, whatever speed follows it.
    const char* argv[] = {"cv2sim", "--byte-paced", "--speed", "wire"};
    SimOptions options;
    std::string error;
    ASSERT_TRUE(ParseSimOptions(4, argv, options, error)) << error;
    CommandStation whole, paced;
    const auto answers = StationWire(whole, {}).Write(100.0, ReadBlock(0), kUsb);
    const auto bytes = StationWire(paced, options.station.speed).Write(100.0, ReadBlock(0), kUsb);
    ASSERT_EQ(bytes.size(), 62u);  // the echo and the reply, 31 bytes each
    for (std::size_t i = 1; i < 62; ++i) {
        EXPECT_EQ(bytes[i].bytes, answers[i / 31].bytes.substr(i % 31, 1)) << i;
        // A LocoNet byte time after the byte before; the reply's first after
        // the station's turnaround too.
        const double gap = kLn + (i == 31 ? kStationTurnaround : 0.0);
        EXPECT_NEAR(bytes[i].time - bytes[i - 1].time, gap, 1e-9) << i;
    }
    EXPECT_EQ(bytes[0].bytes, answers[0].bytes.substr(0, 1));
    EXPECT_NEAR(bytes[30].time, answers[0].time, 1e-9);
    EXPECT_NEAR(bytes[61].time, answers[1].time, 1e-9);
}

}  // namespace
}  // namespace cv2::station::test
