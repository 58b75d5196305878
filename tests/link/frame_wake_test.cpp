// Waking once a frame, on the fake clock where every time is exact: a frame
// whose bytes come one by one at their line time wakes a waiting program
// twice (its first bytes, its end) once the pace is known, no more than a
// quarter byte time after its end and the program's own wake-up latency; no
// wait is held past its limit; the pace outlasts a sender that pauses now and
// then and follows a line that changes.
#include <gtest/gtest.h>

#include "tests/link/link_rig.h"

namespace cv2::test {
namespace {

constexpr double kPace = 10.0 / 16666.0;  // LocoNet: 600 us a byte

struct TrickleRig : LinkRig {
    explicit TrickleRig(int kind = 2) : LinkRig(kind) { OpenQuietly(kind == 2 ? 0 : 1); }

    // The bytes arrive one every `pace` seconds from `after` seconds on; returns
    // when the last one does. Then a wait as the reply wait runs until a frame
    // is complete in slot 0 or more than two seconds have passed.
    double Trickle(const std::string& bytes, double pace, double after = 0.001) {
        const double first = clock.Now() + after;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            serial.InjectAt(first + static_cast<double>(i) * pace, bytes.substr(i, 1));
        }
        return first + static_cast<double>(bytes.size() - 1) * pace;
    }
    long WaitForFrame() {
        link.rx().RxSlot = 0;
        const long before = pump.passes();
        const double start = clock.Now();
        while (link.rx().RxSlot != 1 && !(clock.Now() - start > 2.0)) {
            link.events().WaitPass(clock, start, 2.0);
        }
        return pump.passes() - before;
    }
    std::string Slot0() {
        const std::int16_t* slot = link.rx().RxFrames[0];
        return std::string(slot, slot + (link.rx().RxSlot == 1 ? 31 : link.rx().RxPos));
    }

    // One frame at the pace: the passes (wake-ups) its wait took, and how long
    // after its last byte arrived the wait saw it complete.
    std::pair<long, double> Take(int fill, double pace) {
        const double last = Trickle(Frame31(fill), pace);
        const long passes = WaitForFrame();
        EXPECT_EQ(Slot0(), Frame31(fill));
        return {passes, clock.Now() - last};
    }
    // Taken in two passes, no later than a quarter byte after the program's
    // own wake-up latency.
    bool TakenAtOnce(int fill, double pace) {
        const auto [passes, late] = Take(fill, pace);
        return passes <= 2 && late <= pace / 4 + serial.wakeLatency + 1e-9;
    }
    // Frames at the pace until one is taken at once; how many it took.
    int FramesToLearn(double pace) {
        for (int n = 1; n <= 20; ++n) {
            if (TakenAtOnce(n, pace)) return n;
        }
        return 99;
    }
};

class FrameWake : public ::testing::TestWithParam<int> {};

TEST_P(FrameWake, OnceThePaceIsKnownAFrameTricklingInWakesTheWaitTwice) {
    TrickleRig rig(GetParam());
    rig.serial.wakeLatency = 0.00005;
    rig.Trickle(Frame31(1), kPace);
    EXPECT_GE(rig.WaitForFrame(), 25);  // the first teaches the pace, waking for each byte
    rig.Take(2, kPace);                 // the first hold teaches the wake-up latency
    for (int fill = 3; fill < 6; ++fill) EXPECT_TRUE(rig.TakenAtOnce(fill, kPace)) << fill;
    // A frame that arrives at once is taken at once.
    const double at = rig.clock.Now() + 0.005;
    rig.serial.InjectAt(at, Frame31(7));
    EXPECT_EQ(rig.WaitForFrame(), 1);
    EXPECT_EQ(rig.clock.Now(), at + rig.serial.wakeLatency);
}

// Kind 2 takes all waiting bytes per receive event; kinds 0 and 1 one each.
INSTANTIATE_TEST_SUITE_P(ReadLengths, FrameWake, ::testing::Values(2, 1));

TEST(FrameWakeLimits, AWaitThatReachesItsLimitTakesTheHeldBytesBeforeItGivesUp) {
    TrickleRig rig;
    constexpr double kSlow = 0.005;  // a byte every 5 ms: holds of 150 ms
    rig.FramesToLearn(kSlow);
    // Seven bytes from 1.9 s into a 2 s wait on, then nothing.
    rig.Trickle(Frame31(2).substr(0, 7), kSlow, 1.9);
    const double start = rig.clock.Now();
    rig.WaitForFrame();
    EXPECT_GT(rig.serial.holds.back(), 0.1);  // the hold reached past the limit
    EXPECT_GT(rig.clock.Now() - start, 2.0);
    EXPECT_LT(rig.clock.Now() - start, 2.002);
    EXPECT_EQ(rig.Slot0(), Frame31(2).substr(0, 7));
    EXPECT_FALSE(rig.serial.holding());
}

TEST(FrameWakeLearning, ThePaceOutlastsASenderThatPausesNowAndThenAndFollowsALineThatChanges) {
    TrickleRig rig;
    rig.FramesToLearn(kPace);
    for (int n = 1; n <= 12; ++n) {
        if (n % 3 == 0) {
            // Ten bytes, 50 ms of silence, the rest.
            const std::string paused = Frame31(n);
            const double tenth = rig.Trickle(paused.substr(0, 10), kPace);
            rig.Trickle(paused.substr(10), kPace, tenth + 0.05 - rig.clock.Now());
            rig.WaitForFrame();
        } else {
            // Some frames probe the pace, waking for their last bytes.
            EXPECT_LE(rig.Take(n, kPace).second, kPace / 4 + 1e-9) << n;
        }
    }
    // Too fast a pace costs wakes for late bytes; too slow a one holds frames
    // past their end until a probe finds it.
    EXPECT_LE(rig.FramesToLearn(2 * kPace), 3);
    EXPECT_LE(rig.FramesToLearn(kPace / 2), 12);
}

}  // namespace
}  // namespace cv2::test
