// cv2cli without a port: the command line, the comparison and counting of
// backup images, the port list, the trace lines and the terminal's progress
// and answers.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "app/restore_procedure.h"
#include "cli/backup_analysis.h"
#include "cli/cli_args.h"
#include "cli/reports.h"
#include "cli/serial_trace.h"
#include "cli/terminal.h"
#include "platform/fake/fake_clock.h"
#include "station/command_station.h"
#include "tests/support/byte_strings.h"
#include "tests/transfer/station_rig.h"

namespace cv2::cli {
namespace {

using test::Bytes;

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

TEST(CliArgs, OptionsCoupleInterfaceAndBaudLikeTheOptionsWindow) {
    const struct {
        const char* line;
        int kind;
        long baud;
        const char* error;  // empty: accepted
    } rows[] = {
        {"backup --port 3 a.CDF", 2, 115200, ""},
        {"restore --port=/dev/ttyUSB0 --interface tandemo --yes a.CDF", 0, 19200, ""},
        {"verify --port 1 --interface serial --baud 16666 --json a.CDF", 1, 16666, ""},
        {"backup --port 1 --interface serial -- -a.CDF", 1, 115200, ""},
        {"info --port 3 --json --trace t.txt --keys k", 2, 115200, ""},
        // Options before the command count as if they followed it.
        {"--keys info --port 1 --interface serial backup a", 1, 115200, ""},
        {"-q --port=1 --interface serial verify a", 1, 115200, ""},
        {"--json inspect --port 3 a", 0, 0, "Unbekannte Option für inspect: --port"},
        {"--port 3 a.CDF", 0, 0, "Unbekannter Befehl: --port"},
        {"a.CDF backup --port 3", 0, 0, "Unbekannter Befehl: a.CDF"},
        {"- backup --port 3 a", 0, 0, "Unbekannter Befehl: -"},
        {"-- backup --port 3 a", 0, 0, "Unbekannter Befehl: --"},
        {"info --port 3 a b", 0, 0, "Zu viele Argumente: b"},
        {"backup --port 3", 0, 0, "Keine Sicherungsdatei angegeben."},
        {"backup --port 3 -", 0, 0, "„-“ ist hier kein Dateiname"},
        {"backup -q -v --port 3 a", 0, 0, "-q und -v schließen einander aus."},
        {"verify --quiet --json --port 3 a", 2, 115200, ""},
        // What needs no station is refused before the port opens.
        {"backup --port 0 a", 0, 0, "Den COM-Port 0 gibt es nicht: COM-Ports zählen ab 1."},
        // Never opened, nor written raw to the terminal in the message.
        {"info --port /dev/tty\x01USB0", 0, 0,
         "Der Schnittstellenname „/dev/tty\\x01USB0“ enthält ein Steuerzeichen (\\x01); so "
         "heißt keine Schnittstelle, er wird nicht verwendet. (--port)"},
        {"backup --port /x --interface serial --baud 16666 a", 0, 0,
         "Sie können das LocoNet-Interface nur mit Comport 1 oder Comport 2 benutzen!"},
        {"inspect --keys k a", 0, 0, "Unbekannte Option für inspect: --keys"},
        // Over TCP no COM port and no rate restriction applies, but the unit's
        // text dialogue needs a serial line.
        {"backup --port tcp://[::1]:4711 --interface serial a", 1, 115200, ""},
        {"backup --port tcp://cv2-pi --interface tandemo a", 0, 0,
         "Eine Tandemo/Centrova-Einheit lässt sich nur an einer seriellen Schnittstelle"},
        {"backup --port tcp://fd00::2 a", 0, 0, "eine IPv6-Adresse gehört in eckige Klammern"},
        {"backup --port 3 --baud 19200 a.CDF", 0, 0,
         "Die Schnittstelle usb erlaubt 19200 Baud nicht, nur 115200."},
        {"backup --port 3 --interface tandemo --baud 115200 a", 0, 0, "nur 9600, 19200."},
        {"backup --port 3 --baud 12345 a", 0, 0, "Die Baudrate 12345 gibt es nicht"},
        {"backup --port 3 --interface com a", 0, 0, "Unbekannte Schnittstelle com"},
        {"backup a.CDF", 0, 0, "Die Option --port fehlt"},
        {"backup a.CDF --port", 0, 0, "Der Option --port fehlt ihr Wert."},
        {"restore --port 3 --yes=1 a", 0, 0, "Die Option --yes nimmt keinen Wert."},
        {"diff a", 0, 0, "Zwei Sicherungsdateien angeben"},
        {"", 0, 0, "Kein Befehl angegeben."},
        {"frobnicate", 0, 0, "Unbekannter Befehl: frobnicate"},
    };
    for (const auto& row : rows) {
        const ParseResult r = ParseCliArgs(Words(row.line));
        if (*row.error) {
            EXPECT_FALSE(r.args) << row.line;
            EXPECT_NE(r.error.find(row.error), std::string::npos) << row.line << ": " << r.error;
            continue;
        }
        ASSERT_TRUE(r.args) << row.line << ": " << r.error;
        EXPECT_EQ(r.args->baud, row.baud) << row.line;
        const Settings s = r.args->ToSettings();
        EXPECT_EQ(KindIndex(s.Interface), row.kind) << row.line;
        EXPECT_EQ(s.BaudRate, row.baud) << row.line;
    }
    const ParseResult restore = ParseCliArgs(Words("restore --other-station --port 4 x"));
    ASSERT_TRUE(restore.args);
    EXPECT_TRUE(restore.args->otherStation && !restore.args->yes);
    EXPECT_EQ(restore.args->ToSettings().ComPort.ToText(), "4");
    EXPECT_EQ(restore.args->files, std::vector<std::string>{"x"});
}

TEST(BackupAnalysis, ErasedImageUsesNothingButFsGroups) {
    BackupImage erased;
    erased.bytes.assign(kBackupFileSize, 0xFF);
    erased.size = kBackupFileSize;
    const std::size_t locos = IndexOf(kFileLayout[4]);
    erased.bytes[SectionOffset(locos) + 3] = 0x03;  // tag 0x00 in the upper six bits
    const Summary s = Summarize(erased);
    for (const SectionUse& use : s.sections) {
        const std::string_view key = kFileLayout[use.section].key;
        const int expected = key == "locomotives" ? 1 : key == "fs_module" ? use.total : 0;
        EXPECT_EQ(use.used, expected) << key;
    }
    const std::string json = InspectJson("x", s);
    EXPECT_NE(json.find(R"({"key":"locomotives","title":"Lokdaten","unit":"locomotive","used":1,)"
                        R"("total":500})"),
              std::string::npos);
    EXPECT_NE(json.find(R"("versions_valid":false)"), std::string::npos);
}

TEST(BackupAnalysis, ReportListsTwelveUnitsAndCountsTheRest) {
    Image a(kBackupFileSize, 0);  // serial number 1200000123
    std::ranges::copy(std::array<std::uint8_t, 4>{0x47, 0x86, 0x8C, 0x7B}, a.begin());
    Image b = a;
    b[3] ^= 0x01;
    const std::size_t fs = IndexOf(SectionOf(SectionKind::FsModule));
    for (int g = 0; g < 20; ++g) b[SectionOffset(fs) + g * UnitsOf(kFileLayout[fs]).bytes + 1] = 8;
    // Units are counted from 1, as a user counts them; a single value shows
    // what it was and what it is.
    EXPECT_EQ(ComparisonText("-", CompareImages(a, b)),
              "-\n  Seriennummer: 1200000123 → 1200000122\n"
              "  FS-Modul: 20 von 80 Gruppen (1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, ... 8 "
              "weitere), 20 Bytes\n");
}

TEST(Ports, EachPortWithItsStableNameMakerAndWhatItTakesToOpenIt) {
    // Joining the device's group helps only where the group may read and write,
    // and nobody is sent into root's group.
    EXPECT_EQ(GroupToJoin(020640, 20, "dialout") + GroupToJoin(020660, 0, "root"), "");
    // The group a user lacks, as another user than root (who may open anything).
    testing::TempDir dir;
    const std::string tty = dir.File("ttyUSB9"), open = dir.File("ttyUSB8");
    testing::WriteText(tty, "");
    testing::WriteText(open, "");
    if (geteuid() == 0) {
        ASSERT_EQ(chown(tty.c_str(), 0, 5) | chmod(tty.c_str(), 0660) | chmod(open.c_str(), 0666),
                  0);
        const pid_t child = fork();
        if (child == 0) {
            const PortAccess access = setgid(65534) | setuid(65534) ? PortAccess{} : AccessOf(tty);
            errno = EACCES;  // left over from before: it must not count
            const bool opens = AccessOf(open).mayOpen;
            _exit(!access.mayOpen && access.group == getgrgid(5)->gr_name && opens ? 0 : 1);
        }
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_EQ(status, 0);
    }

    // The link under by-id that leads to the device, also named through another link.
    testing::WriteText(dir.File("ttyUSB1"), "");
    testing::WriteText(dir.File("ttyUSB2"), "");
    std::filesystem::create_directories(dir.File("by-id"));
    std::filesystem::create_symlink(dir.File("ttyUSB1"), dir.File("by-id/usb-M_Box-if00"));
    std::filesystem::create_symlink(dir.File("ttyUSB1"), dir.File("alias"));
    EXPECT_EQ(StableName(dir.File("alias"), dir.File("by-id")), dir.File("by-id/usb-M_Box-if00"));
    EXPECT_EQ(StableName(dir.File("ttyUSB2"), dir.File("by-id")), "");
    EXPECT_EQ(StableName(dir.File("ttyUSB1"), dir.File("none")), "");
}

std::string Captured(std::FILE* f) {
    std::rewind(f);
    std::string text;
    for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
    std::fclose(f);
    return text;
}

TEST(FrameTrace, OneLinePerFrameBurstAndStepWithTheTimeOfItsFirstByte) {
    FakeClock clock;
    std::FILE* out = std::tmpfile();
    {
        FrameTrace trace(out, clock);
        trace.Step("öffnen");
        clock.Advance(0.0125);
        trace.Sent(Bytes({0xA0, 0x01}));  // a frame handed over byte by byte
        clock.Advance(0.001);
        trace.Sent(Bytes({0x02, 0x5C}));
        clock.Advance(0.002);
        trace.Received(Bytes({0xA0, 0x01, 0x02, 0x5C, 0x12, 0x34, 0xE5, 0x04, 0x00, 0x1E}));
        trace.Sent("xB19200\r");
        trace.Received("]");
        trace.Sent(Bytes({0xE5, 0x05, 0x00}));  // cut short by the closing step
        trace.Step("schließen");
    }
    EXPECT_EQ(Captured(out),
              "       0.0 -- öffnen\n"
              "      12.5 TX A0 01 02 5C\n"
              "      15.5 RX A0 01 02 5C\n"
              "      15.5 RX 12 34\n"
              "      15.5 RX E5 04 00 1E\n"
              "      15.5 TX 78 42 31 39 32 30 30 0D  \"xB19200\\r\"\n"
              "      15.5 RX 5D  \"]\"\n"
              "      15.5 TX E5 05 00  (unvollständig)\n"
              "      15.5 -- schließen\n");
}

TEST(TerminalHost, PlainLinesPerSectionAndTenPercentThenTheTimeTaken) {
    FakeClock clock;
    std::FILE* out = std::tmpfile();
    TerminalHost host(
        out, false, clock, [] {}, [](double v) { return std::to_string(v); });
    host.DisableButtons();
    host.SetComTxt(" Lokdaten ");
    for (double p : {4.0, 9.9, 10.0, 12.0, 35.0, 100.0}) host.SetBarWidth(p);
    host.EnableButtons();
    host.SetComTxt(" Zeit: 0,25 min");
    EXPECT_EQ(Captured(out), "   0% Lokdaten \n  10%\n  35%\n 100%\n Zeit: 0,25 min\n");
}

// Without a flag the terminal asks. An answer is one whole line: a long run
// of one key answers one question, never the next one too.
TEST(TerminalBoxes, ATerminalIsAskedAndEachQuestionReadsOneWholeLine) {
    std::FILE* in = std::tmpfile();
    std::fputs(" Ja \nyyyyyyyyyyyyyyyyyyyyyyyyy\nn\nyes", in);
    std::rewind(in);
    std::FILE* out = std::tmpfile();
    TerminalBoxes asking(false, true, in, out, true);
    EXPECT_EQ(asking.Show(" Eins\rZwei", kOverwriteQuestionTitle, BoxButtons::YesNo, BoxIcon::None),
              BoxAnswer::Yes);
    EXPECT_EQ(Captured(out), "\nCV-2 - Sicherung: Eins Zwei [j/N] ");  // one line
    EXPECT_FALSE(IsYes(ReadAnswerLine(in)));
    EXPECT_EQ(ReadAnswerLine(in), "n");
    EXPECT_TRUE(IsYes(ReadAnswerLine(in)));  // the last line needs no line end
    EXPECT_EQ(ReadAnswerLine(in), "");
    std::fclose(in);
    for (const char* no : {"", "jein", "n", "nein", "j a", "0"}) EXPECT_FALSE(IsYes(no)) << no;
}

}  // namespace
}  // namespace cv2::cli
