// cv2cli against cv2sim on a pseudo-terminal: a backup made once for the
// suite, then what inspect, diff, verify and restore make of it; the
// exit codes, the failure text with its Status line, the keys from a key file
// (and info with them), the trace and an interrupt.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <sstream>

#include "device/device.h"
#include "device/key_file.h"
#include "station/command_station.h"
#include "tests/cli/cli_rig.h"

namespace cv2::testing {
namespace {

constexpr int kSeed = 11;
const std::string kSeedOption = std::to_string(kSeed);

// Offset of byte `at` in unit `unit` of the section with this key.
std::size_t Where(std::string_view key, int unit, int at) {
    for (std::size_t i = 0; i < kFileLayout.size(); ++i) {
        if (kFileLayout[i].key != key) continue;
        const Section& s = kFileLayout[i];
        const int unitBytes = s.kind == SectionKind::FsModule ? s.perPage * kWordBytes
                                                              : s.RecordsOfPage() * kRecordBytes;
        return SectionOffset(i) + unit * unitBytes + at;
    }
    return 0;
}

class CliAgainstStation : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = std::make_unique<TempDir>();
        sim = std::make_unique<Simulator>(*dir, std::vector<std::string>{"--seed", kSeedOption});
        backup = RunCli(*dir, "backup --port ./port a.CDF");
    }
    static void TearDownTestSuite() {
        sim.reset();
        dir.reset();
    }
    static Bytes StationContent() {
        station::StationOptions options;
        options.seed = kSeed;
        return station::CommandStation(options).ExpectedBackup();
    }
    const TempDir& d() const { return *dir; }

    inline static std::unique_ptr<TempDir> dir;
    inline static std::unique_ptr<Simulator> sim;
    inline static CliRun backup;
};

TEST_F(CliAgainstStation, BackupHoldsTheStationAndEndsWithTheTimeTaken) {
    ASSERT_EQ(backup.code, 0) << backup.err;
    EXPECT_EQ(ReadAll(d().File("a.CDF")), StationContent());
    EXPECT_NE(backup.err.find("  10%\n"), std::string::npos) << backup.err;
    const std::string last = backup.err.substr(backup.err.rfind('\n', backup.err.size() - 2) + 1);
    EXPECT_TRUE(last.starts_with(" Zeit: ") && last.ends_with(" min\n")) << last;
}

TEST_F(CliAgainstStation, InspectDiffAndVerifyFindOneChangedPageAndOneFsGroup) {
    const Bytes a = ReadAll(d().File("a.CDF"));
    const CliRun inspect = RunCli(d(), "inspect a.CDF");
    EXPECT_EQ(inspect.code, 0);
    const std::uint32_t serial = a[0] << 24 | a[1] << 16 | a[2] << 8 | a[3];
    EXPECT_NE(inspect.out.find("Seriennummer: " + std::to_string(serial) + "\n"),
              std::string::npos);
    EXPECT_NE(inspect.out.find("5 5 5 5 5 5 5 5 5 5 (gültig)"), std::string::npos);
    EXPECT_EQ(RunCli(d(), "diff a.CDF a.CDF").out, "Die Dateien sind gleich.\n");

    Bytes changed = a;
    changed[Where("accessories", 41, 5)] ^= 0x01;
    changed[Where("fs_module", 2, 3)] ^= 0x40;
    WriteAll(d().File("b.CDF"), changed);
    // Units counted from 1, as a user counts them: page 42 of the accessories.
    const std::string comparison =
        R"("equal":false,"sections":[{"key":"accessories","title":"Magnetartikel","unit":"page",)"
        R"("total":256,"differing":[42],"bytes":1},{"key":"fs_module","title":"FS-Modul",)"
        R"("unit":"group","total":80,"differing":[3],"bytes":1}]})"
        "\n";
    const CliRun diff = RunCli(d(), "diff --json a.CDF b.CDF");
    EXPECT_EQ(diff.code, 4);
    EXPECT_EQ(diff.out, "{" + comparison);
    // verify's summary and its comparison in one object.
    const CliRun verify = RunCli(d(), "verify --port ./port --json b.CDF");
    EXPECT_EQ(verify.code, 4) << verify.err;
    EXPECT_TRUE(verify.out.starts_with(
        R"({"command":"verify","file":"b.CDF","bytes":574252,"section_count":13,"minutes":)"))
        << verify.out;
    EXPECT_TRUE(verify.out.ends_with("," + comparison)) << verify.out;

    // An unused locomotive page carries whatever in the file: compared as the backup writes it.
    Bytes filler = a;
    int unused = 0;
    while ((a[Where("locomotives", unused, 3)] & 0xFC) == 0) ++unused;
    filler[Where("locomotives", unused, 2 * kRecordBytes)] = 0x00;
    WriteAll(d().File("c.CDF"), filler);
    const CliRun same = RunCli(d(), "verify -q --port ./port c.CDF");
    EXPECT_EQ(same.code, 0) << same.err;
    EXPECT_EQ(same.err, "");  // -q: no progress
    EXPECT_TRUE(
        same.out.starts_with("Die CV2 entspricht der Datei c.CDF.\nGelesen und verglichen: "
                             "c.CDF, 574.252 Bytes, 13 Abschnitte, "))
        << same.out;
}

