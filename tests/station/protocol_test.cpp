// The station's answers to the program's frames, checked against literal bytes.
#include <gtest/gtest.h>

#include "station/command_station.h"
#include "tests/station/station_test_util.h"

namespace cv2::station::test {
namespace {

const Bytes kReadBlock20 = Hex({0xED, 0x1F, 0x08, 0x5A, 0x52, 0x70, 0x00, 0x00, 0x00, 0x00, 0x70,
                                0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00,
                                0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x2D});
const Bytes kDisplayClear = Hex({0xED, 0x1F, 0x08, 0x5A, 0x52, 0x70, 0x00, 0x00, 0x00, 0x00, 0x70,
                                 0x00, 0x00, 0x00, 0x00, 0x30, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2D});
const Bytes kFsProgOn =
    Hex({0xED, 0x0F, 0x08, 0x05, 0x00, 0x21, 0x71, 0x0D, 0x19, 0x00, 0x00, 0x7F, 0x7F, 0x00, 0x54});
const Bytes kAccepted = Hex({0xB4, 0x6D, 0x7F, 0x59});
const Bytes kRefused = Hex({0xB4, 0x6D, 0x00, 0x26});

TEST(FrameCodec, EncodesTheProgramsCommandFramesByteForByte) {
    Fields readBlock;
    readBlock.data[16] = 0x20;
    readBlock.selA = 4;
    readBlock.selB = 4;
    EXPECT_EQ(EncodeCommand(readBlock), kReadBlock20);
    Fields clear;
    clear.selA = 3;
    clear.selB = 1;
    EXPECT_EQ(EncodeCommand(clear), kDisplayClear);
    // Bit 7 of a data field travels in its group's high-bit byte.
    Fields write;
    write.data[0] = 0xDF;
    write.selA = 3;
    write.selB = 3;
    const Bytes f = EncodeCommand(write);
    EXPECT_EQ(At(f, 5), 0x71);
    EXPECT_EQ(At(f, 6), 0x5F);
}

TEST(Replies, ReadBlockSendsTheBufferBytesAsADataReply) {
    CommandStation s;
    ASSERT_EQ(ReplyTo(s, DataFlashRead(7501)), kAccepted);
    const Bytes r = ReplyTo(s, kReadBlock20);
    ASSERT_EQ(r.size(), 31u);
    EXPECT_EQ(r.substr(0, 5), Hex({0xE5, 0x1F, 0x01, 0x50, 0x43}));
    EXPECT_TRUE(ChecksumValid(r));
    // Selectors come back as sent; the address fields too.
    EXPECT_EQ(At(r, 15) & 0x70, 0x40);
    EXPECT_EQ(At(r, 20) & 0x70, 0x40);
    EXPECT_EQ(At(r, 26), 0x20);
    const auto page = s.memory().DataPage(7501);
    const auto block = ReplyBlock(r);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(block[i], page[0x20 + i]) << i;
}

TEST(Replies, BootloaderStartIsAcknowledgedThenConfirmed) {
    CommandStation s;
    auto answers = s.Receive(BootloaderStart());
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers[1].bytes, kAccepted);
    ASSERT_EQ(answers[2].kind, AnswerKind::Confirmation);
    const Bytes& c = answers[2].bytes;
    ASSERT_EQ(c.size(), 31u);
    const auto& k = ServiceKey;
    const Bytes expected =
        Hex({0xE5, 0x1F, 0x01, 0x50, 0x43, 0x70, 0x00, 0x7F, 0x7F, 0x7F, 0x70, 0x00, 0x00,
             0x00, 0x00, 0x30, k[0], k[1], k[2], k[3], 0x70, k[4], k[5], k[6], k[7], 0x00});
    EXPECT_EQ(c.substr(0, 26), expected);
    EXPECT_TRUE(ChecksumValid(c));
    EXPECT_TRUE(s.bootloaderActive());
}

TEST(Replies, DirectBootAckSkipsTheConfirmation) {
    StationOptions o;
    o.directBootAck = true;
    CommandStation s(o);
    EXPECT_EQ(Answers(s, BootloaderStart(), AnswerKind::Reply),
              std::vector<Bytes>{Hex({0xB4, 0x6D, 0x01, 0x27})});
    EXPECT_TRUE(Answers(s, BootloaderStart(), AnswerKind::Confirmation).empty());
}

TEST(Replies, AWrongServiceKeyIsRefused) {
    CommandStation s;
    std::array<std::uint8_t, 8> wrong = ServiceKey;
    wrong[5] ^= 0x01;
    EXPECT_EQ(ReplyTo(s, ServiceCommand({0x00, 0x08, 0, 0, 0x5A}, 3, 63, wrong)), kRefused);
    EXPECT_EQ(ReplyTo(s, ServiceCommand({0x00, 0x7F, 0x7F, 0x7F}, 7, -1, wrong)), kRefused);
    EXPECT_FALSE(s.bootloaderActive());
}

TEST(Replies, ADamagedFrameIsEchoedButNotAnswered) {
    CommandStation s;
    Bytes bad = kReadBlock20;
    bad.back() = static_cast<char>(0x2C);
    auto answers = s.Receive(bad);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].kind, AnswerKind::Echo);
    EXPECT_EQ(s.requests(), 0);
}

