// The restore end to end against the simulated station: a file brought back
// into the station that made it and into another one, the questions and what
// a No leaves behind, files refused before the port opens, and a failure in the
// middle of the database with the next try after it.
#include "app/restore_procedure.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/backup/backup_rig.h"

namespace cv2 {
namespace {

using testing::BackupRig;
using testing::Bytes;

constexpr std::size_t kComplete = 574252;
constexpr std::size_t kIdTable = 44;     // two pages of 16 records
constexpr std::size_t kRoutes = 471948;  // 256 pages of 8 routes of 3 records
constexpr std::size_t kLocos = 844;
constexpr std::size_t kAccessories = 78732;
constexpr const char* kTitle = "Fehler beim Laden der Datenbank";

// Station options with another serial number, identity bytes and FS key.
station::StationOptions OtherStation() {
    station::StationOptions options = testing::InstantStation();
    options.identity = 1;
    return options;
}

// A complete backup of a station seeded differently from the rig's.
Bytes BackupOfAnotherSeed(std::uint32_t seed, int identity = 0) {
    station::StationOptions options = testing::InstantStation();
    options.seed = seed;
    options.identity = identity;
    BackupRig source(options);
    return source.sim.ExpectedBackup();
}

int Writes(BackupRig& rig) {
    using station::Request;
    return rig.station().Count(Request::WriteBlock) + rig.station().Count(Request::DataFlashWrite) +
           rig.station().Count(Request::SamFlashWrite);
}

void ExpectReady(BackupRig& rig) {
    EXPECT_TRUE(rig.host.buttons && rig.host.datei);
    EXPECT_FALSE(rig.serial.PortOpen());
}

TEST(RestoreProcedure, TheStationThatMadeTheFileGetsItBackByteForByte) {
    BackupRig rig;
    const Bytes file = BackupOfAnotherSeed(7);  // same identity, other content
    ASSERT_NE(file, rig.sim.ExpectedBackup());
    // A longer file is used up to the size of a backup.
    Bytes longer = file;
    longer.resize(kComplete + 4096, 0x11);
    testing::WriteAll(rig.path, longer);
    std::vector<std::string> texts;
    rig.host.onComTxt = [&](const std::string& text) {
        texts.push_back(text);
        // The restore leaves the "Datei" menu usable; the buttons are off.
        if (!text.starts_with(" Zeit")) {
            EXPECT_TRUE(!rig.host.buttons && rig.host.datei) << text;
        }
    };

    const ProcedureResult result = rig.Restore(rig.path);

    EXPECT_EQ(result.outcome, Outcome::Done);
    EXPECT_TRUE(rig.sim.ExpectedBackup() == file);
    ASSERT_EQ(rig.boxes.shown.size(), 1u);  // only the overwrite question
    const auto& question = rig.boxes.shown[0];
    EXPECT_EQ(question.text, " Soll die aktive Datenbank in der CV-2 überschrieben werden?");
    EXPECT_EQ(question.title, "CV-2 - Sicherung");
    EXPECT_TRUE(question.buttons == BoxButtons::YesNo && question.icon == BoxIcon::None);
    // The open dialog starts on the file in use.
    const auto& dialog = rig.dialog.shown.back();
    EXPECT_TRUE(dialog.title == "Sicherungsdatei öffnen..." && dialog.preset == rig.path &&
                dialog.mode == FileDialogMode::Open);
    texts.pop_back();
    EXPECT_EQ(texts, (std::vector<std::string>{" Datenbank prüfen", " Datenbank Index",
                                               " Zusatzdaten ", " Lokdaten", " Keyboard Gruppen",
                                               " Rückmelder Gruppen", " TALIX Gruppen",
                                               " Fahrstraßen Gruppen", " Booster", " Magnetartikel",
                                               " Rückmelder", " TALIX", " Fahrstraßen"}));
    EXPECT_TRUE(rig.host.comTxt.starts_with(" Zeit: ") && rig.host.comTxt.ends_with(" min"));
    EXPECT_EQ(rig.host.percent, "100%");
    EXPECT_EQ(rig.station().display(), "Datenbank schreiben");
    EXPECT_FALSE(rig.station().bootloaderActive());
    ExpectReady(rig);
    EXPECT_EQ(testing::ReadAll(rig.path), longer);  // the backup file itself is left alone
    // The extra data pages carry the file's 16 bytes in front of the 0xFF preset.
    for (int page = 8180; page <= 8191; ++page) {
        if (page == 8182) continue;
        const auto bytes = rig.memory().DataPage(page);
        EXPECT_TRUE(std::all_of(bytes.begin() + 16, bytes.begin() + 48, [](std::uint8_t b) {
            return b == 0xFF;
        })) << page;
    }
}

TEST(RestoreProcedure, AnotherStationsFileCarriesTheTargetsIdentityAndFsKey) {
    Bytes file = BackupOfAnotherSeed(7);
    // Page 965's ID table is empty: its identity bytes must stay 0xFF.
    std::fill_n(file.begin() + kIdTable + 256, 4, 0xFF);
    BackupRig rig(OtherStation());
    ASSERT_NE(rig.memory().Serial(), BackupRig().memory().Serial());
    testing::WriteAll(rig.path, file);

    EXPECT_EQ(rig.Restore(rig.path).outcome, Outcome::Done);

    ASSERT_EQ(rig.boxes.shown.size(), 2u);
    const auto& achtung = rig.boxes.shown[1];
    EXPECT_EQ(achtung.text,
              "Die CentrovaII hat eine andere Serienummer, \rwie die im Datenfile abgespeicherte "
              "Seriennummer!\r Sollen die Daten in dieser Centrova überschrieben werden? ");
    EXPECT_EQ(achtung.title, "Achtung");
    EXPECT_TRUE(achtung.buttons == BoxButtons::YesNo && achtung.icon == BoxIcon::Critical);

    Bytes expected = file;
    const std::uint32_t serial = rig.memory().Serial();
    for (int i = 0; i < 4; ++i) expected[i] = (serial >> (24 - 8 * i)) & 0xFF;
    const auto identity = rig.memory().IdentityBytes();
    std::copy(identity.begin(), identity.end(), expected.begin() + kIdTable);
    const std::uint16_t key = rig.memory().fsKey;
    int patched = 0;
    for (std::size_t r = 1; r < 256 * 24; r += 3, ++patched) {
        expected[kRoutes + 16 * r + 14] = key & 0xFF;
        expected[kRoutes + 16 * r + 15] = key >> 8;
    }
    EXPECT_EQ(patched, 2048);
    const Bytes after = rig.sim.ExpectedBackup();
    ASSERT_EQ(after.size(), expected.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        ASSERT_EQ(after[i], expected[i]) << "file offset " << i;
    }
}

TEST(RestoreProcedure, ANoLeavesTheStationAsItWas) {
    struct Row {
        const char* what;
        std::deque<BoxAnswer> answers;
        bool portUsed;
    };
    const Row rows[] = {
        {"overwrite question", {BoxAnswer::No}, false},
        {"other station's file", {BoxAnswer::Yes, BoxAnswer::No}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        BackupRig rig(OtherStation());
        const Bytes before = rig.sim.ExpectedBackup();
        testing::WriteAll(rig.path, BackupOfAnotherSeed(7));
        rig.boxes.answers = row.answers;
        EXPECT_EQ(rig.Restore(rig.path).outcome, Outcome::Declined);
        EXPECT_EQ(rig.boxes.shown.size(), row.answers.size());  // no failure box
        EXPECT_EQ(Writes(rig), 0);
        EXPECT_TRUE(rig.sim.ExpectedBackup() == before);
        EXPECT_EQ(!rig.serial.log.empty(), row.portUsed);
        ExpectReady(rig);
    }
}

TEST(RestoreProcedure, AFileThatCannotBeABackupIsRefusedBeforeThePortOpens) {
    BackupRig rig;
    const std::string folder = rig.dir.File("ordner.CDF");
    std::filesystem::create_directory(folder);
    const std::string shortFile = rig.dir.File("kurz.CDF");
    testing::WriteAll(shortFile, Bytes(kComplete - 1, 5));
    const std::string empty = rig.dir.File("leer.CDF");
    testing::WriteAll(empty, {});
    struct Row {
        std::string path, text;
    };
    const Row rows[] = {
        {shortFile, "Die Datei " + shortFile +
                        " ist keine vollständige Sicherung: sie hat 574.251 Bytes, eine Sicherung "
                        "hat 574.252 Bytes."},
        {empty, "Die Datei " + empty +
                    " ist keine vollständige Sicherung: sie hat 0 Bytes, eine Sicherung hat "
                    "574.252 Bytes."},
        {folder, "Die Datei " + folder + " kann nicht gelesen werden: das ist ein Ordner"},
        {rig.dir.File("fehlt.CDF"), "Die Datei " + rig.dir.File("fehlt.CDF") +
                                        " kann nicht gelesen werden: Datei oder Ordner gibt es "
                                        "nicht"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        rig.boxes.shown.clear();
        const ProcedureResult result = rig.Restore(row.path);
        EXPECT_EQ(result.outcome, Outcome::FileUnusable);
        ASSERT_EQ(rig.boxes.shown.size(), 1u);  // no question before it
        EXPECT_EQ(rig.boxes.shown[0].text, row.text);
        EXPECT_EQ(rig.boxes.shown[0].title, kTitle);
        EXPECT_TRUE(rig.serial.log.empty());
        ExpectReady(rig);
    }
}

TEST(RestoreProcedure, AFailureEndsTheRunWithOneBoxAndLeavesLaterSectionsUntouched) {
    // A file whose first version word is 4 stops before anything is written.
    {
        BackupRig rig;
        Bytes file = BackupOfAnotherSeed(7);
        file[7] = 4;
        testing::WriteAll(rig.path, file);
        const ProcedureResult result = rig.Restore(rig.path);
        EXPECT_EQ(result.status, 140099);
        EXPECT_EQ(rig.boxes.shown.back().text,
                  "\rDatenbank Version im Backup File: keine gültige Version!\r");
        EXPECT_EQ(Writes(rig), 0);
        ExpectReady(rig);
    }
    // A write refused in the boosters: the sections behind them keep their content.
    {
        BackupRig rig;
        const Bytes before = rig.sim.ExpectedBackup();
        const Bytes file = BackupOfAnotherSeed(7);
        testing::WriteAll(rig.path, file);
        rig.host.onComTxt = [&](const std::string& text) {
            if (text == " Booster") rig.station().options().faults.refuseWrite = Writes(rig) + 3;
        };
        const ProcedureResult result = rig.Restore(rig.path);
        EXPECT_EQ(result.status / 10000, 22);
        EXPECT_NE(result.status % 10000, 0);
        const auto& box = rig.boxes.shown.back();
        EXPECT_EQ(box.title, kTitle);
        EXPECT_EQ(box.text, ErrorText(result.status));
        EXPECT_NE(box.text.find("Write LongData:"), std::string::npos);
        EXPECT_EQ(rig.host.comTxt, " Booster");
        const Bytes after = rig.sim.ExpectedBackup();
        EXPECT_TRUE(std::equal(after.begin() + kLocos, after.begin() + kLocos + 40000,
                               file.begin() + kLocos));  // written before the failure
        EXPECT_TRUE(
            std::equal(after.begin() + kAccessories, after.end(), before.begin() + kAccessories));
        ExpectReady(rig);
        // The next try, with the station answering again, brings the whole file in.
        rig.host.onComTxt = nullptr;
        rig.station().options().faults.refuseWrite = 0;
        EXPECT_EQ(rig.Restore(rig.path).outcome, Outcome::Done);
        EXPECT_TRUE(rig.sim.ExpectedBackup() == file);
    }
}

}  // namespace
}  // namespace cv2
