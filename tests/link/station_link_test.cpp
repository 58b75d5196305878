// The link against the simulated station for every interface kind: set-up
// (the text dialogue included) and a frame whose echo lands in slot 0.
#include <gtest/gtest.h>

#include <array>

#include "station/simulated_station.h"
#include "tests/link/link_rig.h"

namespace cv2::test {
namespace {

class LinkWithStation : public ::testing::TestWithParam<int> {};

TEST_P(LinkWithStation, SetsUpAndGetsTheEchoBack) {
    LinkRig rig(GetParam());
    rig.settings.ComPort = ComPortSetting::Number(GetParam() == 1 ? 2 : 5);
    rig.settings.BaudRate = 16666;
    station::SimulatedStation station(rig.clock, rig.serial);
    ASSERT_EQ(rig.link.OpenLink(), 0);

    const std::array<std::int16_t, 4> frame = {0xBB, 0x01, 0x00, 0x00};
    rig.link.rx().RxSlot = 0;
    ASSERT_EQ(rig.link.SendFrame(frame, 3), 0);
    rig.link.Pause(0.5);
    ASSERT_GE(rig.link.rx().RxSlot, 1);
    EXPECT_EQ(rig.link.rx().RxFrames[0][ReceiveAssembler::kMark], -1);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(rig.link.rx().RxFrames[0][i], frame[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(Kinds, LinkWithStation, ::testing::Values(0, 1, 2));

}  // namespace
}  // namespace cv2::test
