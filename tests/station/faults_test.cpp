// Faults the station can be told to show, seen from the wire.
#include <gtest/gtest.h>

#include "station/command_station.h"
#include "tests/station/station_test_util.h"

namespace cv2::station::test {
namespace {

const Bytes kAccepted = Hex({0xB4, 0x6D, 0x7F, 0x59});
const Bytes kRefused = Hex({0xB4, 0x6D, 0x00, 0x26});

template <typename Set>
CommandStation With(Set set) {
    StationOptions o;
    set(o.faults);
    return CommandStation(o);
}

std::vector<AnswerKind> Kinds(const std::vector<Answer>& answers) {
    std::vector<AnswerKind> k;
    for (auto& a : answers) k.push_back(a.kind);
    return k;
}

TEST(Faults, MissingEchoLeavesOnlyTheReply) {
    auto s = With([](Faults& f) { f.missingEcho = true; });
    EXPECT_EQ(Kinds(s.Receive(DataFlashRead(7000))), std::vector{AnswerKind::Reply});
}

TEST(Faults, ASilentRequestIsEchoedButNeverAnswered) {
    auto s = With([](Faults& f) { f.silentRequest = Request::ReadBlock; });
    EXPECT_EQ(ReplyTo(s, DataFlashRead(7000)), kAccepted);
    EXPECT_EQ(Kinds(s.Receive(ReadBlock(0))), std::vector{AnswerKind::Echo});
    EXPECT_EQ(s.Count(Request::ReadBlock), 1);
    auto after = With([](Faults& f) { f.silentAfterRequests = 1; });
    EXPECT_EQ(ReplyTo(after, DataFlashRead(7000)), kAccepted);
    EXPECT_EQ(Kinds(after.Receive(DataFlashRead(7000))), std::vector{AnswerKind::Echo});
}

TEST(Faults, TheNthWriteIsRefusedAndChangesNothing) {
    auto s = With([](Faults& f) { f.refuseWrite = 2; });
    std::array<std::uint8_t, 16> a{}, b{};
    a.fill(0x11);
    b.fill(0x22);
    EXPECT_EQ(ReplyTo(s, WriteBlock(0, a)), kAccepted);
    EXPECT_EQ(ReplyTo(s, WriteBlock(16, b)), kRefused);
    EXPECT_NE(s.memory().transfer()[16], 0x22);
    EXPECT_EQ(ReplyTo(s, DataFlashWrite(7000)), kAccepted);
    EXPECT_EQ(s.memory().DataPage(7000)[0], 0x11);
}

TEST(Faults, AnotherVersionWordSitsOnPage8003) {
    auto s = With([](Faults& f) { f.versionWord = 6u; });
    int notFive = 0;
    for (int i = 0; i < 10; ++i) notFive += s.memory().VersionWord(i) != 5;
    EXPECT_EQ(notFive, 1);
    // Loading a clean backup keeps the fault in place.
    CommandStation clean;
    ASSERT_TRUE(s.LoadBackup(clean.ExpectedBackup()));
    EXPECT_EQ(s.memory().VersionWord(3), 6u);
}

TEST(Faults, ASilentFsModuleOnlyEchoes) {
    auto s = With([](Faults& f) { f.silentFsModule = true; });
    const Bytes progOn = Hex(
        {0xED, 0x0F, 0x08, 0x05, 0x00, 0x21, 0x71, 0x0D, 0x19, 0x00, 0x00, 0x7F, 0x7F, 0x00, 0x54});
    EXPECT_EQ(Kinds(s.Receive(progOn)), std::vector{AnswerKind::Echo});
    // The rest of the station still answers.
    EXPECT_EQ(ReplyTo(s, DataFlashRead(7000)), kAccepted);
}

TEST(Faults, TheConfirmationCanStayAway) {
    auto s = With([](Faults& f) { f.noConfirmation = true; });
    EXPECT_EQ(Kinds(s.Receive(BootloaderStart())),
              (std::vector{AnswerKind::Echo, AnswerKind::Reply}));
}

TEST(Faults, NoiseComesBetweenEchoAndAnswer) {
    auto s = With([](Faults& f) { f.noise = "\x12\x34"; });
    auto answers = s.Receive(BootloaderStart());
    EXPECT_EQ(Kinds(answers), (std::vector{AnswerKind::Echo, AnswerKind::Noise, AnswerKind::Reply,
                                           AnswerKind::Confirmation}));
    // Noise has bit 7 clear: a receiver outside a frame drops it.
    for (char c : answers[1].bytes) EXPECT_EQ(c & 0x80, 0);
}

TEST(Faults, ADroppedLineCarriesNothingAfterTheNthRequest) {
    auto s = With([](Faults& f) { f.dropLineAfterRequests = 2; });
    EXPECT_EQ(s.Receive(DataFlashRead(7000)).size(), 2u);
    EXPECT_EQ(s.Receive(ReadBlock(0)).size(), 2u);
    EXPECT_TRUE(s.lineDropped());
    EXPECT_TRUE(s.Receive(ReadBlock(16)).empty());
    EXPECT_TRUE(s.Receive(Bytes("xB19200\r")).empty());
}

}  // namespace
}  // namespace cv2::station::test
