// The restore end to end against the simulated station: a file brought back
// into the station that made it and into another one, the requests that carry
// it, the questions and what a No leaves behind, files refused before the
// port opens, and failures with what they leave in the station.
#include "app/restore_procedure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>

#include "device/error_text.h"
#include "tests/app/backup_rig.h"

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
    Bytes file = BackupOfAnotherSeed(7);  // same serial number, other content
    // Identity bytes and route keys unlike the station's: from the same
    // station, the file is not adapted to it.
    for (int i = 0; i < 4; ++i) file[kIdTable + i] ^= 0x11;
    file[kRoutes + 16 + 14] ^= 0x22;
    ASSERT_NE(file, rig.sim.ExpectedBackup());
    // A longer file is used up to the size of a backup.
    Bytes longer = file;
    longer.resize(kComplete + 4096, 0x11);
    testing::WriteAll(rig.path, longer);
    std::vector<std::string> texts;
    rig.host.onComTxt = [&](const std::string& text) {
        texts.push_back(text);
        // What happens to the file during the run does not reach the station.
        if (text == " Lokdaten") std::filesystem::resize_file(rig.path, 1000);
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
    // The module is not asked for its key before the database is written.
    const auto& log = rig.station().log();
    const auto firstWrite = std::find_if(log.begin(), log.end(), [](const auto& r) {
        return r.request == station::Request::SamFlashWrite;
    });
    EXPECT_TRUE(std::none_of(log.begin(), firstWrite, [](const auto& r) {
        return r.request >= station::Request::FsProgOn;
    }));
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
    testing::WriteAll(rig.path, file);

    EXPECT_EQ(rig.Restore(rig.path).outcome, Outcome::Done);

    ASSERT_EQ(rig.boxes.shown.size(), 2u);  // a serial number unlike the file's
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
    for (std::size_t r = 1; r < 256 * 24; r += 3) {  // the second record of each route
        expected[kRoutes + 16 * r + 14] = key & 0xFF;
        expected[kRoutes + 16 * r + 15] = key >> 8;
    }
    const Bytes after = rig.sim.ExpectedBackup();
    const auto differs = std::ranges::mismatch(after, expected).in1;
    EXPECT_TRUE(after == expected) << "file offset " << differs - after.begin();
}

// A restore that does not go ahead writes nothing: a No to either question,
// or a file that cannot be a backup, refused before the port opens and before
// any question.
TEST(RestoreProcedure, ANoOrAFileThatCannotBeABackupLeavesTheStationAsItWas) {
    testing::TempDir dir;
    const std::string other = dir.File("andere.CDF"), version4 = dir.File("version4.CDF"),
                      shortFile = dir.File("kurz.CDF"), folder = dir.File("ordner.CDF"),
                      missing = dir.File("fehlt.CDF"), oneByte = dir.File("ein.CDF");
    Bytes file = BackupOfAnotherSeed(7);
    testing::WriteAll(other, file);
    file[7] = 4;  // the first version word
    testing::WriteAll(version4, file);
    testing::WriteAll(shortFile, Bytes(kComplete - 1, 5));
    testing::WriteAll(oneByte, Bytes(1, 5));
    std::filesystem::create_directory(folder);
    struct Row {
        std::string path;
        std::deque<BoxAnswer> answers;
        StatusCode status;
        std::string text;  // the failure box; none after a No
    };
    const Row rows[] = {
        // clang-format off
        {other, {BoxAnswer::No}, 0, ""},
        {other, {BoxAnswer::Yes, BoxAnswer::No}, 0, ""},
        {version4, {}, Code(Step::FileVersion, Kind::None, Detail::InvalidVersion),
         "\rDatenbank Version im Backup File: keine gültige Version!\r"},
        {shortFile, {}, 0, "Die Datei " + shortFile + " ist keine vollständige Sicherung: sie hat "
                           "574.251 Bytes, eine Sicherung hat 574.252 Bytes."},
        {oneByte, {}, 0, "Die Datei " + oneByte + " ist keine vollständige Sicherung: sie hat "
                         "1 Byte, eine Sicherung hat 574.252 Bytes."},
        {folder, {}, 0, "Die Datei " + folder + " kann nicht gelesen werden: das ist ein Ordner"},
        {missing, {}, 0,
         "Die Datei " + missing + " kann nicht gelesen werden: Datei oder Ordner gibt es nicht"},
        // clang-format on
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path + " " + std::to_string(row.answers.size()));
        BackupRig rig(OtherStation());
        const Bytes before = rig.sim.ExpectedBackup();
        rig.boxes.answers = row.answers;
        const ProcedureResult result = rig.Restore(row.path);
        EXPECT_EQ(result.outcome, row.text.empty() ? Outcome::Declined : Outcome::FileUnusable);
        EXPECT_EQ(result.status, row.status);
        ASSERT_EQ(rig.boxes.shown.size(), row.answers.size() + (row.text.empty() ? 0 : 1));
        if (!row.text.empty()) {
            EXPECT_EQ(rig.boxes.shown[0].text, row.text);
            EXPECT_EQ(rig.boxes.shown[0].title, kTitle);
        }
        EXPECT_EQ(Writes(rig), 0);
        EXPECT_TRUE(rig.sim.ExpectedBackup() == before);
        // Only the serial number, for the second question, takes the port.
        EXPECT_EQ(rig.serial.log.empty(), row.answers.size() < 2);
        ExpectReady(rig);
    }
}

