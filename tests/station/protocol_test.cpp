// The station's answers to the program's frames, checked against literal bytes.
// (The data replies reach the program, and are compared page by page, in every backup run.)
#include <gtest/gtest.h>

#include "station/command_station.h"
#include "tests/station/station_test_util.h"

namespace cv2::station::test {
namespace {

TEST(Replies, BootloaderStartIsAcknowledgedThenConfirmedUnlessAlreadyRunning) {
    CommandStation s;
    auto answers = s.Receive(BootloaderStart());
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers[1].bytes, kAccepted);
    ASSERT_EQ(answers[2].kind, AnswerKind::Confirmation);
    const Bytes& c = answers[2].bytes;
    ASSERT_EQ(c.size(), 31u);
    const auto& k = ServiceKey;
    EXPECT_EQ(c.substr(0, 26),
              Hex({0xE5, 0x1F, 0x01, 0x50, 0x43, 0x70, 0x00, 0x7F, 0x7F, 0x7F, 0x70, 0x00, 0x00,
                   0x00, 0x00, 0x30, k[0], k[1], k[2], k[3], 0x70, k[4], k[5], k[6], k[7], 0x00}));
    EXPECT_TRUE(ChecksumValid(c));
    EXPECT_TRUE(s.bootloaderActive());

    StationOptions o;
    o.directBootAck = true;
    CommandStation direct(o);
    EXPECT_EQ(Kinds(direct, BootloaderStart()), (std::vector{AnswerKind::Echo, AnswerKind::Reply}));
    EXPECT_EQ(ReplyTo(direct, BootloaderStart()), Hex({0xB4, 0x6D, 0x01, 0x27}));
}

TEST(Replies, AWrongServiceKeyIsRefused) {
    CommandStation s;
    std::array<std::uint8_t, 8> wrong = ServiceKey;
    wrong[5] ^= 0x01;
    EXPECT_EQ(ReplyTo(s, ServiceCommand({0x00, 0x08, 63, 0, 0x5A}, 3, wrong)), kRefused);
    EXPECT_EQ(ReplyTo(s, ServiceCommand({0x00, 0x7F, 0x7F, 0x7F}, 7, wrong)), kRefused);
    EXPECT_FALSE(s.bootloaderActive());
}

TEST(Replies, DamagedOrUnfinishedFramesGetNoAnswer) {
    CommandStation s;
    Bytes bad = kReadBlock20;
    bad.back() = static_cast<char>(0x2C);
    EXPECT_EQ(Kinds(s, bad), std::vector{AnswerKind::Echo});
    EXPECT_EQ(s.requests(), 0);
    // An opcode abandons an unfinished frame.
    EXPECT_TRUE(s.Receive(kReadBlock20.substr(0, 12)).empty());
    EXPECT_EQ(ReplyTo(s, kReadBlock20).size(), 31u);
    // Length bytes that cannot be a frame are dropped; the next frame still counts.
    EXPECT_TRUE(s.Receive(Hex({0xE0, 0x01, 0x00, 0x00})).empty());
    EXPECT_EQ(ReplyTo(s, DataFlashRead(7000)), kAccepted);
}

TEST(TextDialogue, OnlyTheTwoCommandTextsGetThePrompt) {
    CommandStation s;
    EXPECT_EQ(Answers(s, "xB19200\r", AnswerKind::Text), std::vector<Bytes>{"]"});
    EXPECT_EQ(Answers(s, "x&LN$3C96\r", AnswerKind::Text), std::vector<Bytes>{"]"});
    EXPECT_TRUE(s.Receive(Bytes("xB9600\r")).empty());
    EXPECT_TRUE(s.Receive(Bytes("xB192")).empty());
    // A frame in the middle throws the half text away.
    s.Receive(DataFlashRead(7000));
    EXPECT_TRUE(s.Receive(Bytes("00\r")).empty());
    // Text never starts inside a frame: the data bytes of a frame are not text.
    EXPECT_EQ(Answers(s, "xB19200\r", AnswerKind::Text).size(), 1u);
}

}  // namespace
}  // namespace cv2::station::test
