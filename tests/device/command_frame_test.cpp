// The command frame on the wire and the reply wait: bit 7 of the data fields
// moves into the high-bit bytes, and the wait ends only on exactly two frames.
#include <gtest/gtest.h>

#include "tests/device/device_rig.h"

namespace cv2::test {
namespace {

// Packs and sends the field block as it stands; returns the status.
StatusCode PackAndSend(DeviceRig& rig) {
    StatusCode status = -1;
    rig.device.PackCommand();
    rig.device.SendCommand(status);
    return status;
}

TEST(CommandFrame, AllFieldsZeroGiveTheFixedFrameWithChecksum0D) {
    DeviceRig rig;
    rig.replies = {LongAck(0x7F)};
    EXPECT_EQ(PackAndSend(rig), 0);
    ASSERT_EQ(rig.serial.writes.size(), 1u);
    EXPECT_EQ(Codes(rig.serial.writes[0]),
              Codes(Bytes({0xED, 0x1F, 0x08, 0x5A, 0x52, 0x70, 0x00, 0x00, 0x00, 0x00, 0x70,
                           0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                           0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0D})));
}

TEST(CommandFrame, Bit7OfAFieldTravelsInItsGroupsHighBitByte) {
    DeviceRig rig;
    CommandBlock& b = rig.device.block();
    b.CmdData[6] = 0xDF;   // group 1, place 2
    b.CmdData[17] = 0x80;  // group 4, place 1
    b.CmdData[19] = -1;    // group 4, place 3: all bits set
    b.CmdSelC = 5;
    EXPECT_EQ(PackAndSend(rig), 13);  // nobody answers; the frame is what counts
    const std::vector<int> wire = Codes(rig.serial.writes.at(0));
    EXPECT_EQ(wire[10], 0x74);
    EXPECT_EQ(wire[13], 0x5F);
    EXPECT_EQ(wire[25], 0x5A);
    EXPECT_EQ(wire[27], 0x00);
    EXPECT_EQ(wire[29], 0x7F);
    // After packing, the fields hold their low 7 bits only.
    EXPECT_EQ(b.CmdData[6], 0x5F);
    EXPECT_EQ(b.CmdData[19], 0x7F);
}

TEST(ReplyWait, NoAnswerTimesOutWith13AfterMoreThanTwoSeconds) {
    DeviceRig rig;
    const double start = rig.clock.Now();
    EXPECT_EQ(PackAndSend(rig), 13);
    EXPECT_GT(rig.clock.Now() - start, 2.0);
    EXPECT_LT(rig.clock.Now() - start, 2.02);
    EXPECT_EQ(rig.link.rx().RxSlot, 1);  // the echo alone
}

TEST(ReplyWait, ElapsedTimeEqualToTheLimitDoesNotEndTheWait) {
    // The clock moves in exact half seconds; the frames arrive in the pass that
    // starts with 2.0 s elapsed, and are seen at 2.5 s.
    DeviceRig rig(0.5);
    rig.serial.onOutput = nullptr;
    const double start = rig.clock.Now();
    rig.pump.onPass = [&] {
        if (rig.clock.Now() - start == 2.0) {
            for (char c : LongAck(0x7F) + LongAck(0x7F))
                rig.link.rx().Step(static_cast<std::uint8_t>(c));
        }
    };
    EXPECT_EQ(PackAndSend(rig), 0);
    EXPECT_EQ(rig.clock.Now() - start, 2.5);
}

TEST(ReplyWait, FrameCountIsTestedBeforeTheClock) {
    // One pass jumps past the limit and brings both frames: they still count.
    DeviceRig rig(2.5);
    rig.serial.onOutput = nullptr;
    rig.pump.onPass = [&] {
        for (char c : LongAck(0x7F) + LongAck(0x7F))
            rig.link.rx().Step(static_cast<std::uint8_t>(c));
    };
    EXPECT_EQ(PackAndSend(rig), 0);
}

TEST(ReplyWait, ThreeFramesInOneBurstAreNeverSeenAsTwo) {
    DeviceRig rig;
    rig.serial.onOutput = [&](const std::string& frame) {
        rig.serial.InjectAt(rig.clock.Now() + 0.01, frame + LongAck(0x7F) + LongAck(0x7F));
    };
    const double start = rig.clock.Now();
    EXPECT_EQ(PackAndSend(rig), 13);
    EXPECT_EQ(rig.link.rx().RxSlot, 3);
    EXPECT_GT(rig.clock.Now() - start, 2.0);
}

TEST(ReplyWait, WithoutEchoTheAnswerAloneTimesOut) {
    DeviceRig rig;
    rig.echo = false;
    rig.replies = {LongAck(0x7F)};
    EXPECT_EQ(PackAndSend(rig), 13);
    EXPECT_EQ(rig.Slot(0)[0], 0xB4);
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
    EXPECT_EQ(PackAndSend(rig), 0);
    EXPECT_EQ(rig.Slot(0)[0], 0xB4);
    EXPECT_EQ(rig.Slot(1)[0], 0xED);
}

TEST(ReplyWait, SendFailureWithoutFramesBecomesATimeOut) {
    DeviceRig rig;
    rig.serial.failOutput = true;
    const double start = rig.clock.Now();
    EXPECT_EQ(PackAndSend(rig), 13);
    EXPECT_GT(rig.clock.Now() - start, 2.0);
}

}  // namespace
}  // namespace cv2::test
