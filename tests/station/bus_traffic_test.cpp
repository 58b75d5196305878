// Other devices' messages as the simulated station puts them on the bus: whole
// frames by LocoNet's length rules with a valid checksum, none of them shaped
// like an answer of the station to the program; and where they fall in an
// exchange.
#include <gtest/gtest.h>

#include <random>

#include "station/bus_traffic.h"
#include "station/command_station.h"
#include "tests/station/station_test_util.h"

namespace cv2::station::test {
namespace {

TEST(BusTraffic, EveryKindIsAWholeFrameWithAValidChecksumAndNoAnswer) {
    std::mt19937 random(5);
    for (int round = 0; round < 50; ++round) {
        for (int kind = 0; kind < kForeignKinds; ++kind) {
            const Bytes f = ForeignFrame(kind, random);
            const auto at = [&f](std::size_t i) { return static_cast<std::uint8_t>(f[i]); };
            ASSERT_GE(f.size(), 2u);
            EXPECT_EQ(static_cast<int>(f.size()),
                      FrameLength(at(0), f.size() > 1 ? std::optional(at(1)) : std::nullopt))
                << kind;
            EXPECT_TRUE(ChecksumValid(f)) << kind;
            for (std::size_t i = 1; i < f.size(); ++i) EXPECT_LT(at(i), 0x80) << kind;
            // Not the long acknowledge of a command, not a data reply, not the FS
            // module's reply.
            EXPECT_FALSE(at(0) == 0xB4 && at(1) == 0x6D) << kind;
            EXPECT_FALSE(f.size() == 31 && f.substr(0, 5) == "\xE5\x1F\x01\x50\x43") << kind;
            EXPECT_FALSE(f.size() == 15 && at(0) == 0xE5 && at(7) == 0x0D && at(8) == 0x19)
                << kind;
        }
    }
}

TEST(BusTraffic, EveryNthRequestHasAForeignFrameBetweenEchoAndAnswerAndLostAnswersAreCounted) {
    StationOptions options;
    options.faults.traffic = 4;
    options.faults.loseAnswer = 3;
    CommandStation s(options);
    int between = 0, lost = 0;
    for (int i = 0; i < 12; ++i) {
        const auto answers = s.Receive(ReadBlock(16 * i));
        std::vector<AnswerKind> kinds;
        for (const Answer& a : answers) kinds.push_back(a.kind);
        ASSERT_FALSE(kinds.empty());
        const auto echo = std::find(kinds.begin(), kinds.end(), AnswerKind::Echo);
        ASSERT_NE(echo, kinds.end());
        if ((i + 1) % 4 == 0) {
            EXPECT_EQ(*(echo + 1), AnswerKind::Foreign) << i;
            ++between;
        }
        if (std::count(kinds.begin(), kinds.end(), AnswerKind::Reply) == 0) ++lost;
    }
    EXPECT_EQ(between, 3);
    EXPECT_EQ(lost, 4);
    EXPECT_EQ(s.answersLost(), 4);
    EXPECT_GE(s.foreignFrames(), 3);
}

}  // namespace
}  // namespace cv2::station::test
