// The backup procedure end to end against the simulated station: the file it
// leaves, what the window shows during and after the run, and the failure path
// for station errors, an unusable file and a port that does not open.
#include "app/backup_procedure.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "tests/backup/backup_rig.h"

namespace cv2 {
namespace {

using Bytes = std::vector<unsigned char>;
using testing::BackupRig;
using testing::ReadAll;

constexpr std::size_t kComplete = 574252;
const char* const kFailureTitle = "Fehler beim Speichern der Datenbank";

// The window is ready for the next try: both buttons and the menu usable, port closed.
void ExpectIdle(BackupRig& rig) {
    EXPECT_TRUE(rig.host.buttonsEnabled);
    EXPECT_TRUE(rig.host.dateiEnabled);
    EXPECT_FALSE(rig.serial.PortOpen());
    EXPECT_EQ(rig.host.calls.back(), "ClosePort");
}

TEST(BackupProcedure, ACompleteBackupIsTheStationsImageByteForByte) {
    BackupRig rig;
    bool lockedWhileRunning = false;
    rig.host.onComTxt = [&](const std::string& text) {
        if (text == " Booster")
            lockedWhileRunning = !rig.host.buttonsEnabled && !rig.host.dateiEnabled;
    };
    rig.backup.Run();

    const Bytes file = ReadAll(rig.path);
    ASSERT_EQ(file.size(), kComplete);
    EXPECT_TRUE(file == rig.sim.ExpectedBackup());
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_TRUE(lockedWhileRunning);
    EXPECT_EQ(rig.view.percent, "100%");
    EXPECT_EQ(rig.view.width, 3195);
    EXPECT_TRUE(std::regex_match(rig.host.comTxt, std::regex(" Zeit: [0-9]+(,[0-9]{1,2})? min")))
        << rig.host.comTxt;
    EXPECT_EQ(rig.sim.station().display(), "Datenbank lesen");
    EXPECT_FALSE(rig.sim.station().bootloaderActive());
    ExpectIdle(rig);
}

TEST(BackupProcedure, TheStatusLineNamesEachSectionInFileOrder) {
    BackupRig rig;
    rig.backup.Run();
    std::vector<std::string> texts;
    for (const std::string& c : rig.host.calls) {
        if (c.rfind("ComTxt=", 0) == 0) texts.push_back(c.substr(7));
    }
    ASSERT_EQ(texts.size(), 13u);
    const std::vector<std::string> sections(texts.begin(), texts.end() - 1);
    EXPECT_EQ(sections,
              (std::vector<std::string>{" Datenbank prüfen", " Datenbank Index", " Zusatzdaten ",
                                        " Lokdaten ", " Keyboard Gruppen", " Rückmelder Gruppen",
                                        " TALIX Gruppen", " Fahrstraßen Gruppen", " Booster",
                                        " Magnetartikel", " TALIX", " Fahrstraßen"}));
    EXPECT_EQ(rig.host.calls.front(), "Datei=0");
    EXPECT_EQ(rig.host.calls[1], "DisableButtons");
}

TEST(BackupProcedure, ALongerOldFileKeepsItsTail) {
    BackupRig rig;
    testing::WriteAll(rig.path, Bytes(kComplete + 100, 0xAB));
    rig.backup.Run();
    const Bytes file = ReadAll(rig.path);
    ASSERT_EQ(file.size(), kComplete + 100);
    const Bytes expected = rig.sim.ExpectedBackup();
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), file.begin()));
    EXPECT_EQ(Bytes(file.begin() + kComplete, file.end()), Bytes(100, 0xAB));
}

TEST(BackupProcedure, WithoutAFileTheSaveDialogAsksForOne) {
    BackupRig rig;
    rig.settings.BackupFileName.clear();
    rig.dialog.answers.push_back(rig.path);
    rig.backup.Run();
    ASSERT_EQ(rig.dialog.shown.size(), 1u);
    EXPECT_EQ(rig.dialog.shown[0].mode, FileDialogMode::Save);
    EXPECT_EQ(rig.dialog.shown[0].title, "Sicherungsdatei speichern...");
    EXPECT_EQ(ReadAll(rig.path).size(), kComplete);
}

TEST(BackupProcedure, ACancelledFileChoiceChangesNothing) {
    BackupRig rig;
    rig.settings.BackupFileName.clear();
    rig.backup.Run();
    EXPECT_EQ(rig.host.calls, (std::vector<std::string>{"LoadMenu"}));
    EXPECT_TRUE(rig.serial.log.empty());
    EXPECT_TRUE(rig.boxes.shown.empty());
}

