// Backup and restore on a bus that other devices talk on and that loses an
// answer now and then: the file and the station's memory come out byte for
// byte as on a silent line, each lost answer costs one repeat, and frames that
// bunch up in one read (a busy machine) change nothing.
#include <gtest/gtest.h>

#include "tests/app/backup_rig.h"

namespace cv2 {
namespace {

using testing::BackupRig;
using testing::Bytes;

constexpr std::size_t kComplete = 574252;

station::StationOptions Busy(int traffic, int loseAnswer, double factor = 0) {
    station::StationOptions options = testing::InstantStation();
    options.faults.traffic = traffic;
    options.faults.loseAnswer = loseAnswer;
    if (factor > 0) {
        options.speed.instant = false;
        options.speed.factor = factor;
        options.speed.byteByByte = true;
    }
    return options;
}

// What the program counted against what the station did: every lost answer
// was asked for once more, and the other devices' messages were seen (those
// that came while the line was drained or the port closed excepted).
void ExpectCounted(BackupRig& rig) {
    const LineTally& tally = rig.device.frames().tally();
    const station::CommandStation& s = rig.station();
    EXPECT_EQ(tally.repeats + tally.fsRetries, s.answersLost());
    EXPECT_LE(tally.foreignFrames, s.foreignFrames());
    EXPECT_GE(tally.foreignFrames, s.foreignFrames() * 9 / 10);
    EXPECT_GT(s.foreignFrames(), 0);
}

TEST(LiveLocoNet, ABackupAmongOtherDevicesAndLostAnswersIsTheStationsImage) {
    for (const double factor : {0.0, 10.0}) {
        SCOPED_TRACE(factor);
        BackupRig rig(Busy(50, 500, factor));
        EXPECT_EQ(rig.backup.Run().outcome, Outcome::Done);
        const Bytes file = testing::ReadAll(rig.path);
        EXPECT_TRUE(file == rig.sim.ExpectedBackup());
        EXPECT_GT(rig.station().answersLost(), 50);
        ExpectCounted(rig);
    }
}

TEST(LiveLocoNet, ARestoreAmongOtherDevicesWritesTheFileAsOnASilentLine) {
    // Onto another station, so the target's identity goes into the data on the way.
    station::StationOptions source = testing::InstantStation();
    source.seed = 7;
    const Bytes file = BackupRig(source).sim.ExpectedBackup();
    station::StationOptions silentOptions = testing::InstantStation();
    station::StationOptions busyOptions = Busy(50, 500);
    silentOptions.identity = busyOptions.identity = 1;
    BackupRig silent(silentOptions), busy(busyOptions);
    for (BackupRig* rig : {&silent, &busy}) {
        testing::WriteAll(rig->path, file);
        EXPECT_EQ(rig->Restore(rig->path).outcome, Outcome::Done);
    }
    EXPECT_TRUE(busy.sim.ExpectedBackup() == silent.sim.ExpectedBackup());
    ExpectCounted(busy);
}

TEST(LiveLocoNet, AnAnswerJustAfterTheLimitDoesNotShiftTheBlocksThatFollow) {
    // Request 200 is a block read deep in the locomotives: its answer comes
    // 2.05 s after it, when the program has already given up on it.
    station::StationOptions options = testing::InstantStation();
    options.faults.lateAnswerAt = 200;
    options.faults.lateBy = 2.05;
    BackupRig rig(options);
    EXPECT_EQ(rig.backup.Run().outcome, Outcome::Done);
    EXPECT_TRUE(testing::ReadAll(rig.path) == rig.sim.ExpectedBackup());
    EXPECT_EQ(rig.device.frames().tally().repeats, 1);
}

// A busy machine: the program does not look at the port for 0.3 s right after
// its first frame, so the echo, the acknowledge and the boot confirmation
// arrive in one read.
TEST(LiveLocoNet, FramesThatBunchUpInOneReadChangeNothing) {
    for (const bool restore : {false, true}) {
        SCOPED_TRACE(restore);
        station::StationOptions options = testing::InstantStation();
        options.speed.instant = false;  // at wire speed: each frame at its own time
        BackupRig rig(options);
        bool paused = false;
        rig.pump.onPass = [&] {
            if (paused || rig.serial.writes.empty()) return;
            paused = true;
            rig.clock.Advance(0.3);
        };
        if (restore) {
            testing::WriteAll(rig.path, rig.sim.ExpectedBackup());
            EXPECT_EQ(rig.Restore(rig.path).outcome, Outcome::Done);
        } else {
            EXPECT_EQ(rig.backup.Run().outcome, Outcome::Done);
            EXPECT_TRUE(testing::ReadAll(rig.path) == rig.sim.ExpectedBackup());
        }
        EXPECT_TRUE(paused);
        EXPECT_EQ(rig.device.frames().tally().repeats, 0);
    }
}

// More lost answers than a run may repeat end it with the count in the box;
// the earlier file stays as it was.
TEST(LiveLocoNet, TooManyLostAnswersEndTheRunAndSayHowMany) {
    BackupRig rig(Busy(0, 20));
    testing::WriteAll(rig.path, Bytes(kComplete, 0x5A));
    const ProcedureResult result = rig.backup.Run();
    EXPECT_EQ(result.outcome, Outcome::Failed);
    EXPECT_EQ(result.status % 100, kAnswersLost);
    ASSERT_FALSE(rig.boxes.shown.empty());
    EXPECT_NE(rig.boxes.shown.back().text.find("101 Antworten der Zentrale gingen verloren"),
              std::string::npos)
        << rig.boxes.shown.back().text;
    EXPECT_TRUE(testing::ReadAll(rig.path) == Bytes(kComplete, 0x5A));
}

}  // namespace
}  // namespace cv2