// Without a terminal nobody can answer: the message says which question it
// was and which option answers it; for another station's file it names both
// serial numbers. A FIFO is read like a file.
TEST_F(CliAgainstStation, RestoreWritesOnlyWhenTheQuestionsAreAnsweredYes) {
    const CliRun unasked = RunCli(d(), "restore --port ./port a.CDF");
    EXPECT_EQ(unasked.code, 3);
    EXPECT_EQ(unasked.err,
              "cv2cli: Nichts übertragen: Ohne Terminal kann nicht gefragt werden, ob die aktive "
              "Datenbank der CV2 überschrieben werden soll; --yes beantwortet die Frage mit Ja.\n");
    ASSERT_EQ(mkfifo(d().File("fifo.CDF").c_str(), 0600), 0);
    const CliRun restore =
        RunCli(d(), "restore --port ./port --yes fifo.CDF", " & cat a.CDF >fifo.CDF; wait");
    EXPECT_EQ(restore.code, 0) << restore.err;
    EXPECT_TRUE(restore.out.starts_with("Übertragen: fifo.CDF in die CV2 mit der Seriennummer "))
        << restore.out;

    TempDir other;
    Simulator otherStation(other, {"--identity", "1"});
    const std::string file = d().File("a.CDF");
    const CliRun refused = RunCli(other, "restore --port ./port --yes " + file);
    EXPECT_EQ(refused.code, 3);
    const Bytes a = ReadAll(file);
    EXPECT_NE(refused.err.find("Seriennummer in der Datei " +
                               std::to_string(a[0] << 24 | a[1] << 16 | a[2] << 8 | a[3]) +
                               ", angeschlossen ist die CV2 mit "),
              std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("--other-station beantwortet die Frage mit Ja."), std::string::npos);
}

TEST(CliBadInput, UsageFileAndPortErrorsExitBeforeTheStation) {
    TempDir dir;
    Bytes full(kBackupFileSize, 0xFF);
    WriteAll(dir.File("short.CDF"), Bytes(full.begin(), full.end() - 1));
    WriteAll(dir.File("empty.CDF"), {});
    full.push_back(0);
    WriteAll(dir.File("long.CDF"), full);
    std::filesystem::create_directories(dir.File("folder"));
    const struct {
        const char* args;
        int code;
        const char* err;  // part of stderr
    } rows[] = {
        // A usage error: the same exit code and prefix for every one.
        {"inspect", 2, "cv2cli: Keine Sicherungsdatei angegeben."},
        {"inspect empty.CDF", 2, "sie hat 0 Bytes"},
        {"restore --port 3 --yes short.CDF", 2, "keine vollständige Sicherung"},
        {"verify --port 3 folder", 2, "das ist ein Ordner"},
        {"backup --port 3 folder", 2, "kann nicht geschrieben werden: das ist ein Ordner"},
        {"backup --port 3 nowhere/x.CDF", 2, "Datei oder Ordner gibt es nicht"},
        {"backup --port /dev/cv2-none x.CDF", 1, "Die Schnittstelle /dev/cv2-none "},
        // Nothing named on the command line is overwritten by another of its names.
        {"backup --port 3 --trace long.CDF long.CDF", 2, "ist die Sicherungsdatei selbst"},
        {"backup --port 3 --trace link.CDF long.CDF", 2, "ist die Sicherungsdatei selbst"},
        {"backup --port 3 --trace ./neu.CDF neu.CDF", 2, "ist die Sicherungsdatei selbst"},
        // A file that cannot be restored is refused before the port opens.
        {"restore --port /dev/cv2-none --yes long.CDF", 2,
         "cv2cli: Datenbank Version im Backup File: keine gültige Version! (Status 140099)\n"},
    };
    std::filesystem::create_symlink("long.CDF", dir.File("link.CDF"));
    for (const auto& row : rows) {
        const CliRun run = RunCli(dir, row.args);
        EXPECT_EQ(run.code, row.code) << row.args << "\n" << run.err;
        EXPECT_NE(run.err.find(row.err), std::string::npos) << row.args << "\n" << run.err;
    }
    EXPECT_NE(RunCli(dir, "inspect long.CDF").out.find("das letzte Byte gehört nicht dazu"),
              std::string::npos);
    EXPECT_TRUE(ReadAll(dir.File("long.CDF")) == full);
}

