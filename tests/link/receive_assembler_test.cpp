// Cutting the byte stream into frames: lengths by opcode class, abandoned and
// oversized frames, stray bytes, slot wrap, resets mid-frame, delivery in any
// split, and the boot confirmation recogniser.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
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

// A 31-byte vendor frame: ED 1F, 28 payload bytes, checksum.
std::string VendorFrame(int seed) {
    std::string f = Bytes({0xED, 0x1F});
    for (int i = 0; i < 28; ++i) f.push_back(static_cast<char>((seed * 13 + i * 7) & 0x7F));
    int x = 0xFF;
    for (char c : f) x ^= static_cast<std::uint8_t>(c);
    f.push_back(static_cast<char>(x & 0x7F));
    return f;
}

// The station's boot confirmation for kTestServiceKey.
std::string Confirmation() {
    std::string f = Bytes({0xE5, 0x1F, 0x01, 0x50, 0x43, 0x70, 0x12, 0x7F, 0x7F, 0x7F, 0x70,
                           0x00, 0x00, 0x00, 0x00, 0x30, 0x11, 0x22, 0x33, 0x44, 0x70, 0x55,
                           0x66, 0x77, 0x08, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05});
    return f;
}

const std::string kLongAck = Bytes({0xB4, 0x6D, 0x7F, 0x59});

TEST(Framing, EchoThenAnswerLandInSlotsZeroAndOne) {
    ReceiveAssembler rx(kTestServiceKey);
    rx.RxSlot = 0;
    const std::string echo = VendorFrame(1);
    Feed(rx, echo + kLongAck);
    EXPECT_EQ(Slot(rx, 0, 31), Codes(echo));
    EXPECT_EQ(Slot(rx, 1, 4), Codes(kLongAck));
    EXPECT_EQ(rx.RxFrames[0][kMark], -1);
    EXPECT_EQ(rx.RxFrames[1][kMark], -1);
    EXPECT_EQ(rx.RxSlot, 2);
    EXPECT_FALSE(rx.RxInFrame);
}

struct ClassCase {
    int opcode;
    int length;
};

class FramingByOpcodeClass : public ::testing::TestWithParam<ClassCase> {};

TEST_P(FramingByOpcodeClass, CompletesExactlyAtItsLength) {
    const auto [opcode, length] = GetParam();
    ReceiveAssembler rx(kTestServiceKey);
    std::string frame(1, static_cast<char>(opcode));
    for (int i = 1; i < length; ++i)
        frame.push_back(static_cast<char>(i == 1 && opcode >= 0xE0 ? length : 0x10 + i));
    Feed(rx, frame.substr(0, frame.size() - 1));
    EXPECT_EQ(rx.RxSlot, 0);
    EXPECT_EQ(rx.RxFrames[0][kMark], 0);
    Feed(rx, frame.substr(frame.size() - 1));
    EXPECT_EQ(rx.RxSlot, 1);
    EXPECT_EQ(rx.RxFrames[0][kMark], -1);
    EXPECT_EQ(Slot(rx, 0, length), Codes(frame));
}

INSTANTIATE_TEST_SUITE_P(Classes, FramingByOpcodeClass,
                         ::testing::Values(ClassCase{0x81, 2}, ClassCase{0x9F, 2},
                                           ClassCase{0xA0, 4}, ClassCase{0xBF, 4},
                                           ClassCase{0xC0, 6}, ClassCase{0xDF, 6},
                                           ClassCase{0xE0, 2}, ClassCase{0xE5, 15},
                                           ClassCase{0xFF, 64}));

TEST(Framing, NewOpcodeAbandonsTheFrameInProgress) {
    ReceiveAssembler rx(kTestServiceKey);
    Feed(rx, Bytes({0x85, 0xB0, 0x01, 0x02, 0x03}));
    EXPECT_EQ(Slot(rx, 0, 4), (std::vector<int>{0xB0, 0x01, 0x02, 0x03}));
    EXPECT_EQ(rx.RxSlot, 1);
    EXPECT_EQ(rx.RxFrames[1][kMark], 0);
}