TEST(BackupProcedure, AnotherDatabaseVersionStopsAfterTheSerialNumber) {
    station::StationOptions options = testing::InstantStation();
    options.faults.versionWord = 6;
    BackupRig rig(options);
    rig.backup.Run();
    const auto* box = rig.FailureBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text, "\rDatenbank ID lesen : \r keine gültige Version!\r");
    EXPECT_EQ(box->icon, BoxIcon::Critical);
    EXPECT_EQ(box->buttons, BoxButtons::Ok);
    const Bytes file = ReadAll(rig.path);
    ASSERT_EQ(file.size(), 4u);
    const std::uint32_t serial = rig.memory().Serial();
    EXPECT_EQ(
        file,
        (Bytes{static_cast<unsigned char>(serial >> 24), static_cast<unsigned char>(serial >> 16),
               static_cast<unsigned char>(serial >> 8), static_cast<unsigned char>(serial)}));
    EXPECT_EQ(rig.host.comTxt, " Datenbank prüfen");
    ExpectIdle(rig);
}

TEST(BackupProcedure, AFailureInTheRouteGroupsKeepsTheirNameInTheStatusLine) {
    BackupRig rig;
    rig.host.onComTxt = [&](const std::string& text) {
        if (text == " Fahrstraßen Gruppen") {
            rig.sim.station().options().faults.silentAfterRequests =
                rig.sim.station().requests() + 5;
        }
    };
    rig.backup.Run();
    const auto* box = rig.FailureBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text, "\rRead LongData: Timeout: kein Antwort auf LocoNet! \r");
    EXPECT_EQ(rig.host.comTxt, " Fahrstraßen Gruppen");
    EXPECT_TRUE(rig.sim.station().bootloaderActive());  // not told to leave it
    EXPECT_LT(ReadAll(rig.path).size(), 69516u);
    EXPECT_GT(ReadAll(rig.path).size(), 62348u);
    EXPECT_NE(rig.view.percent, "100%");
    ExpectIdle(rig);
}

TEST(BackupProcedure, ASilentFsModuleEndsTheRunWithTheDatabaseSaved) {
    station::StationOptions options = testing::InstantStation();
    options.faults.silentFsModule = true;
    BackupRig rig(options);
    rig.backup.Run();
    const auto* box = rig.FailureBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text, "\rFS Modul Prog. on: Modul antwortet nicht!\r");
    EXPECT_EQ(rig.host.comTxt, " Fahrstraßen");
    const Bytes file = ReadAll(rig.path);
    ASSERT_EQ(file.size(), 570252u);
    const Bytes expected = rig.sim.ExpectedBackup();
    EXPECT_TRUE(std::equal(file.begin(), file.end(), expected.begin()));
    ExpectIdle(rig);
}

TEST(BackupProcedure, APortThatDoesNotOpenCreatesNoFile) {
    BackupRig rig;
    rig.serial.openError = "Permission denied";
    rig.backup.Run();
    const auto* box = rig.FailureBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->icon, BoxIcon::Critical);
    EXPECT_FALSE(std::filesystem::exists(rig.path));
    EXPECT_EQ(rig.sim.station().requests(), 0);
    ExpectIdle(rig);
}

TEST(BackupProcedure, AnUnwritablePathIsReportedWithTheFileAndTheReason) {
    BackupRig rig;
    rig.settings.BackupFileName = rig.dir.File("no-such-folder/backup.CDF");
    rig.backup.Run();
    const auto* box = rig.FailureBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text, "Die Datei " + rig.settings.BackupFileName +
                             " kann nicht geschrieben werden: No such file or directory");
    EXPECT_EQ(rig.sim.station().requests(), 0);
    ExpectIdle(rig);
}

TEST(BackupProcedure, AFullDiskEndsTheRunThroughTheFailurePath) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    BackupRig rig;
    rig.settings.BackupFileName = "/dev/full";
    rig.backup.Run();
    const auto* box = rig.FailureBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text,
              "Die Datei /dev/full kann nicht geschrieben werden: No space left on device");
    // Stopped early: the station was not read to the end.
    EXPECT_LT(rig.sim.station().Count(station::Request::DataFlashRead), 100);
    ExpectIdle(rig);
}

}  // namespace
}  // namespace cv2