// A name that is no regular file is written in place: the pipe of a process
// substitution (/dev/fd/63, a link to "pipe:[N]", which is no path) gets the
// backup as a device or FIFO does.
TEST(CliBackupInPlace, AProcessSubstitutionGetsTheWholeBackup) {
    TempDir dir;
    Simulator sim(dir, {});
    const std::string command = "cd " + dir.path.string() + " && bash -c '" + BuildTop() +
                                "/cv2cli backup -q --port ./port >(cat >piped.CDF) >stdout "
                                "2>stderr </dev/null; echo $? >code; wait $!'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadText(dir.File("code")), "0\n") << ReadText(dir.File("stderr"));
    EXPECT_EQ(ReadAll(dir.File("piped.CDF")), station::CommandStation().ExpectedBackup());
    EXPECT_TRUE(ReadText(dir.File("stdout")).starts_with("Gesichert: die CV2 in /dev/fd/"))
        << ReadText(dir.File("stdout"));
}

// One line per failure: the step, the reason and the code, with no blank line
// before it; a code without a step names the section the run was in. Under it
// what to do, and with the built-in keys, for a station that does not confirm
// the bootloader start, where its own keys go.
TEST(CliAgainstFaults, OneFailureLineWithItsStatusAndWhatToDo) {
    const std::string keys = KeysAdvice(KeySource{}, 110013) + "\n";
    const struct {
        std::vector<std::string> sim;
        const char* command;
        std::string line, after;
        std::string advised = "";  // part of the advice
    } rows[] = {
        // clang-format off
        {{"--version-word", "7"}, "backup --port ./port f.CDF",
         "cv2cli: Datenbank ID lesen : keine gültige Version! (Status 10099)", ""},
        {{"--no-answer", "BootloaderStart"}, "backup --port ./port f.CDF",
         "cv2cli: Bootloader starten: Timeout: kein Antwort auf LocoNet! (Status 110013)", keys},
        {{"--refuse-write", "1"}, "restore --yes --port ./port f.CDF",
         "cv2cli: Write ID Tab.: Daten senden: keine Antwort! (Status 281611)", ""},
        {{"--no-answer", "ReadBlock"}, "backup --port ./port f.CDF",
         "cv2cli: Datenbank prüfen: Timeout: kein Antwort auf LocoNet! (Status 13)", ""},
        // Silence while the version is read says nothing of the database: the
        // connection is to be checked.
        {{"--no-answer", "DataFlashRead"}, "backup --port ./port f.CDF",
         "cv2cli: Datenbank ID lesen : Timeout: kein Antwort auf LocoNet! (Status 10013)", "",
         "Kabel, Schnittstellenart, Port und Baudrate prüfen"},
        // Every section read: the backup is kept, and the station seen to.
        {{"--no-answer", "BootloaderEnd"}, "backup --port ./port f.CDF",
         "cv2cli: Bootloader beenden: Timeout: kein Antwort auf LocoNet! Die Sicherung ist "
         "vollständig in f.CDF gespeichert. Die CV2 ist vielleicht noch im Bootloader: bitte aus- "
         "und wieder einschalten. (Status 120013)", "", "noch im Bootloader"},
        // clang-format on
    };
    for (const auto& row : rows) {
        TempDir dir;
        WriteAll(dir.File("f.CDF"), station::CommandStation().ExpectedBackup());
        Simulator sim(dir, row.sim);
        const CliRun run = RunCli(dir, row.command);
        EXPECT_EQ(run.code, 1) << row.command;
        const auto at = run.err.find("\ncv2cli: ");
        ASSERT_NE(at, std::string::npos) << run.err;
        const std::string tail = run.err.substr(at + 1);
        EXPECT_EQ(tail.substr(0, tail.find('\n')), row.line);
        const std::string advice = tail.substr(tail.find('\n') + 1);
        EXPECT_TRUE(advice.starts_with("Was tun: ") && advice.ends_with(row.after)) << advice;
        EXPECT_NE(advice.find(row.advised), std::string::npos) << advice;
        EXPECT_EQ(std::count(advice.begin(), advice.end(), '\n'), row.after.empty() ? 1 : 2);
        EXPECT_EQ(run.err.find("\n\n"), std::string::npos) << run.err;
    }
}

