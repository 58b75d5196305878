// Cutting the byte stream into frames: lengths by opcode class, abandoned and
// oversized frames, stray bytes, resets mid-frame, and each completed frame
// handed to the listener. (The slot wrap and the unused slot 32 are checked by
// the fuzz target.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/link/link_rig.h"

namespace cv2::test {
namespace {

constexpr int kMark = ReceiveAssembler::kMark;

void Feed(ReceiveAssembler& rx, const std::string& bytes) {
    for (char c : bytes) rx.Step(static_cast<std::uint8_t>(c));
}

std::vector<int> Slot(const ReceiveAssembler& rx, int slot, int length) {
    return std::vector<int>(rx.RxFrames[slot], rx.RxFrames[slot] + length);
}

const std::string kLongAck = Bytes({0xB4, 0x6D, 0x7F, 0x59});

TEST(Framing, EachOpcodeClassCompletesExactlyAtItsLength) {
    const std::pair<int, int> rows[] = {{0x81, 2}, {0x9F, 2}, {0xA0, 4},  {0xBF, 4}, {0xC0, 6},
                                        {0xDF, 6}, {0xE0, 2}, {0xE5, 15}, {0xFF, 64}};
    for (const auto& [opcode, length] : rows) {
        SCOPED_TRACE(opcode);
        ReceiveAssembler rx;
        std::string frame(1, static_cast<char>(opcode));
        for (int i = 1; i < length; ++i)
            frame.push_back(static_cast<char>(i == 1 && opcode >= 0xE0 ? length : 0x10 + i));
        Feed(rx, frame.substr(0, frame.size() - 1));
        EXPECT_EQ(rx.RxSlot, 0);
        EXPECT_EQ(rx.RxFrames[0][kMark], 0);
        Feed(rx, frame.substr(frame.size() - 1));
        EXPECT_EQ(rx.RxSlot, 1);
        EXPECT_FALSE(rx.RxInFrame);
        EXPECT_EQ(rx.RxFrames[0][kMark], -1);
        EXPECT_EQ(Slot(rx, 0, length), Codes(frame));
    }
}

TEST(Framing, StrayBytesAreDroppedAndANewOpcodeAbandonsTheFrameInProgress) {
    ReceiveAssembler rx;
    Feed(rx, Bytes({0x12, 0x34, 0x85, 0xB0, 0x01, 0x02, 0x03, 0x55, 0x66, 0x82, 0x7D, 0xC0, 0x01}));
    EXPECT_EQ(Slot(rx, 0, 5), (std::vector<int>{0xB0, 0x01, 0x02, 0x03, 0}));
    EXPECT_EQ(Slot(rx, 1, 3), (std::vector<int>{0x82, 0x7D, 0}));
    EXPECT_EQ(rx.RxSlot, 2);
    EXPECT_EQ(rx.RxFrames[2][kMark], 0);
}

TEST(Framing, ResetMidFrameCompletesTheRestInSlotZero) {
    ReceiveAssembler rx;
    for (int i = 0; i < 5; ++i) Feed(rx, Bytes({0x81, 0x7E}));
    Feed(rx, Bytes({0xC0, 0x01, 0x02}));
    rx.RxSlot = 0;
    Feed(rx, Bytes({0x03, 0x04, 0x05}));
    EXPECT_EQ(rx.RxFrames[0][kMark], -1);
    EXPECT_EQ(rx.RxSlot, 1);
    EXPECT_EQ(Slot(rx, 0, 6), (std::vector<int>{0x81, 0x7E, 0, 0x03, 0x04, 0x05}));
    EXPECT_EQ(Slot(rx, 5, 3), (std::vector<int>{0xC0, 0x01, 0x02}));
    EXPECT_EQ(rx.RxFrames[5][kMark], 0);
}

TEST(Framing, UnstorableLengthIsDroppedAndTheNextFrameStillDecodes) {
    for (int length : {0, 1, 65, 0x7F}) {
        SCOPED_TRACE(length);
        ReceiveAssembler rx;
        rx.RxSlot = 31;
        Feed(rx, Bytes({0xE7, length}) + std::string(120, '\x33'));
        EXPECT_EQ(rx.RxSlot, 31);
        EXPECT_FALSE(rx.RxInFrame);
        for (int p = 2; p < ReceiveAssembler::kPositions; ++p)
            EXPECT_EQ(rx.RxFrames[31][p], 0) << p;
        for (int p = 0; p < ReceiveAssembler::kPositions; ++p)
            EXPECT_EQ(rx.RxFrames[32][p], 0) << p;
        Feed(rx, kLongAck);
        EXPECT_EQ(Slot(rx, 31, 4), Codes(kLongAck));
        EXPECT_EQ(rx.RxFrames[31][kMark], -1);
        EXPECT_EQ(rx.RxSlot, 0);
    }
}

// Every completed frame reaches the listener once, whole, as it completes;
// abandoned and unstorable ones never do.
TEST(Framing, TheListenerHearsEachCompletedFrameAtItsLastByte) {
    struct Heard : FrameListener {
        std::vector<std::vector<int>> frames;
        void FrameCompleted(std::span<const std::int16_t> frame) override {
            frames.emplace_back(frame.begin(), frame.end());
        }
    } heard;
    ReceiveAssembler rx;
    rx.SetListener(&heard);
    Feed(rx, Bytes({0x85, 0xE7, 0x01, 0x33, 0x81}));  // abandoned, unstorable, then 0x81 ...
    EXPECT_TRUE(heard.frames.empty());
    Feed(rx, Bytes({0x7E}) + kLongAck.substr(0, 3));
    ASSERT_EQ(heard.frames.size(), 1u);
    EXPECT_EQ(heard.frames[0], (std::vector<int>{0x81, 0x7E}));
    rx.RxSlot = 0;  // a reset mid-frame: the frame still reaches the listener whole
    Feed(rx, kLongAck.substr(3));
    ASSERT_EQ(heard.frames.size(), 2u);
    EXPECT_EQ(heard.frames[1], Codes(kLongAck));
    rx.SetListener(nullptr);
    Feed(rx, kLongAck);
    EXPECT_EQ(heard.frames.size(), 2u);
}

}  // namespace
}  // namespace cv2::test
