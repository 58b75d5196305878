// The command frame and its reply wait: bit 7 of the data fields moves into the
// high-bit bytes and back; the wait ends on the answer, however many other
// frames come, and a lost answer is asked for once more.
#include <gtest/gtest.h>

#include <deque>
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

TEST(ReplyWait, EndsOnTheAnswerWhateverElseComesAndHowTheFramesAreSplit) {
    // What the line brings after the request, 30 ms later, in one piece.
    const std::pair<const char*, std::string (*)(const std::string&)> rows[] = {
        {"echo and answer", [](const std::string& f) { return f + LongAck(0x7F); }},
        {"no echo", [](const std::string&) { return LongAck(0x7F); }},
        // Three frames in one read: a third one does not hide the answer.
        {"a burst", [](const std::string& f) { return f + LongAck(0x7F) + LongAck(0x7F); }},
        {"others around it",
         [](const std::string& f) {
             const std::string s = Bytes({0xB2, 0x0D, 0x0A, 0x4A});
             return s + f + s + Bytes({0x83, 0x7C}) + LongAck(0x7F) + s;
         }},
    };
    for (const auto& [name, line] : rows) {
        SCOPED_TRACE(name);
        DeviceRig rig;
        rig.serial.onOutput = [&rig, line = line](const std::string& frame) {
            rig.serial.InjectAt(rig.clock.Now() + 0.03, line(frame));
        };
        const double start = rig.clock.Now();
        EXPECT_EQ(rig.Run(PackAndSend), 0);
        EXPECT_NEAR(rig.clock.Now() - start, 0.03, 1e-9);
        EXPECT_EQ(rig.device.frames().answer()[2], 0x7F);
        EXPECT_EQ(rig.serial.writes.size(), 1u);
    }
}

TEST(ReplyWait, OtherFramesNeitherEndNorExtendTheWait) {
    DeviceRig rig;
    rig.serial.onOutput = [&rig](const std::string& frame) {
        rig.serial.InjectAt(rig.clock.Now() + 0.002, frame);
        for (double t = 0.1; t < 2.5; t += 0.1)
            rig.serial.InjectAt(rig.clock.Now() + t, Bytes({0xB2, 0x0D, 0x0A, 0x4A}));
    };
    const double start = rig.clock.Now();
    EXPECT_EQ(rig.Run([](Device& d, StatusCode& s) {
        d.PackCommand();
        d.SendCommand(s, AnswerShape::Command, Repeat::Never);
    }),
              13);
    EXPECT_GT(rig.clock.Now() - start, 2.0);
    EXPECT_LT(rig.clock.Now() - start, 2.02);
    EXPECT_GE(rig.device.frames().tally().foreignFrames, 19);
}

TEST(ReplyWait, ALostAnswerIsAskedForOnceMoreAfterTheLineFellQuiet) {
    // {script, status, requests sent, repeats, seconds from, to}
    struct Row {
        std::deque<std::string> script;
        StatusCode status;
        std::size_t sent;
        int repeats;
        double from, to;
    };
    const Row rows[] = {
        {{"", LongAck(0x7F)}, 0, 2, 1, 2.0 + kDrainQuiet, 2.2 + 2 * kDrainQuiet},
        {{"", ""}, 13, 2, 1, 4.0 + kDrainQuiet, 4.2},
        {{LongAck(0x00)}, 0, 1, 0, 0.0, 0.1},  // a refusal is an answer
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.sent);
        DeviceRig rig;
        const double start = rig.clock.Now();
        EXPECT_EQ(rig.Run(PackAndSend, row.script), row.status);
        EXPECT_EQ(rig.serial.writes.size(), row.sent);
        if (row.sent == 2) {
            EXPECT_EQ(rig.serial.writes[0], rig.serial.writes[1]);
        }
        EXPECT_EQ(rig.device.frames().tally().repeats, row.repeats);
        EXPECT_GE(rig.clock.Now() - start, row.from);
        EXPECT_LE(rig.clock.Now() - start, row.to);
    }
}

TEST(ReplyWait, ALateAnswerIsThrownAwayNotTakenForTheRepeatsOrTheNext) {
    // The first answer comes 2.05 s late, just after the wait gave up; the
    // repeat's answer, and the next request's, must each be their own.
    DeviceRig rig;
    int requests = 0;
    rig.serial.onOutput = [&](const std::string& frame) {
        const double now = rig.clock.Now();
        rig.serial.InjectAt(now + 0.002, frame);
        ++requests;
        const std::string answer = KeyedDataReply({requests});
        rig.serial.InjectAt(now + (requests == 1 ? 2.05 : 0.03), answer);
    };
    StatusCode status = -1;
    rig.device.ReadBlock(0x10, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(rig.device.block().CmdData[0], 2);  // the repeat's own answer
    rig.device.ReadBlock(0x20, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(rig.device.block().CmdData[0], 3);
}

TEST(ReplyWait, MoreThanAHundredLostAnswersEndTheRunWith14) {
    DeviceRig rig;
    rig.device.frames().tally().repeats = kMostRepeats - 1;
    EXPECT_EQ(rig.Run(PackAndSend, {"", LongAck(0x7F)}), 0);
    EXPECT_EQ(rig.device.frames().tally().repeats, kMostRepeats);
    EXPECT_EQ(rig.Run(PackAndSend, {"", LongAck(0x7F)}), kAnswersLost);
    EXPECT_EQ(rig.device.frames().tally().repeats, kMostRepeats);
}

TEST(ReplyWait, AnAnswerInAPassThatOverranTheLimitStillCounts) {
    // The answer is looked for before the clock: it comes in the first pass,
    // which ends 2.5 s after the wait began.
    DeviceRig rig;
    rig.serial.onOutput = nullptr;
    bool first = true;
    rig.pump.onPass = [&] {
        if (!std::exchange(first, false)) return;
        for (char c : LongAck(0x7F)) rig.link.rx().Step(static_cast<std::uint8_t>(c));
        rig.clock.Advance(2.5);
    };
    EXPECT_EQ(rig.Run(PackAndSend), 0);
    EXPECT_FALSE(first);
    EXPECT_EQ(rig.serial.writes.size(), 1u);
}

}  // namespace
}  // namespace cv2::test