// Keys of a station of one's own, written as a user writes them.
constexpr const char* kOwnServiceKey = "ServiceKey = 01 02 03 04 05 06 07 08\n";
const std::string kOwnKeys = std::string("# meine CV2\n") + kOwnServiceKey +
                             "PayloadKey = 0x10,0x21,0x32,0x43,0x54,0x65,0x76,0x07,0x18,0x29,"
                             "0x3A,0x4B,0x5C,0x6D,0x7E,0x0F\n";

TEST(CliKeys, BackupAndRestoreReachAStationOnlyWithItsOwnKeys) {
    TempDir dir;
    WriteText(dir.File("keys"), kOwnKeys);
    // The right ServiceKey with another PayloadKey: the station starts, its data do not decode.
    WriteText(dir.File("payload"),
              std::string(kOwnServiceKey) +
                  "PayloadKey = 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n");
    Simulator sim(dir, {"--keys", dir.File("keys")});
    const CliRun backup = RunCli(dir, "backup --keys keys --port ./port a.CDF");
    ASSERT_EQ(backup.code, 0) << backup.err;
    EXPECT_EQ(ReadAll(dir.File("a.CDF")), station::CommandStation().ExpectedBackup());
    EXPECT_EQ(RunCli(dir, "restore --keys keys --yes --port ./port a.CDF").code, 0);
    const CliRun info = RunCli(dir, "info --keys keys --port ./port a.CDF");
    EXPECT_EQ(info.code, 0) << info.err;
    EXPECT_NE(info.out.find(", von dieser CV2: "), std::string::npos) << info.out;

    const struct {
        const char* command;
        StatusCode status;
        bool advised;  // told where a real station's keys go
    } rows[] = {
        {"backup --port ./port b.CDF", 111011, true},
        {"backup --keys payload --port ./port b.CDF", 10099, false},
        {"restore --keys payload --yes --other-station --port ./port a.CDF", 10099, false},
    };
    for (const auto& row : rows) {
        const CliRun run = RunCli(dir, row.command);
        EXPECT_EQ(run.code, 1) << row.command;
        EXPECT_NE(run.err.find("Status " + std::to_string(row.status)), std::string::npos)
            << row.command << run.err;
        EXPECT_EQ(run.err.find("Hinweis: Es gelten die eingebauten") != std::string::npos,
                  row.advised)
            << row.command << run.err;
    }
    // Nothing was written with the wrong keys.
    EXPECT_EQ(RunCli(dir, "verify --keys keys --port ./port a.CDF").code, 0);
}

TEST(CliKeys, AWrongKeyFileStopsEveryProgramBeforeAnyPortAndVersionNamesTheKeys) {
    TempDir dir;
    const std::string bad =
        "Schlüsseldatei bad, Zeile 2: ServiceKey hat 7 Bytes, es müssen 8 sein.\n";
    WriteText(dir.File("bad"), "\nServiceKey = 01 02 03 04 05 06 07\n");
    const CliRun backup = RunCli(dir, "backup --keys bad --port /dev/null --trace t.txt b.CDF");
    EXPECT_EQ(backup.code, 2);
    EXPECT_EQ(backup.err, "cv2cli: " + bad);
    EXPECT_FALSE(std::filesystem::exists(dir.File("t.txt")) ||
                 std::filesystem::exists(dir.File("b.CDF")));
    EXPECT_EQ(RunCli(dir, "--keys bad", "", "cv2sim").err, "cv2sim: " + bad);
    EXPECT_EQ(RunCli(dir, "--version --keys bad").err, "cv2cli: " + bad);

    // Each program finds the user's key file and says that it uses it.
    const std::string userKeys = dir.File("config/cv2sicherung/keys");
    WriteText(userKeys, kOwnKeys);
    for (const std::string program : {"cv2cli", "cv2sim", "cv2sicherung"}) {
        EXPECT_EQ(RunCli(dir, "--version", "", program).out,
                  program + " 1.0.0\nSchlüssel: aus " + userKeys + "\n");
    }
}

