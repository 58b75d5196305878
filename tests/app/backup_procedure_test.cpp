// The backup procedure end to end against the simulated station: the file it
// leaves, what the window shows during and after the run (the elapsed time
// among it), the failure path for station errors, an unusable file and a port
// that does not open.
#include "app/backup_procedure.h"

#include <gtest/gtest.h>

#include <optional>

#include "app/elapsed_time.h"
#include "tests/app/backup_rig.h"

namespace cv2 {
namespace {

using testing::BackupRig;
using testing::Bytes;
using testing::ReadAll;

constexpr std::size_t kComplete = 574252;

// After a failure: the box as it must look, and the window ready for the next try.
void ExpectFailure(BackupRig& rig, const std::string& text) {
    ASSERT_FALSE(rig.boxes.shown.empty());
    const auto& box = rig.boxes.shown.back();  // the link set-up may have shown one before
    EXPECT_EQ(box.title, "Fehler beim Speichern der Datenbank");
    EXPECT_EQ(box.text, text);
    EXPECT_TRUE(box.icon == BoxIcon::Critical && box.buttons == BoxButtons::Ok);
    EXPECT_TRUE(rig.host.buttons && rig.host.datei);
    EXPECT_FALSE(rig.serial.PortOpen());
    EXPECT_EQ(rig.host.calls.back(), "ClosePort");
}

TEST(BackupProcedure, ACompleteBackupIsTheStationsImageByteForByte) {
    BackupRig rig;
    std::vector<std::string> sections;
    rig.host.onComTxt = [&](const std::string& text) {
        sections.push_back(text);
        if (text.rfind(" Zeit", 0) != 0) {
            EXPECT_FALSE(rig.host.buttons || rig.host.datei) << text;
        }
    };
    testing::WriteAll(rig.path, Bytes(kComplete + 100, 0xAB));  // an old, longer file
    rig.backup.Run();

    const Bytes file = ReadAll(rig.path);
    ASSERT_EQ(file.size(), kComplete + 100);
    EXPECT_TRUE(Bytes(file.begin(), file.begin() + kComplete) == rig.sim.ExpectedBackup());
    EXPECT_EQ(Bytes(file.begin() + kComplete, file.end()), Bytes(100, 0xAB));
    sections.pop_back();  // the elapsed time, checked below
    EXPECT_EQ(sections,
              (std::vector<std::string>{" Datenbank prüfen", " Datenbank Index", " Zusatzdaten ",
                                        " Lokdaten ", " Keyboard Gruppen", " Rückmelder Gruppen",
                                        " TALIX Gruppen", " Fahrstraßen Gruppen", " Booster",
                                        " Magnetartikel", " TALIX", " Fahrstraßen"}));
    EXPECT_TRUE(rig.host.comTxt.starts_with(" Zeit: ") && rig.host.comTxt.ends_with(" min"))
        << rig.host.comTxt;
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.host.percent, "100%");
    EXPECT_EQ(rig.station().display(), "Datenbank lesen");
    EXPECT_FALSE(rig.station().bootloaderActive());
    EXPECT_TRUE(rig.host.buttons && rig.host.datei);
    EXPECT_FALSE(rig.serial.PortOpen());
}

TEST(BackupProcedure, WithoutAFileTheSaveDialogAsksAndACancelChangesNothing) {
    BackupRig rig;
    rig.settings.BackupFileName.clear();
    rig.backup.Run();
    EXPECT_EQ(rig.host.calls, (std::vector<std::string>{"LoadMenu"}));
    EXPECT_TRUE(rig.serial.log.empty());

    rig.dialog.answers.push_back(rig.path);
    rig.backup.Run();
    EXPECT_EQ(ReadAll(rig.path).size(), kComplete);
}

// A failure before the database is read: the box names the step, and no file
// appears where there was none.
TEST(BackupProcedure, AFailureBeforeTheDatabaseCreatesNoFile) {
    struct Row {
        std::optional<std::uint32_t> versionWord;
        std::optional<station::Request> silent;
        const char* text;
    } rows[] = {
        {6, {}, "\rDatenbank ID lesen : \r keine gültige Version!\r"},
        {{}, station::Request::Display, "\rDisplay löschen: Timeout: kein Antwort auf LocoNet! \r"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        station::StationOptions options = testing::InstantStation();
        options.faults.versionWord = row.versionWord;
        options.faults.silentRequest = row.silent;
        BackupRig rig(options);
        rig.backup.Run();
        ExpectFailure(rig, row.text);
        EXPECT_FALSE(std::filesystem::exists(rig.path));
        EXPECT_FALSE(std::filesystem::exists(StagedFile::StagingName(rig.path)));
        EXPECT_EQ(rig.host.comTxt, " Datenbank prüfen");
    }
}

// A backup that fails half-way must not cost the user the last good one.
TEST(BackupProcedure, AFailureInTheRouteGroupsKeepsTheirNameAndThePreviousFile) {
    BackupRig rig;
    rig.host.onComTxt = [&](const std::string& text) {
        if (text == " Fahrstraßen Gruppen")
            rig.station().options().faults.silentAfterRequests = rig.station().requests() + 5;
    };
    const Bytes previous(kComplete, 0x5C);
    testing::WriteAll(rig.path, previous);
    rig.backup.Run();
    ExpectFailure(rig, "\rRead LongData: Timeout: kein Antwort auf LocoNet! \r");
    EXPECT_EQ(rig.host.comTxt, " Fahrstraßen Gruppen");
    EXPECT_TRUE(rig.station().bootloaderActive());  // not told to leave it
    EXPECT_TRUE(ReadAll(rig.path) == previous);
    EXPECT_FALSE(std::filesystem::exists(StagedFile::StagingName(rig.path)));
}

// Every section read and only the bootloader's end unanswered: the backup is
// complete and right, so it takes the old file's place; the run still fails,
// saying that the backup is saved and the station wants switching off and on.
TEST(BackupProcedure, OnlyTheBootloaderEndFailingKeepsTheCompleteBackup) {
    station::StationOptions options = testing::InstantStation();
    options.faults.silentRequest = station::Request::BootloaderEnd;
    BackupRig rig(options);
    testing::WriteAll(rig.path, Bytes(kComplete, 0x5C));
    const ProcedureResult result = rig.backup.Run();
    EXPECT_EQ(result.outcome, Outcome::Failed);
    EXPECT_EQ(result.status, Code(Step::BootloaderEnd, Kind::None, Detail::TimedOut));
    ExpectFailure(rig,
                  "\rBootloader beenden: Timeout: kein Antwort auf LocoNet! \rDie Sicherung "
                  "ist vollständig in " +
                      rig.path +
                      " gespeichert. Die CV2 ist vielleicht noch im Bootloader: bitte aus- "
                      "und wieder einschalten.\r");
    EXPECT_TRUE(ReadAll(rig.path) == rig.sim.ExpectedBackup());
    EXPECT_FALSE(std::filesystem::exists(StagedFile::StagingName(rig.path)));
}

TEST(BackupProcedure, APortOrFileThatFailsIsNamedAndEndsTheRun) {
    BackupRig noPort;
    noPort.serial.openError = "Permission denied";
    EXPECT_EQ(noPort.backup.Run().status, 1);
    // One box, the procedure's, naming the port and the reason.
    EXPECT_EQ(noPort.boxes.shown.size(), 1u);
    ExpectFailure(noPort, "Die Schnittstelle " + noPort.serial.CommPort() +
                              " kann nicht geöffnet werden: Permission denied");
    EXPECT_FALSE(std::filesystem::exists(noPort.path));

    // The serial interface's port restriction is its own box; none follows it.
    BackupRig com3;
    com3.settings.Interface = InterfaceKind::SerialInterface;
    com3.settings.ComPort = ComPortSetting::Number(3);
    EXPECT_EQ(com3.backup.Run().status, 1);
    ASSERT_EQ(com3.boxes.shown.size(), 1u);
    EXPECT_EQ(com3.boxes.shown[0].text,
              "Sie können das LocoNet-Interface nur mit Comport 1 oder Comport 2 benutzen!");
    // A hint under the program's name, not the failure box.
    EXPECT_EQ(com3.boxes.shown[0].title, "CV2 Sicherung");
    EXPECT_TRUE(com3.boxes.shown[0].icon == BoxIcon::Exclamation &&
                com3.boxes.shown[0].buttons == BoxButtons::Ok);

    // A file that cannot be written is named with the system's reason.
    BackupRig rig;
    rig.settings.BackupFileName = rig.dir.File("no-such-folder/backup.CDF");
    rig.backup.Run();
    ExpectFailure(rig, "Die Datei " + rig.settings.BackupFileName +
                           " kann nicht geschrieben werden: Datei oder Ordner gibt es nicht");
    EXPECT_EQ(rig.station().requests(), 0);

    // The system's full disk; a fault that took it for a file would replace it.
    if (!std::filesystem::is_character_file("/dev/full")) return;
    BackupRig full;
    full.settings.BackupFileName = "/dev/full";
    full.backup.Run();
    ExpectFailure(full,
                  "Die Datei /dev/full kann nicht geschrieben werden: der Datenträger ist voll");
    // Stopped as soon as the disk refused, not at the end of the database.
    EXPECT_LT(full.station().Count(station::Request::DataFlashRead), 100);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

// Ctrl-C or the system ending the program, at different points of a backup
// and a restore: nothing more is sent (but one programming-off for a module
// that may have been switched on), the station is not told to leave its
// bootloader, no box, the port closed, and a backup's old file whole.
TEST(CancelledRun, StopsSendingAndLeavesTheFileAndTheModuleAsTheyWere) {
    using station::Request;
    struct Row {
        const char* what;
        bool restore;
        const char* atStatus;  // cancel when the status line shows this, or
        Request atRequest;     // when this request has come the n-th time
        int n;
        bool silentFs;
        int progOffs;       // programming-off frames sent after the cancel
        StatusCode status;  // the step it stopped in
    };
    // Cancelled in the step.
    constexpr auto In = [](Step step) { return Code(step, Kind::None, Detail::Cancelled); };
    const Row rows[] = {
        {"backup before the bootloader start", false, " Datenbank prüfen", {}, 0, false, 0, In(Step::BootloaderStart)},
        {"backup in the locomotives", false, " Lokdaten ", {}, 0, false, 0, In(Step::ReadLongData)},
        {"backup in a silent module's first attempt", false, nullptr, Request::FsProgOn, 1, true, 1,
         In(Step::FsProgOn)},
        {"backup as the module is switched on", false, nullptr, Request::FsProgOn, 1, false, 1,
         In(Step::FsRead)},
        {"backup reading the module", false, nullptr, Request::FsReadEntry, 3, false, 1,
         In(Step::FsRead)},
        {"restore in the accessories", true, " Magnetartikel", {}, 0, false, 0, In(Step::WritePage)},
        {"restore writing the module", true, nullptr, Request::FsWriteEntry, 3, false, 1,
         In(Step::FsWrite)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        station::StationOptions options = testing::InstantStation();
        options.faults.silentFsModule = row.silentFs;
        BackupRig rig(options);
        // A restore's file is the station's own content; a backup's an older file.
        const Bytes previous = row.restore ? rig.sim.ExpectedBackup() : Bytes(kComplete, 0x5C);
        testing::WriteAll(rig.path, previous);
        int sentBefore = -1;
        auto cancel = [&] {
            if (sentBefore >= 0) return;
            sentBefore = rig.station().requests();
            rig.link.cancellation().Request();
        };
        if (row.atStatus) {
            rig.host.onComTxt = [&](const std::string& text) {
                if (text == row.atStatus) cancel();
            };
        } else {
            rig.serial.onOutput = [&, forward = rig.serial.onOutput](const std::string& bytes) {
                forward(bytes);
                if (rig.station().Count(row.atRequest) == row.n) cancel();
            };
        }
        const ProcedureResult result = row.restore ? rig.Restore(rig.path) : rig.backup.Run();

        EXPECT_EQ(result.outcome, Outcome::Cancelled);
        EXPECT_EQ(result.status, row.status);
        ASSERT_GE(sentBefore, 0);
        EXPECT_EQ(rig.station().requests() - sentBefore, row.progOffs);
        EXPECT_EQ(rig.station().Count(Request::FsProgOff), row.progOffs);
        // A silent module takes no programming-off either: only the others are checked.
        EXPECT_TRUE(row.silentFs || !rig.station().fsProgramming());
        EXPECT_EQ(rig.station().Count(Request::BootloaderEnd), 0);
        EXPECT_EQ(rig.boxes.shown.size(), row.restore ? 1u : 0u);  // the overwrite question
        EXPECT_TRUE(rig.host.buttons && rig.host.datei);
        EXPECT_FALSE(rig.serial.PortOpen());
        EXPECT_TRUE(ReadAll(rig.path) == previous);
        EXPECT_FALSE(std::filesystem::exists(StagedFile::StagingName(rig.path)));
    }
}

TEST(ElapsedMinutes, RoundsToTwoDecimalsWithTiesToEven) {
    EXPECT_DOUBLE_EQ(ElapsedMinutes(1000.0, 1740.4), 12.34);
    EXPECT_DOUBLE_EQ(ElapsedMinutes(1000.0, 1007.5), 0.12);  // 0.125
    EXPECT_DOUBLE_EQ(ElapsedMinutes(1000.0, 1022.5), 0.38);  // 0.375
}

}  // namespace
}  // namespace cv2
