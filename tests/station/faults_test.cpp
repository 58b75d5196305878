// Faults the station can be told to show, seen from the wire.
#include <gtest/gtest.h>

#include "station/command_station.h"
#include "tests/station/station_test_util.h"

namespace cv2::station::test {
namespace {

using K = AnswerKind;

// A station showing the one fault that set() sets.
CommandStation With(void (*set)(Faults&)) {
    StationOptions o;
    set(o.faults);
    return CommandStation(o);
}

TEST(Faults, EachFaultChangesOnlyItsOwnAnswers) {
    const struct {
        void (*fault)(Faults&);
        Bytes request;
        std::vector<AnswerKind> kinds;
    } rows[] = {
        {[](Faults& f) { f.missingEcho = true; }, DataFlashRead(7000), {K::Reply}},
        {[](Faults& f) { f.silentRequest = Request::ReadBlock; }, ReadBlock(0), {K::Echo}},
        {[](Faults& f) { f.silentFsModule = true; }, kFsProgOn, {K::Echo}},
        {[](Faults& f) { f.noConfirmation = true; }, BootloaderStart(), {K::Echo, K::Reply}},
        {[](Faults& f) { f.noise = "\x12\x34"; },
         BootloaderStart(),
         {K::Echo, K::Noise, K::Reply, K::Confirmation}},
    };
    for (std::size_t r = 0; r < std::size(rows); ++r) {
        SCOPED_TRACE(r);
        auto s = With(rows[r].fault);
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
    auto s = With([](Faults& f) { f.dropLineAfterRequests = 2; });
    EXPECT_EQ(s.Receive(DataFlashRead(7000)).size(), 2u);
    EXPECT_EQ(s.Receive(ReadBlock(0)).size(), 2u);
    EXPECT_TRUE(s.lineDropped());
    EXPECT_TRUE(s.Receive(ReadBlock(16)).empty());
    EXPECT_TRUE(s.Receive(Bytes("xB19200\r")).empty());
}

}  // namespace
}  // namespace cv2::station::test