// The requests that carry the file, for pages of each shape: a used and an
// unused locomotive page (only the first record of an unused one is sent),
// an ID table page, the single-record pages of the extra data behind their
// preset, and a page of routes.
TEST(RestoreProcedure, EachRecordGoesToTheOffsetItWasReadFrom) {
    using station::Request;
    using Logged = station::CommandStation::Logged;
    BackupRig rig;
    Bytes file = rig.sim.ExpectedBackup();
    file[kLocos + 3] = 0x01;           // page 7501 in use (tag 0x00 on the upper six bits)
    file[kLocos + 5 * 16 + 3] = 0xFF;  // page 7502 unused
    testing::WriteAll(rig.path, file);
    ASSERT_EQ(rig.Restore(rig.path).outcome, Outcome::Done);
    // The requests from the first one equal to `at` on (skipping it unless
    // `including`), as many as expected holds.
    const auto& log = rig.station().log();
    auto slice = [&](Logged at, bool including, const std::vector<Logged>& expected) {
        auto begin = std::find(log.begin(), log.end(), at);
        if (begin != log.end() && !including) ++begin;
        if (log.end() - begin < std::ssize(expected)) return std::vector<Logged>{};
        return std::vector<Logged>(begin, begin + std::ssize(expected));
    };
    auto pages = [](std::initializer_list<std::pair<std::vector<int>, Logged>> list) {
        std::vector<Logged> requests;
        for (const auto& [offsets, commit] : list) {
            for (int offset : offsets) requests.push_back({Request::WriteBlock, offset});
            requests.push_back(commit);
        }
        return requests;
    };
    std::vector<int> id, route;
    for (int k = 0; k < 16; ++k) id.push_back(16 * k);
    for (int j = 0; j < 8; ++j) {
        for (int i = 0; i < 3; ++i) route.push_back(64 * j + 16 * i);
    }
    const auto idPage = pages({{id, {Request::SamFlashWrite, 964}}});
    EXPECT_EQ(slice(idPage.front(), true, idPage), idPage);
    // The preset steps one byte at a time; then each page's single record.
    std::vector<Logged> extra;
    for (int offset = 0; offset <= 32; ++offset) extra.push_back({Request::WriteBlock, offset});
    const auto single = pages({{{0}, {Request::DataFlashWrite, 8180}},
                               {{0}, {Request::DataFlashWrite, 8181}},
                               {{0}, {Request::DataFlashWrite, 8183}}});
    extra.insert(extra.end(), single.begin(), single.end());
    EXPECT_EQ(slice({Request::SamFlashWrite, 965}, false, extra), extra);
    const auto locos = pages({{{0, 16, 32, 48, 64}, {Request::DataFlashWrite, 7501}},
                              {{0}, {Request::DataFlashWrite, 7502}}});
    EXPECT_EQ(slice({Request::DataFlashWrite, 8182}, false, locos), locos);
    const auto routes = pages({{route, {Request::DataFlashWrite, 6912}}});
    EXPECT_EQ(slice({Request::DataFlashWrite, 6399}, false, routes), routes);
}

