// The command frame and its reply wait: bit 7 of the data fields moves into the
// high-bit bytes and back, and the wait ends only on exactly two frames.
#include <gtest/gtest.h>

#include <utility>

#include "tests/device/device_rig.h"

namespace cv2::test {
namespace {

void PackAndSend(Device& d, StatusCode& s) {
    d.PackCommand();
    d.SendCommand(s);
}

TEST(DataPacking, Bit7OfAFieldTravelsInItsGroupsHighBitByte) {
    DeviceRig rig;
    CommandBlock& b = rig.device.block();
    b.CmdData[6] = 0xDF;   // group 1, place 2
    b.CmdData[17] = 0x80;  // group 4, place 1
    b.CmdData[19] = -1;    // group 4, place 3: all bits set
    b.CmdSelC = 5;
    EXPECT_EQ(rig.Run(PackAndSend), 13);  // nobody answers; the frame is what counts
    const std::vector<int> wire = Codes(rig.serial.writes.at(0));
    EXPECT_EQ((std::vector<int>{wire[10], wire[13], wire[25], wire[27], wire[29]}),
              (std::vector<int>{0x74, 0x5F, 0x5A, 0x00, 0x7F}));
    // After packing, the fields hold their low 7 bits only.
    EXPECT_EQ((std::vector<int>{b.CmdData[6], b.CmdData[19]}), (std::vector<int>{0x5F, 0x7F}));
}

TEST(DataPacking, EachReplyHighBitRestoresBit7OfItsOwnFieldAndUpperBitsNothing) {
    DeviceRig rig;
    CommandBlock& b = rig.device.block();
    for (int i = 0; i < 20; ++i) b.CmdData[i] = static_cast<std::int16_t>(i * 5);
    // Upper bits only in groups 0, 2 and 4; all four of group 1; place 2 of group 3.
    const std::int16_t high[5] = {0x70, 0x7F, 0x40, 0x24, 0x00};
    std::copy(high, high + 5, b.CmdHigh);
    rig.device.UnpackReply();
    for (int i = 0; i < 20; ++i) {
        const bool set = (i >= 4 && i <= 7) || i == 14;
        EXPECT_EQ(b.CmdData[i], i * 5 + (set ? 0x80 : 0)) << i;
    }
    EXPECT_EQ(b.CmdHigh[2], 0x40);
}

TEST(ReplyWait, AnythingButExactlyTwoFramesTimesOutWith13AfterMoreThanTwoSeconds) {
    // {what the line does, frames counted at the end}
    const std::pair<void (*)(DeviceRig&), int> rows[] = {
        {[](DeviceRig&) {}, 1},                                 // the echo alone
        {[](DeviceRig& r) { r.serial.failOutput = true; }, 0},  // nothing went out
        // No echo: the answer lands in slot 0 and stays alone.
        {[](DeviceRig& r) {
             r.echo = false;
             r.replies = {LongAck(0x7F)};
         },
         1},
        // Three frames in one burst: the count passes 2 unseen.
        {[](DeviceRig& r) {
             r.serial.onOutput = [&r](const std::string& frame) {
                 r.serial.InjectAt(r.clock.Now() + 0.01, frame + LongAck(0x7F) + LongAck(0x7F));
             };
         },
         3},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        DeviceRig rig;
        rows[i].first(rig);
        const double start = rig.clock.Now();
        StatusCode status = -1;
        PackAndSend(rig.device, status);
        EXPECT_EQ(status, 13);
        EXPECT_GT(rig.clock.Now() - start, 2.0);
        EXPECT_LT(rig.clock.Now() - start, 2.02);
        EXPECT_EQ(rig.link.rx().RxSlot, rows[i].second);
    }
}

TEST(ReplyWait, EndsAsTheAnswerCompletesNotAtALaterWakeUp) {
    DeviceRig rig;
    const double start = rig.clock.Now();
    EXPECT_EQ(rig.Run(PackAndSend, {LongAck(0x7F)}), 0);
    EXPECT_NEAR(rig.clock.Now() - start, 0.030, 1e-9);  // the rig answers after 30 ms
}

TEST(ReplyWait, FramesOfAPassThatOverranTheLimitStillCount) {
    // The count is tested before the clock: both frames come in the first pass,
    // which ends 2.5 s after the wait began.
    DeviceRig rig;
    rig.serial.onOutput = nullptr;
    bool first = true;
    rig.pump.onPass = [&] {
        if (!std::exchange(first, false)) return;
        for (char c : LongAck(0x7F) + LongAck(0x7F))
            rig.link.rx().Step(static_cast<std::uint8_t>(c));
        rig.clock.Advance(2.5);
    };
    EXPECT_EQ(rig.Run(PackAndSend), 0);
    EXPECT_FALSE(first);
}

TEST(ReplyWait, AFrameHalfReceivedBeforeSendingCompletesAsTheFirst) {
    DeviceRig rig;
    // Two bytes of a long acknowledge arrive before the command goes out.
    rig.serial.Inject(Bytes({0xB4, 0x6D}));
    rig.pump.ProcessEvents();
    ASSERT_TRUE(rig.link.rx().RxInFrame);
    // Its rest arrives first, then the echo.
    rig.serial.onOutput = [&](const std::string& frame) {
        rig.serial.InjectAt(rig.clock.Now() + 0.001, Bytes({0x7F, 0x59}));
        rig.serial.InjectAt(rig.clock.Now() + 0.002, frame);
    };
    EXPECT_EQ(rig.Run(PackAndSend), 0);
    EXPECT_EQ(rig.link.rx().RxFrames[0][0], 0xB4);
    EXPECT_EQ(rig.link.rx().RxFrames[1][0], 0xED);
}

}  // namespace
}  // namespace cv2::test