// A trace that cannot be written does not fail the backup, but losing it is
// said once, with the file and the reason.
TEST(CliTrace, ATraceThatCannotBeWrittenIsWarnedOfOnce) {
    if (!std::filesystem::is_character_file("/dev/full")) GTEST_SKIP();
    TempDir dir;
    Simulator sim(dir, {});
    const CliRun run = RunCli(dir, "backup -q --port ./port --trace /dev/full f.CDF");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err,
              "cv2cli: Warnung: Das Protokoll /dev/full ist unvollständig, Zeilen konnten nicht "
              "geschrieben werden: der Datenträger ist voll\n");
    EXPECT_EQ(ReadAll(dir.File("f.CDF")), station::CommandStation().ExpectedBackup());
}

TEST(CliTrace, NamesEveryFrameOfAShortFailingRun) {
    TempDir dir;
    Simulator sim(dir, {"--no-answer-after", "3"});
    EXPECT_EQ(RunCli(dir, "backup --port ./port --trace t.txt f.CDF").code, 1);
    std::vector<std::string> lines;
    std::istringstream trace(ReadText(dir.File("t.txt")));
    for (std::string line; std::getline(trace, line);) lines.push_back(line.substr(11));
    // A letter per line: a step (-), a frame sent (T), its echo (E), an answer (A),
    // the boot confirmation (C), anything else (R).
    std::string kinds, sent;
    for (const std::string& line : lines) {
        const bool tx = line.starts_with("TX ");
        kinds += tx                                  ? 'T'
                 : line == "RX " + sent + "  (Echo)" ? 'E'
                 : line.ends_with("(Antwort)")       ? 'A'
                 : line.ends_with("(Bestätigung)")   ? 'C'
                 : line.starts_with("RX ")           ? 'R'
                                                     : '-';
        if (tx) sent = line.substr(3);
    }
    // Four requests, each echoed; the first three answered, the fourth asked
    // for once more; then what the run met on the bus.
    EXPECT_EQ(kinds, "----TEACTEATEATETE--");
    EXPECT_EQ(lines.front(), "-- Schnittstelle ./port");
    EXPECT_EQ(lines[lines.size() - 2], "-- schließen");
    EXPECT_EQ(lines.back(), "-- 1 Anfrage wiederholt");
}