// A failure ends the run with one box, names its step, leaves what comes after
// it in the station untouched and the module out of programming mode.
TEST(RestoreProcedure, AFailureEndsTheRunWithOneBoxAndLeavesLaterSectionsUntouched) {
    using station::Request;
    struct Row {
        const char* what;
        std::function<void(BackupRig&)> arrange;
        StatusCode status;
        int writes;  // write requests the station got, the refused one among them (-1: some)
        int fsProgOffs;
        std::optional<std::uint32_t> stationVersion;
    };
    // clang-format off
    const Row rows[] = {
        {"station's own version word", [](BackupRig&) {},
         Code(Step::DatabaseId, Kind::None, Detail::InvalidVersion), 0, 0, 6u},
        // 34 writes carry the ID table, 33 the preset; the 69th commits page 8180.
        {"extra data page refused",
         [](BackupRig& rig) { rig.station().options().faults.refuseWrite = 69; },
         Code(Kind::DataFlashWrite, Detail::NoAnswer), 69, 0, {}},
        // Refusals of the preset do not count, silence does: the first write
        // that gets no answer at all (asked for once more) ends the run, not the 33rd.
        {"station silent from the preset on", [](BackupRig& rig) {
             rig.host.onComTxt = [&rig](const std::string& text) {
                 if (text == " Zusatzdaten ")
                     rig.station().options().faults.silentAfterRequests =
                         static_cast<int>(rig.station().log().size());
             };
         }, kReplyTimedOut, 36, 0, {}},
        {"write refused in the boosters", [](BackupRig& rig) {
             rig.host.onComTxt = [&rig](const std::string& text) {
                 if (text == " Booster") rig.station().options().faults.refuseWrite = Writes(rig) + 3;
             };
         }, Code(Step::WriteLongData, Kind::SendData, Detail::NoAnswer), -1, 0, {}},
        {"module refuses an entry", [](BackupRig& rig) {
             rig.serial.onOutput = [&rig, forward = rig.serial.onOutput](const std::string& b) {
                 forward(b);
                 auto& faults = rig.station().options().faults;
                 if (rig.station().Count(Request::FsProgOn) == 1 && faults.refuseWrite == 0)
                     faults.refuseWrite = Writes(rig) + 3;
             };
         }, Code(Step::FsWrite, Kind::None, Detail::ProgrammingFailed), -1, 1, {}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        station::StationOptions options = testing::InstantStation();
        options.faults.versionWord = row.stationVersion;
        BackupRig rig(options);
        const Bytes before = rig.sim.ExpectedBackup();
        const Bytes file = BackupOfAnotherSeed(7);
        testing::WriteAll(rig.path, file);
        row.arrange(rig);
        const ProcedureResult result = rig.Restore(rig.path);
        EXPECT_EQ(result.status, row.status);
        ASSERT_EQ(rig.boxes.shown.size(), 2u);  // the question, then the failure
        EXPECT_EQ(rig.boxes.shown.back().title, kTitle);
        EXPECT_EQ(rig.boxes.shown.back().text, ErrorText(result.status));
        if (row.writes >= 0) {
            EXPECT_EQ(Writes(rig), row.writes);
        }
        EXPECT_EQ(rig.station().Count(Request::FsProgOff), row.fsProgOffs);
        EXPECT_FALSE(rig.station().fsProgramming());
        ExpectReady(rig);
        if (StepOf(row.status) != static_cast<int>(Step::WriteLongData)) continue;
        // Written before the failure: the locomotives; behind it, as it was.
        const Bytes after = rig.sim.ExpectedBackup();
        EXPECT_TRUE(std::equal(after.begin() + kLocos, after.begin() + kLocos + 40000,
                               file.begin() + kLocos));
        EXPECT_TRUE(
            std::equal(after.begin() + kAccessories, after.end(), before.begin() + kAccessories));
        // The next try, with the station answering again, brings the whole file in.
        rig.host.onComTxt = nullptr;
        rig.station().options().faults.refuseWrite = 0;
        EXPECT_EQ(rig.Restore(rig.path).outcome, Outcome::Done);
        EXPECT_TRUE(rig.sim.ExpectedBackup() == file);
    }
}

}  // namespace
}  // namespace cv2
