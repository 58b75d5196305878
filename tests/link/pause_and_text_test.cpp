// The waiting helpers: Pause keeps events flowing for more than the given time;
// SendText sends character by character under CTS within five seconds.
#include <gtest/gtest.h>

#include "tests/link/link_rig.h"

namespace cv2::test {
namespace {

TEST(Pause, ReturnsOnlyAfterMoreThanTheGivenTimeAndProcessesEvents) {
    LinkRig rig(2);
    rig.OpenQuietly(0);
    const double start = rig.clock.Now();
    // Bytes due exactly when 0.3 s have passed: the clock stops on that time.
    rig.serial.InjectAt(start + 0.3, Bytes({0x81, 0x7E}));
    rig.link.Pause(0.3);
    EXPECT_GT(rig.clock.Now() - start, 0.3);
    EXPECT_LT(rig.clock.Now() - start, 0.31);
    EXPECT_EQ(rig.link.rx().RxSlot, 1);  // the receive event ran inside the pause
}

TEST(SendText, OneWritePerCharacterAndTheLimitCoversTheWholeText) {
    LinkRig rig(0);
    rig.OpenQuietly(100);
    // CTS comes back 1.5 s after each character: three fit into five seconds, not four.
    const double start = rig.clock.Now();
    double lastWrite = start;
    rig.serial.onOutput = [&](const std::string&) { lastWrite = rig.clock.Now(); };
    rig.serial.ctsFn = [&] { return rig.clock.Now() - lastWrite >= 1.5; };
    EXPECT_EQ(rig.link.SendText("abcdef"), 1);
    EXPECT_GT(rig.clock.Now() - start, 5.0);
    EXPECT_EQ(rig.serial.writes, (std::vector<std::string>{"a", "b", "c"}));
}

}  // namespace
}  // namespace cv2::test
