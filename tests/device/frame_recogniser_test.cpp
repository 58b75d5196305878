// What each received frame is to the request in flight: the echo, an answer of
// the expected shape, the boot confirmation, or another device's message that
// is counted and ignored, however the frames are split into reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/device/device_rig.h"

namespace cv2::test {
namespace {

// A request as the device sends it (without checksum): a block read at 0x20.
const std::vector<std::int16_t> kRequest = {
    0xED, 0x1F, 0x08, 0x5A, 0x52, 0x70, 0x00, 0x00, 0x00, 0x00, 0x70, 0x00, 0x00, 0x00, 0x00,
    0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00};

std::string Echo() {
    std::string frame;
    for (std::int16_t b : kRequest) frame.push_back(static_cast<char>(b));
    return WithChecksum(frame);
}

// The recogniser behind an assembler, as the link feeds it.
struct Recognising {
    Recognising() {
        rx.SetListener(&frames);
        frames.SetObserver([this](FrameRole r) { roles.push_back(r); });
    }
    void Feed(const std::string& bytes) {
        for (char c : bytes) rx.Step(static_cast<std::uint8_t>(c));
    }
    FrameRecogniser frames{kBuiltInKeys.ServiceKey};
    ReceiveAssembler rx;
    std::vector<FrameRole> roles;
};

const std::string kForeign[] = {
    Bytes({0xB2, 0x0D, 0x0A, 0x4A}),          // sensor report
    Bytes({0x83, 0x7C}),                      // power on
    WithChecksum(Bytes({0xB4, 0x3F, 0x00})),  // the acknowledge of another opcode
    WithChecksum(Bytes({0xE7, 0x0E, 0x01, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0})),  // slot read
    // As long as a data reply, another tag.
    WithChecksum(Bytes({0xE5, 0x1F, 0x01, 0x49, 0x42}) + std::string(25, '\x11')),
};

TEST(FrameRecogniser, EachFrameHasItsRoleAndOnlyForeignOnesAreCounted) {
    using R = FrameRole;
    const std::string ack = LongAck(0x7F), data = KeyedDataReply({1, 2, 3});
    // {shape, bytes on the line, roles, answered}
    struct Row {
        AnswerShape shape;
        std::string line;
        std::vector<R> roles;
        bool answered;
    };
    const Row rows[] = {
        {AnswerShape::Command, Echo() + ack, {R::Echo, R::Answer}, true},
        {AnswerShape::Command, Echo() + data, {R::Echo, R::Answer}, true},
        {AnswerShape::Command, ack, {R::Answer}, true},  // an interface without echo
        {AnswerShape::DataReply, Echo() + ack + data, {R::Echo, R::Foreign, R::Answer}, true},
        {AnswerShape::FsAck, Echo() + data + ack, {R::Echo, R::Foreign, R::Answer}, true},
        // Foreign frames before, between and after; a second answer is foreign too.
        {AnswerShape::Command,
         kForeign[0] + Echo() + kForeign[1] + kForeign[2] + ack + kForeign[3] + ack,
         {R::Foreign, R::Echo, R::Foreign, R::Foreign, R::Answer, R::Foreign, R::Foreign},
         true},
        // As long as a data reply, but another tag; and a data reply with a bad checksum.
        {AnswerShape::DataReply,
         Echo() + kForeign[4] + data.substr(0, 30) + static_cast<char>(data[30] ^ 1),
         {R::Echo, R::Foreign, R::Foreign},
         false},
        // A frame cut by a new opcode is no frame; the one that cut it counts.
        {AnswerShape::Command, Echo() + data.substr(0, 12) + ack, {R::Echo, R::Answer}, true},
        // Only the echo comes back for a request without an answer.
        {AnswerShape::None, Echo() + ack, {R::Echo, R::Foreign}, false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        Recognising r;
        r.frames.Expect(kRequest, {rows[i].shape});
        r.Feed(rows[i].line);
        EXPECT_EQ(r.roles, rows[i].roles);
        EXPECT_EQ(r.frames.answered(), rows[i].answered);
        const auto foreign = std::count(r.roles.begin(), r.roles.end(), R::Foreign);
        EXPECT_EQ(r.frames.tally().foreignFrames, foreign);
    }
}

TEST(FrameRecogniser, OnceTheInterfaceEchoesAnAnswerBeforeTheEchoIsNotTaken) {
    Recognising r;
    r.frames.Expect(kRequest, {AnswerShape::Command});
    r.Feed(Echo() + LongAck(0x7F));
    EXPECT_EQ(r.frames.echoes(), FrameRecogniser::Echoes::Yes);
    // A late acknowledge of something else before this request's echo.
    r.frames.Expect(kRequest, {AnswerShape::Command});
    r.Feed(LongAck(0x00) + Echo() + LongAck(0x7F));
    EXPECT_EQ(r.frames.answer()[2], 0x7F);
}

TEST(FrameRecogniser, TheFsModuleReplyNamesTheModuleAndTheEntryRead) {
    // Programming on for module 6541 (0x198D): address bytes 0x0D, 0x19 with bit 0
    // of position 6 set for the 0x8D.
    const std::vector<std::int16_t> request = {0xED, 0x0F, 0x08, 0x05, 0x00, 0x21, 0x05,
                                               0x0D, 0x19, 0x05, 0x00, 0x00, 0x00, 0x00};
    auto reply = [](int address, int entry) {
        return WithChecksum(Bytes({0xE5, 0x0F, 0x08, 0x05, 0x00, 0x21, 0x01 | (entry >> 7 & 1) << 2,
                                   address, 0x19, entry & 0x7F, 0x00, 0x34, 0x12, 0x00}));
    };
    Recognising r;
    r.frames.Expect(request, {AnswerShape::FsReply, 0x0D, 0x19, 5});
    r.Feed(reply(0x0E, 5) + reply(0x0D, 6) + reply(0x0D, 5));
    EXPECT_EQ(r.roles, (std::vector{FrameRole::Foreign, FrameRole::Foreign, FrameRole::Answer}));
    EXPECT_EQ(FsField(r.frames.answer(), 9), 5);
    EXPECT_EQ(FsField(r.frames.answer(), 11), 0x1234);
}

TEST(FrameRecogniser, TheBootConfirmationCountsWithTheAcknowledgeInOneBurst) {
    Recognising r;
    r.frames.Expect(kRequest, {AnswerShape::BootStart});
    r.Feed(Echo() + LongAck(0x7F) + BootConfirmation());
    EXPECT_TRUE(r.frames.answered());
    EXPECT_TRUE(r.frames.confirmed());
    EXPECT_EQ(r.roles.back(), FrameRole::Confirmation);
    // The confirmation is no answer, however early it comes.
    Recognising early;
    early.frames.Expect(kRequest, {AnswerShape::BootStart});
    early.Feed(BootConfirmation());
    EXPECT_TRUE(early.frames.confirmed());
    EXPECT_FALSE(early.frames.answered());
}

TEST(FrameRecogniser, TheConfirmationComparesEveryPositionBut6AndTheTailAndTheKey) {
    for (int pos = 0; pos < 31; ++pos) {
        std::string frame = BootConfirmation();
        frame[pos] = static_cast<char>(frame[pos] ^ 0x01);
        FrameRecogniser frames(kBuiltInKeys.ServiceKey);
        frames.Expect(kRequest, {AnswerShape::BootStart});
        const std::vector<int> codes = Codes(frame);
        const std::vector<std::int16_t> bytes(codes.begin(), codes.end());
        frames.FrameCompleted(bytes);
        EXPECT_EQ(frames.confirmed(), pos == 6 || pos >= 26) << pos;
    }
}

TEST(FrameRecogniser, WhileTheLineIsDrainedNothingIsAnAnswerOrCounted) {
    Recognising r;
    r.frames.Expect(kRequest, {AnswerShape::Command});
    r.frames.Discard();
    r.Feed(Echo() + LongAck(0x7F) + kForeign[0]);
    EXPECT_FALSE(r.frames.answered());
    EXPECT_EQ(r.roles, std::vector<FrameRole>(3, FrameRole::Discarded));
    EXPECT_EQ(r.frames.tally().foreignFrames, 0);
}

}  // namespace
}  // namespace cv2::test