TEST(Framing, StrayBytesOutsideAFrameAreDropped) {
    ReceiveAssembler rx(kTestServiceKey);
    Feed(rx, Bytes({0x12, 0x34}));
    EXPECT_EQ(Slot(rx, 0, 2), (std::vector<int>{0, 0}));
    // Also between frames.
    Feed(rx, Bytes({0x81, 0x7E, 0x55, 0x66, 0x82, 0x7D}));
    EXPECT_EQ(rx.RxSlot, 2);
    EXPECT_EQ(Slot(rx, 1, 2), (std::vector<int>{0x82, 0x7D}));
}

TEST(Framing, ShorterFrameLeavesTheRestOfTheSlotAlone) {
    ReceiveAssembler rx(kTestServiceKey);
    const std::string longFrame = VendorFrame(2);
    Feed(rx, longFrame);
    rx.RxSlot = 0;
    Feed(rx, kLongAck);
    EXPECT_EQ(Slot(rx, 0, 4), Codes(kLongAck));
    EXPECT_EQ(rx.RxFrames[0][4], static_cast<std::uint8_t>(longFrame[4]));
    EXPECT_EQ(rx.RxFrames[0][30], static_cast<std::uint8_t>(longFrame[30]));
}

TEST(Framing, WrapsToSlotZeroAfter32FramesAndNeverUsesSlot32) {
    ReceiveAssembler rx(kTestServiceKey);
    for (int i = 0; i < 32; ++i) Feed(rx, Bytes({0xA0, i, 0x00, 0x00}));
    EXPECT_EQ(rx.RxSlot, 0);
    EXPECT_EQ(rx.RxFrames[31][1], 31);
    Feed(rx, Bytes({0xA1, 0x40, 0x00, 0x00}));
    EXPECT_EQ(rx.RxFrames[0][0], 0xA1);
    EXPECT_EQ(rx.RxFrames[0][1], 0x40);
    EXPECT_EQ(rx.RxSlot, 1);
    for (int p = 0; p < ReceiveAssembler::kPositions; ++p) EXPECT_EQ(rx.RxFrames[32][p], 0);
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

class UnstorableLength : public ::testing::TestWithParam<int> {};

TEST_P(UnstorableLength, IsDroppedAndTheNextFrameStillDecodes) {
    ReceiveAssembler rx(kTestServiceKey);
    rx.RxSlot = 31;
    std::string junk = Bytes({0xE7, GetParam()});
    junk += std::string(120, '\x33');
    Feed(rx, junk);
    EXPECT_EQ(rx.RxSlot, 31);
    EXPECT_FALSE(rx.RxInFrame);
    for (int p = 2; p < ReceiveAssembler::kPositions; ++p) EXPECT_EQ(rx.RxFrames[31][p], 0) << p;
    for (int p = 0; p < ReceiveAssembler::kPositions; ++p) EXPECT_EQ(rx.RxFrames[32][p], 0) << p;
    Feed(rx, kLongAck);
    EXPECT_EQ(Slot(rx, 31, 4), Codes(kLongAck));
    EXPECT_EQ(rx.RxFrames[31][kMark], -1);
    EXPECT_EQ(rx.RxSlot, 0);
}

INSTANTIATE_TEST_SUITE_P(Lengths, UnstorableLength, ::testing::Values(0, 1, 65, 0x7F));

TEST(Framing, SixtyFourBytesFillASlotExactly) {
    ReceiveAssembler rx(kTestServiceKey);
    std::string frame = Bytes({0xE7, 64});
    frame += std::string(62, '\x2A');
    Feed(rx, frame);
    EXPECT_EQ(rx.RxFrames[0][kMark], -1);
    EXPECT_EQ(rx.RxFrames[0][63], 0x2A);
    EXPECT_EQ(rx.RxSlot, 1);
}

// --- delivery through the receive event ---

TEST(Delivery, SameFramesWhateverTheSplit) {
    std::string trace = Bytes({0x12}) + VendorFrame(3) + kLongAck + Bytes({0x85, 0x7F}) +
                        Bytes({0xE7, 0x00, 0x55}) + Confirmation() + Bytes({0x81, 0x7E});
    for (int i = 0; i < 40; ++i) trace += Bytes({0xA0, i, 0x01, 0x5E});
    ReceiveAssembler reference(kTestServiceKey);
    Feed(reference, trace);

    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        LinkRig rig(2);
        rig.OpenQuietly(0);
        double t = rig.clock.Now();
        for (std::size_t pos = 0; pos < trace.size();) {
            const std::size_t n = std::min<std::size_t>(1 + random() % 40, trace.size() - pos);
            t += 0.001 * static_cast<double>(random() % 3);
            rig.serial.InjectAt(t, trace.substr(pos, n));
            pos += n;
        }
        rig.link.Pause(0.2);
        const ReceiveAssembler& rx = rig.link.rx();
        EXPECT_EQ(std::memcmp(rx.RxFrames, reference.RxFrames, sizeof rx.RxFrames), 0) << round;
        EXPECT_EQ(rx.RxSlot, reference.RxSlot);
        EXPECT_EQ(rx.RxPos, reference.RxPos);
        EXPECT_EQ(rx.RxInFrame, reference.RxInFrame);
    }
}