TEST(Replies, AnOpcodeAbandonsAnUnfinishedFrame) {
    CommandStation s;
    EXPECT_TRUE(s.Receive(kReadBlock20.substr(0, 12)).empty());
    EXPECT_EQ(ReplyTo(s, kReadBlock20).size(), 31u);
    // Length bytes that cannot be a frame are dropped; the next frame still counts.
    EXPECT_TRUE(s.Receive(Hex({0xE0, 0x01, 0x00, 0x00})).empty());
    EXPECT_EQ(ReplyTo(s, kDisplayClear), kAccepted);
}

TEST(TextDialogue, OnlyTheTwoCommandTextsGetThePrompt) {
    CommandStation s;
    EXPECT_EQ(Answers(s, "xB19200\r", AnswerKind::Text), std::vector<Bytes>{"]"});
    EXPECT_EQ(Answers(s, "x&LN$3C96\r", AnswerKind::Text), std::vector<Bytes>{"]"});
    EXPECT_TRUE(s.Receive(Bytes("xB9600\r")).empty());
    EXPECT_TRUE(s.Receive(Bytes("xB192")).empty());
    // A frame in the middle throws the half text away.
    s.Receive(kDisplayClear);
    EXPECT_TRUE(s.Receive(Bytes("00\r")).empty());
    // Text never starts inside a frame: the data bytes of a frame are not text.
    EXPECT_EQ(Answers(s, "xB19200\r", AnswerKind::Text).size(), 1u);
}

TEST(FsModule, ProgOnReturnsTheKeyWithTheAddressEchoed) {
    CommandStation s;
    const Bytes r = ReplyTo(s, kFsProgOn);
    ASSERT_EQ(r.size(), 15u);
    EXPECT_TRUE(ChecksumValid(r));
    EXPECT_EQ(At(r, 0), 0xE5);
    EXPECT_EQ(At(r, 7), 0x0D);
    EXPECT_EQ(At(r, 8), 0x19);
    const int high = At(r, 6);
    const int f1 =
        (At(r, 9) + 128 * ((high >> 2) & 1)) + 256 * (At(r, 10) + 128 * ((high >> 3) & 1));
    const int f2 =
        (At(r, 11) + 128 * ((high >> 4) & 1)) + 256 * (At(r, 12) + 128 * ((high >> 5) & 1));
    EXPECT_EQ(f1, 0);
    EXPECT_EQ(f2, s.memory().fsKey);
    EXPECT_TRUE(s.fsProgramming());
}

// An FS request as the program encodes it: bit 7 of positions 7..13 moves into position 6.
Bytes FsRequest(int op, int pos5, int entry, int value, int last) {
    Bytes b = Hex({op, 0x0F, 0x08, 0x05, 0x00, pos5, 0});
    int n = 0;
    for (int v :
         {6541 & 0xFF, 6541 >> 8, entry & 0xFF, entry >> 8, value & 0xFF, value >> 8, last}) {
        if (v & 0x80) b[6] = static_cast<char>(b[6] | (1 << n));
        b.push_back(static_cast<char>(v & 0x7F));
        ++n;
    }
    return Sealed(b);
}

TEST(FsModule, ReadAndWriteEntriesOnlyWhileProgramming) {
    CommandStation s;
    EXPECT_TRUE(ReplyTo(s, FsRequest(0xED, 0x21, 5, 0, 0x00)).empty());
    ReplyTo(s, kFsProgOn);
    EXPECT_EQ(ReplyTo(s, FsRequest(0xED, 0x20, 6, 0xFFFF, 0x00)), kAccepted);
    EXPECT_EQ(s.memory().FsEntry(6), 0xFFFF);
    const Bytes r = ReplyTo(s, FsRequest(0xED, 0x21, 6, 0, 0x00));
    ASSERT_EQ(r.size(), 15u);
    // Entry number and value come back with their bit 7 in the high-bit byte.
    EXPECT_EQ(At(r, 9), 6);
    EXPECT_EQ(At(r, 11), 0x7F);
    EXPECT_EQ(At(r, 12), 0x7F);
    EXPECT_EQ(At(r, 6) & 0x30, 0x30);
    // Entries outside 5..2004 do not exist.
    EXPECT_TRUE(ReplyTo(s, FsRequest(0xED, 0x21, 2005, 0, 0x00)).empty());
    EXPECT_EQ(ReplyTo(s, FsRequest(0xED, 0x20, 4, 1, 0x00)), kRefused);
    // ProgOff is answered by its own echo only.
    auto off = s.Receive(FsRequest(0xE5, 0x21, 0, s.memory().fsKey, 0x40));
    ASSERT_EQ(off.size(), 1u);
    EXPECT_EQ(off[0].kind, AnswerKind::Echo);
    EXPECT_FALSE(s.fsProgramming());
}

}  // namespace
}  // namespace cv2::station::test
