// cv2cli info in process against the simulated station on the fake clock: what
// the first contact finds of a good station, of one whose FS module is silent,
// whose version word is wrong or whose keys differ, and that it asks none of
// them to write anything.
#include "cli/station_info.h"

#include <gtest/gtest.h>

#include "tests/transfer/station_rig.h"

namespace cv2::cli {
namespace {

using testing::StationRig;

TEST(StationInfo, FindsWhatKeepsABackupFromRunningAndChangesNothing) {
    using station::Request;
    const struct {
        const char* what;
        void (*change)(StationRig&);
        std::vector<StatusCode> steps;  // open, boot start, serial, versions, FS module, boot end
        StatusCode status;
        const char* finding;  // in the text
    } rows[] = {
        // clang-format off
        {"good", [](StationRig&) {}, {0, 0, 0, 0, 0, 0}, 0, "Die CV2 ist bereit für Sicherung"},
        {"no port", [](StationRig& r) { r.serial.openError = "fehlt"; }, {1}, 1,
         "Schnittstelle öffnen      0,00 s  fehlgeschlagen\n"},
        {"silent FS module",
         [](StationRig& r) { r.station().options().faults.silentFsModule = true; },
         {0, 0, 0, 0, 300031, 0}, 0, "Das FS-Modul antwortet nicht: Sicherung und Rückübertragung"},
        {"version word 7", [](StationRig& r) { r.memory().SetVersionWord(3, 7); },
         {0, 0, 0, 0, 0, 0}, 0, "Datenbankversion: 5 5 5 7 5 5 5 5 5 5 (ungültig"},
        {"other service key",
         [](StationRig& r) { r.station().options().keys.ServiceKey[7] ^= 1; },
         {0, 111011, 121011}, 111011, "Keine Verbindung zur CV2."},
        {"no answer",
         [](StationRig& r) { r.station().options().faults.silentRequest = Request::BootloaderStart; },
         {0, 110013, 0}, 110013, "Bootloader starten        2,00 s  fehlgeschlagen (Status 110013)"},
        {"cancelled", [](StationRig& r) { r.link.cancellation().Request(); }, {0, 110098}, 110098,
         "Abgebrochen, bevor alles gefragt war."},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        StationRig rig;
        row.change(rig);

        const StationProbe probe = ProbeStation(rig.link, rig.device, LinkConfigOf(rig.settings));
        std::vector<StatusCode> steps;
        for (const ProbeStepResult& r : probe.steps) steps.push_back(r.status);
        EXPECT_EQ(steps, row.steps);
        EXPECT_EQ(probe.status, row.status);
        const InfoContext context{"3", InterfaceKind::UsbInterface, 115200, {}, {}, {}, {}};
        EXPECT_EQ(Ready(probe, context), row.what == std::string_view("good"));
        const std::string text = InfoText(context, probe);
        EXPECT_NE(text.find(row.finding), std::string::npos) << text;
        EXPECT_EQ(text.find("Datei"), std::string::npos);  // none was asked about

        // The station's memory changes only through these requests.
        for (auto write : {Request::SamFlashWrite, Request::DataFlashWrite, Request::WriteBlock,
                           Request::FsWriteEntry}) {
            EXPECT_EQ(rig.station().Count(write), 0);
        }
        EXPECT_FALSE(rig.station().bootloaderActive());
        EXPECT_EQ(rig.station().fsProgramming(), probe.fsModule.value_or(0) != 0);
        EXPECT_FALSE(rig.serial.PortOpen());
    }
}

// The text names every step with its time and says whether a restore of the
// file would ask about another station; JSON says the same for scripts.
TEST(StationInfo, ReportsEveryStepAndWhetherTheFileIsFromThisStation) {
    StationRig rig;
    const StationProbe probe = ProbeStation(rig.link, rig.device, LinkConfigOf(rig.settings));
    InfoContext context{"./port", InterfaceKind::UsbInterface, 115200, {}, "a.CDF", {}, {}};
    context.file.serial = 1200000001;
    context.file.versions.fill(5);
    context.file.versions[9] = 4;
    EXPECT_EQ(
        InfoText(context, probe),
        "Schnittstelle: usb an ./port, 115200 Baud\n"
        "Schlüssel: eingebaute Testwerte\n"
        "  Schnittstelle öffnen      0,00 s  gelungen\n"
        "  Bootloader starten        1,02 s  gelungen\n"
        "  Seriennummer lesen        0,00 s  1200066051\n"
        "  Datenbankversion lesen    0,00 s  gültig\n"
        "  FS-Modul fragen           0,00 s  antwortet\n"
        "  Bootloader beenden        0,50 s  gelungen\n"
        "Kennung (id3 id2 id1 id0): 03 02 41 41\n"
        "Datenbankversion: 5 5 5 5 5 5 5 5 5 5 (gültig)\n"
        "Datei a.CDF: Seriennummer 1200000001, von einer anderen CV2: die Rückübertragung "
        "fragt zusätzlich „Achtung“ und passt die Daten bei „Ja“ an diese CV2 an.\n"
        "Ergebnis: Die Datei a.CDF hat keine gültige Datenbankversion: die "
        "Rückübertragung lehnt sie ab, bevor sie die Schnittstelle öffnet. (Status 140099)\n");

    context.file.serial = 1200066051;
    context.file.versions[9] = 5;
    context.keys.path = "/etc/cv2sicherung/keys";
    EXPECT_EQ(
        InfoJson(context, probe),
        R"({"interface":"usb","port":"./port","baud":115200,"server":null,"keys":{"built_in":false,)"
        R"("file":"/etc/cv2sicherung/keys"},"steps":[{"step":"open","status":0,)"
        R"("seconds":0.000},{"step":"bootloader_start","status":0,"seconds":1.021},)"
        R"({"step":"serial_number","status":0,"seconds":0.000},{"step":"version_words",)"
        R"("status":0,"seconds":0.000},{"step":"fs_module","status":0,"seconds":0.000},)"
        R"({"step":"bootloader_end","status":0,"seconds":0.501}],"port_problem":null,)"
        R"("status":0,"serial":1200066051,"identity":[3,2,65,65],"version_words":[5,5,)"
        R"(5,5,5,5,5,5,5,5],"versions_valid":true,"fs_module_answers":true,"file":{)"
        R"("path":"a.CDF","serial":1200066051,"same_station":true,)"
        R"("other_station_question":false,"versions_valid":true},"ready":true})"
        "\n");
}

}  // namespace
}  // namespace cv2::cli