TEST(Delivery, OneCharacterPerEventStillTakesEveryWaitingByte) {
    LinkRig rig(1);
    rig.OpenQuietly(1);
    rig.serial.Inject(VendorFrame(4) + kLongAck);
    rig.link.Pause(0.01);
    EXPECT_EQ(rig.link.rx().RxSlot, 2);
    EXPECT_EQ(rig.serial.InBufferCount(), 0);
}

TEST(Delivery, OtherEventKindsAreIgnored) {
    LinkRig rig(2);
    rig.OpenQuietly(0);
    rig.serial.Inject(kLongAck);
    rig.serial.WaitForInput(0);
    rig.link.Comm1_OnComm(3);
    EXPECT_EQ(rig.serial.InBufferCount(), 4);
    EXPECT_EQ(rig.link.rx().RxSlot, 0);
}

// --- boot confirmation ---

TEST(BootConfirmation, RecognisedOnlyWhileWatching) {
    for (std::int16_t before : {std::int16_t{255}, std::int16_t{0}, std::int16_t{1}}) {
        ReceiveAssembler rx(kTestServiceKey);
        rx.BootConfirmed = before;
        Feed(rx, VendorFrame(5) + Confirmation());
        EXPECT_EQ(rx.BootConfirmed, before == 255 ? 255 : 1) << before;
    }
}

TEST(BootConfirmation, IgnoresPositionSixAndTheTail) {
    for (int pos : {6, 26, 27, 28, 29, 30}) {
        ReceiveAssembler rx(kTestServiceKey);
        rx.BootConfirmed = 0;
        std::string f = Confirmation();
        f[pos] = static_cast<char>(f[pos] ^ 0x5A);
        Feed(rx, f);
        EXPECT_EQ(rx.BootConfirmed, 1) << pos;
    }
}

TEST(BootConfirmation, EveryComparedPositionMatters) {
    const std::string good = Confirmation();
    for (int pos = 0; pos < 26; ++pos) {
        if (pos == 6) continue;
        ReceiveAssembler rx(kTestServiceKey);
        rx.BootConfirmed = 0;
        // Compare in place, so that changing the opcode or length byte does not
        // change how the bytes are framed.
        for (int i = 0; i < 31; ++i) rx.RxFrames[0][i] = static_cast<std::uint8_t>(good[i]);
        rx.RxFrames[0][pos] ^= 0x01;
        rx.CheckBootConfirmation();
        EXPECT_EQ(rx.BootConfirmed, 0) << pos;
    }
}

TEST(BootConfirmation, AnotherServiceKeyDoesNotMatch) {
    ServiceKeyBytes other = kTestServiceKey;
    other[7] = 0x09;
    ReceiveAssembler rx(other);
    rx.BootConfirmed = 0;
    Feed(rx, Confirmation());
    EXPECT_EQ(rx.BootConfirmed, 0);
}

TEST(BootConfirmation, LooksAtTheFrameJustCompletedBeforeTheSlotAdvances) {
    ReceiveAssembler rx(kTestServiceKey);
    Feed(rx, Confirmation());  // lies in slot 0 while nobody watches
    rx.BootConfirmed = 0;
    rx.RxSlot = 0;
    Feed(rx, kLongAck);  // completes in slot 0; its tail still holds the old bytes
    EXPECT_EQ(rx.BootConfirmed, 0);
    Feed(rx, Confirmation());  // slot 1
    EXPECT_EQ(rx.BootConfirmed, 1);
    EXPECT_EQ(rx.RxSlot, 2);
}

}  // namespace
}  // namespace cv2::test