// Other devices talk on the bus and now and then an answer is lost: the backup
// goes through and says what it met (a restore says it the same way).
TEST(CliOnALiveLocoNet, ABackupAmongOtherDevicesSaysWhatItMet) {
    TempDir dir;
    Simulator sim(dir, {"--seed", kSeedOption, "--traffic", "50", "--lose-answer", "10000"});
    const CliRun run = RunCli(dir, "backup --json --port ./port a.CDF");
    ASSERT_EQ(run.code, 0) << run.err;
    station::StationOptions content;
    content.seed = kSeed;
    EXPECT_TRUE(ReadAll(dir.File("a.CDF")) == station::CommandStation(content).ExpectedBackup());
    EXPECT_NE(run.out.find("\"foreign_frames\":"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("\"foreign_frames\":0"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("\"repeated_requests\":0"), std::string::npos) << run.out;
}

// A busy machine: cv2cli stands still for half a second right after its first
// frame, so the echo, the acknowledge and the boot confirmation (200 ms after the
// acknowledge on this slow wire) are all waiting when it reads again. The contact goes
// on as usual.
TEST(CliOnALiveLocoNet, FramesBunchedUpInOneReadAfterAStopAreTakenAsTheyCome) {
    TempDir dir;
    // A quarter of wire speed: the stop lands long before the echo, even on a busy machine.
    Simulator sim(dir, {"--speed", "0.25"});
    const CliRun run = RunCli(dir, "info --port ./port --trace t.txt",
                              " & pid=$!; until grep -q ' TX ' t.txt 2>/dev/null; do :; done; "
                              "kill -STOP $pid; sleep 0.5; kill -CONT $pid; wait $pid");
    EXPECT_EQ(run.code, 0) << run.err;
    std::istringstream trace(ReadText(dir.File("t.txt")));
    std::vector<std::string> firstAnswers;
    double sent = -1;
    for (std::string line; std::getline(trace, line) && firstAnswers.size() < 3;) {
        if (sent < 0 && line.substr(11, 3) == "TX ") sent = std::stod(line.substr(0, 10));
        if (line.substr(11, 3) == "RX ") firstAnswers.push_back(line);
    }
    ASSERT_EQ(firstAnswers.size(), 3u);
    EXPECT_TRUE(firstAnswers[0].ends_with("(Echo)") && firstAnswers[1].ends_with("(Antwort)") &&
                firstAnswers[2].ends_with("(Bestätigung)"))
        << firstAnswers[0] << "\n"
        << firstAnswers[1] << "\n"
        << firstAnswers[2];
    const double echo = std::stod(firstAnswers[0].substr(0, 10));
    EXPECT_GT(echo - sent, 400.0);  // milliseconds: read only after the stop
    EXPECT_LT(std::stod(firstAnswers[2].substr(0, 10)) - echo, 5.0);
}

// A backup at wire speed over an older file, sent one signal once `ready` (a
// shell test) holds; killed if it is still running 20 s later. `meanwhile`
// runs once the signal is due, before it is sent.
CliRun SignalledBackup(const TempDir& dir, const std::string& signal, const std::string& ready,
                       const std::string& meanwhile = ":") {
    return RunCli(dir, "backup --port ./port f.CDF",
                  " & pid=$!; n=0; until " + ready +
                      " || [ $n -ge 600 ]; do sleep 0.05; n=$((n+1)); done; " + meanwhile +
                      "; kill -" + signal +
                      " $pid; (sleep 20; kill -KILL $pid) >/dev/null 2>&1 & w=$!; "
                      "wait $pid; rc=$?; kill $w; exit $rc");
}

// Ctrl-C in the 1 s pause after the port opens, SIGTERM, SIGHUP (a dropped
// ssh connection) and Ctrl-\ (SIGQUIT, which would otherwise end the program
// without a word) in the middle of the transfer: the run ends as cancelled,
// names where it stopped, and the older file is as it was.
TEST(CliInterrupt, ASignalCancelsTheRunAndLeavesTheOldFileWhole) {
    const struct {
        const char* signal;
        const char* ready;
        const char* where;
    } rows[] = {
        {"INT", "grep -q 'Datenbank pr' stderr && sleep 0.4", "Schritt: Datenbank prüfen"},
        {"TERM", "grep -q Lokdaten stderr", "Schritt: Lokdaten (Read LongData)"},
        {"HUP", "grep -q Lokdaten stderr", "Schritt: Lokdaten (Read LongData)"},
        {"QUIT", "grep -q Lokdaten stderr", "Schritt: Lokdaten (Read LongData)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.signal);
        TempDir dir;
        const Bytes previous(kBackupFileSize, 0x42);
        WriteAll(dir.File("f.CDF"), previous);
        Simulator sim(dir, {"--speed", "wire"});
        // A second backup into the same file meanwhile is refused before its port opens.
        const CliRun run = SignalledBackup(
            dir, row.signal, row.ready,
            BuildTop() + "/cv2cli backup --port ./port f.CDF 2>second; echo $? >>second");
        EXPECT_EQ(run.code, 130);
        EXPECT_NE(run.err.find("\nAbgebrochen. " + std::string(row.where)), std::string::npos)
            << run.err;
        EXPECT_EQ(run.err.find("Timeout"), std::string::npos) << run.err;
        EXPECT_TRUE(ReadAll(dir.File("f.CDF")) == previous);
        EXPECT_FALSE(std::filesystem::exists(dir.File("f.CDF.tmp")));
        EXPECT_EQ(
            ReadText(dir.File("second")),
            "cv2cli: Die Datei f.CDF kann nicht geschrieben werden: eine andere Sicherung schreibt "
            "gerade in diese Datei\n2\n");
    }
}

TEST(HeadlessRun, BacksUpInspectsAndVerifiesTheSimulatorWithoutADisplay) {
    TempDir dir;
    for (const char* program : {"cv2cli", "cv2sim"}) {
        std::filesystem::create_symlink(BuildTop() + "/" + program, dir.File(program));
    }
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY CV2SIM_ARGS='--speed instant "
        "--dump " +
        dir.File("dump.CDF") + "' bash " CV2_SOURCE_DIR "/scripts/run.sh " + dir.path.string() +
        " >" + dir.File("out") + " 2>&1";
    const int status = std::system(command.c_str());
    const std::string out = ReadText(dir.File("out"));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
    EXPECT_NE(out.find("Die CV2 entspricht der Datei"), std::string::npos) << out;
    const Bytes demo = ReadAll(dir.File("demo.CDF"));
    EXPECT_EQ(demo.size(), std::size_t{kBackupFileSize});
    EXPECT_EQ(demo, ReadAll(dir.File("dump.CDF")));
}

}  // namespace
}  // namespace cv2::testing
