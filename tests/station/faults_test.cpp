// Faults the station can be told to show, seen from the wire.
#include <gtest/gtest.h>

#include "station/command_station.h"
#include "tests/station/station_test_util.h"

namespace cv2::station::test {
namespace {

using K = AnswerKind;
// Each fault below is written as the one field it sets; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

CommandStation With(Faults faults) {
    StationOptions o;
    o.faults = std::move(faults);
    return CommandStation(o);
}

TEST(Faults, EachFaultChangesOnlyItsOwnAnswers) {
    const struct {
        Faults faults;
        Bytes request;
        std::vector<AnswerKind> kinds;
    } rows[] = {
        {{.missingEcho = true}, DataFlashRead(7000), {K::Reply}},
        {{.silentRequest = Request::ReadBlock}, ReadBlock(0), {K::Echo}},
        {{.silentFsModule = true}, kFsProgOn, {K::Echo}},
        {{.noConfirmation = true}, BootloaderStart(), {K::Echo, K::Reply}},
        {{.noise = "\x12\x34"}, BootloaderStart(), {K::Echo, K::Noise, K::Reply, K::Confirmation}},
    };
    for (std::size_t r = 0; r < std::size(rows); ++r) {
        SCOPED_TRACE(r);
        auto s = With(rows[r].faults);
        std::vector<AnswerKind> kinds;
        for (const auto& a : s.Receive(rows[r].request)) {
            kinds.push_back(a.kind);
            // Noise has bit 7 clear: a receiver outside a frame drops it.
            for (char c : a.bytes) EXPECT_TRUE(a.kind != K::Noise || (c & 0x80) == 0);
        }
        EXPECT_EQ(kinds, rows[r].kinds);
        // A silent request still counts as received.
        EXPECT_EQ(s.Count(Request::ReadBlock), rows[r].request == ReadBlock(0) ? 1 : 0);
        EXPECT_EQ(ReplyTo(s, DataFlashRead(7000)), kAccepted);  // the rest still answers
    }
}

TEST(Faults, ADroppedLineCarriesNothingAfterTheNthRequest) {
    auto s = With({.dropLineAfterRequests = 2});
    EXPECT_EQ(s.Receive(DataFlashRead(7000)).size(), 2u);
    EXPECT_EQ(s.Receive(ReadBlock(0)).size(), 2u);
    EXPECT_TRUE(s.lineDropped());
    EXPECT_TRUE(s.Receive(ReadBlock(16)).empty());
    EXPECT_TRUE(s.Receive(Bytes("xB19200\r")).empty());
}

}  // namespace
}  // namespace cv2::station::test
