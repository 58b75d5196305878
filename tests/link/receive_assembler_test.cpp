// Cutting the byte stream into frames: lengths by opcode class, abandoned and
// oversized frames, stray bytes, resets mid-frame, and the boot confirmation
// recogniser. (The slot wrap and the unused slot 32 are checked by the fuzz target.)
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

// The station's boot confirmation for kTestServiceKey (31 bytes).
const std::string kConfirmation = Bytes(
    {0xE5, 0x1F, 0x01, 0x50, 0x43, 0x70, 0x12, 0x7F, 0x7F, 0x7F, 0x70, 0x00, 0x00, 0x00, 0x00, 0x30,
     0x11, 0x22, 0x33, 0x44, 0x70, 0x55, 0x66, 0x77, 0x08, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05});
const std::string kLongAck = Bytes({0xB4, 0x6D, 0x7F, 0x59});

TEST(Framing, EachOpcodeClassCompletesExactlyAtItsLength) {
    const std::pair<int, int> rows[] = {{0x81, 2}, {0x9F, 2}, {0xA0, 4},  {0xBF, 4}, {0xC0, 6},
                                        {0xDF, 6}, {0xE0, 2}, {0xE5, 15}, {0xFF, 64}};
    for (const auto& [opcode, length] : rows) {
        SCOPED_TRACE(opcode);
        ReceiveAssembler rx(kTestServiceKey);
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
    ReceiveAssembler rx(kTestServiceKey);
    Feed(rx, Bytes({0x12, 0x34, 0x85, 0xB0, 0x01, 0x02, 0x03, 0x55, 0x66, 0x82, 0x7D, 0xC0, 0x01}));
    EXPECT_EQ(Slot(rx, 0, 5), (std::vector<int>{0xB0, 0x01, 0x02, 0x03, 0}));
    EXPECT_EQ(Slot(rx, 1, 3), (std::vector<int>{0x82, 0x7D, 0}));
    EXPECT_EQ(rx.RxSlot, 2);
    EXPECT_EQ(rx.RxFrames[2][kMark], 0);
}

TEST(Framing, ResetMidFrameCompletesTheRestInSlotZero) {
    ReceiveAssembler rx(kTestServiceKey);
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
        ReceiveAssembler rx(kTestServiceKey);
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

// --- boot confirmation ---

TEST(BootConfirmation, RecognisedOnlyWhileWatchingAndOnlyWithThisKey) {
    ServiceKeyBytes other = kTestServiceKey;
    other[7] = 0x09;
    for (std::int16_t before : {std::int16_t{255}, std::int16_t{0}, std::int16_t{1}}) {
        for (const ServiceKeyBytes& key : {kTestServiceKey, other}) {
            ReceiveAssembler rx(key);
            rx.BootConfirmed = before;
            Feed(rx, kLongAck + kConfirmation);
            const bool match = before != 255 && key == kTestServiceKey;
            EXPECT_EQ(rx.BootConfirmed, match ? 1 : before) << before;
        }
    }
}

TEST(BootConfirmation, ComparesEveryPositionBut6AndTheTail) {
    for (int pos = 0; pos < 31; ++pos) {
        ReceiveAssembler rx(kTestServiceKey);
        rx.BootConfirmed = 0;
        // Compare in place, so that changing the opcode or length byte does not
        // change how the bytes are framed.
        for (int i = 0; i < 31; ++i)
            rx.RxFrames[0][i] = static_cast<std::uint8_t>(kConfirmation[i]);
        rx.RxFrames[0][pos] ^= 0x01;
        rx.CheckBootConfirmation();
        EXPECT_EQ(rx.BootConfirmed, pos == 6 || pos >= 26 ? 1 : 0) << pos;
    }
}

TEST(BootConfirmation, LooksAtTheFrameJustCompletedWhoseTailKeepsOlderBytes) {
    ReceiveAssembler rx(kTestServiceKey);
    Feed(rx, kConfirmation);  // lies in slot 0 while nobody watches
    rx.BootConfirmed = 0;
    rx.RxSlot = 0;
    Feed(rx, kLongAck);  // completes in slot 0; its tail still holds the old bytes
    EXPECT_EQ(Slot(rx, 0, 4), Codes(kLongAck));
    EXPECT_EQ(rx.RxFrames[0][30], static_cast<std::uint8_t>(kConfirmation[30]));
    EXPECT_EQ(rx.BootConfirmed, 0);
    Feed(rx, kConfirmation);  // slot 1
    EXPECT_EQ(rx.BootConfirmed, 1);
    EXPECT_EQ(rx.RxSlot, 2);
}

}  // namespace
}  // namespace cv2::test
