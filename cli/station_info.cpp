#include "cli/station_info.h"

#include <cstdio>

#include "app/procedure_course.h"
#include "cli/cli_args.h"
#include "cli/reports.h"
#include "device/error_text.h"
#include "link/tcp_address.h"
#include "transfer/fs_module.h"

namespace cv2::cli {

namespace {

// Width of the step table's name column, in characters.
constexpr std::size_t kStepColumn = 23;

struct StepName {
    const char* text;  // German, for people
    const char* key;   // for scripts
};

StepName NameOf(ProbeStep step) {
    switch (step) {
        case ProbeStep::Open:
            return {"Schnittstelle öffnen", "open"};
        case ProbeStep::BootloaderStart:
            return {"Bootloader starten", "bootloader_start"};
        case ProbeStep::SerialNumber:
            return {"Seriennummer lesen", "serial_number"};
        case ProbeStep::VersionWords:
            return {"Datenbankversion lesen", "version_words"};
        case ProbeStep::FsModule:
            return {"FS-Modul fragen", "fs_module"};
        case ProbeStep::BootloaderEnd:
            break;
    }
    return {"Bootloader beenden", "bootloader_end"};
}

std::string Seconds(double seconds, int decimals, bool comma) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, seconds);
    std::string out = text;
    if (comma) {
        for (char& c : out) c = c == '.' ? ',' : c;
    }
    return out;
}

std::string Hex2(int value) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

std::string Serial(double serial) { return std::to_string(static_cast<std::uint32_t>(serial)); }

bool SameStation(const StationProbe& probe, const InfoContext& context) {
    return probe.serial && static_cast<double>(context.file.serial) == *probe.serial;
}

// The findings that keep a backup or a restore from running through, each
// with the status it would end with.
std::vector<std::pair<std::string, StatusCode>> Obstacles(const StationProbe& probe,
                                                          const InfoContext& context) {
    std::vector<std::pair<std::string, StatusCode>> out;
    if (probe.status != 0) {
        out.emplace_back(probe.status % 100 == kCancelled ? "Abgebrochen, bevor alles gefragt war."
                                                          : "Keine Verbindung zur CV2.",
                         probe.status);
        return out;
    }
    if (!VersionWordsValid(*probe.versions)) {
        out.emplace_back(
            "Die Datenbankversion der CV2 kennt dieses Programm nicht: Sicherung und "
            "Rückübertragung brechen gleich zu Beginn ab.",
            kDatabaseVersionInvalid);
    }
    if (*probe.fsModule != 0) {
        out.emplace_back(
            "Das FS-Modul antwortet nicht: Sicherung und Rückübertragung brechen "
            "am Ende ab.",
            *probe.fsModule);
    }
    if (!context.filePath.empty() && !VersionWordsValid(context.file.versions)) {
        out.emplace_back("Die Datei " + context.filePath +
                             " hat keine gültige Datenbankversion: die Rückübertragung lehnt sie "
                             "ab, bevor sie die Schnittstelle öffnet.",
                         kFileVersionInvalid);
    }
    return out;
}

std::string StepResult(const ProbeStepResult& r, const StationProbe& probe) {
    if (r.step == ProbeStep::FsModule) return r.status == 0 ? "antwortet" : "antwortet nicht";
    if (r.status != 0) {
        return r.step == ProbeStep::Open
                   ? "fehlgeschlagen"
                   : "fehlgeschlagen (Status " + std::to_string(r.status) + ")";
    }
    if (r.step == ProbeStep::SerialNumber) return Serial(*probe.serial);
    if (r.step == ProbeStep::VersionWords) {
        return VersionWordsValid(*probe.versions) ? "gültig" : "ungültig";
    }
    return "gelungen";
}

std::string WordList(const VersionWords& words, const char* separator) {
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i) {
        out += (i ? separator : "") + std::to_string(words[i]);
    }
    return out;
}

// Notes each step's outcome and the time it took; the first failure is the
// contact's, except the FS module's, which is a finding of its own.
struct StepLog {
    StationProbe& probe;
    const Clock& clock;
    double start = clock.Now();

    bool Note(ProbeStep step, StatusCode Status) {
        const double now = clock.Now();
        probe.steps.push_back({step, Status, now - start});
        start = now;
        if (Status != 0 && probe.status == 0 && step != ProbeStep::FsModule) probe.status = Status;
        return Status == 0;
    }
};

// The contact itself, over the open port.
void TalkToStation(Link& link, Device& device, StepLog& log) {
    StationProbe& probe = log.probe;
    StatusCode Status = 0;
    device.frames().tally() = {};
    device.BootloaderStart(Status);
    if (Status == 0) link.Pause(kSettleAfterStart);
    if (log.Note(ProbeStep::BootloaderStart, Status)) {
        double serial = 0;
        std::array<std::int16_t, 4>& id = probe.identity;
        device.ReadSerialNumber(serial, id[0], id[1], id[2], id[3], Status);
        if (log.Note(ProbeStep::SerialNumber, Status)) {
            probe.serial = serial;
            VersionWords words{};
            ReadVersionWords(device, words, Status);
            if (log.Note(ProbeStep::VersionWords, Status)) {
                probe.versions = words;
                // Programming mode on and off again, as a backup starts and ends it.
                std::int32_t key = 0;
                StatusCode fs = 0;
                ReadFsModuleKey(device, key, fs);
                log.Note(ProbeStep::FsModule, fs);
                probe.fsModule = fs;
            }
        }
    }
    // The station leaves its bootloader whatever was found, also when its start
    // went unanswered (the answer may have been lost); a cancelled run sends
    // nothing more.
    if (link.cancellation().requested()) return;
    StatusCode end = 0;
    link.Pause(kSettleBeforeEnd);
    device.BootloaderEnd(end);
    log.Note(ProbeStep::BootloaderEnd, end);
}

}  // namespace

StationProbe ProbeStation(Link& link, Device& device, const LinkConfig& config) {
    StationProbe probe;
    StepLog log{probe, link.clock()};
    if (log.Note(ProbeStep::Open, link.OpenLink(config))) {
        TalkToStation(link, device, log);
    } else {
        probe.portProblem = link.failureText();
    }
    link.ClosePort();
    return probe;
}

bool Ready(const StationProbe& probe, const InfoContext& context) {
    return Obstacles(probe, context).empty();
}

std::string InfoText(const InfoContext& c, const StationProbe& probe) {
    // Over TCP neither the interface kind nor the rate applies.
    std::string out =
        IsTcpPortText(c.port)
            ? "Schnittstelle: LocoNet über TCP an " + c.port +
                  ", Server: " + (c.server.empty() ? "(nennt sich nicht)" : c.server) + "\n"
            : "Schnittstelle: " + std::string(InterfaceName(c.interfaceKind)) + " an " + c.port +
                  ", " + std::to_string(c.baud) + " Baud\n";
    out += KeysInUse(c.keys) + "\n";
    for (const ProbeStepResult& r : probe.steps) {
        char time[16];
        std::snprintf(time, sizeof time, "%7s s  ", Seconds(r.seconds, 2, true).c_str());
        out += "  " + Padded(NameOf(r.step).text, kStepColumn) + time + StepResult(r, probe) + "\n";
    }
    if (probe.serial) {
        out += "Kennung (id3 id2 id1 id0): " + Hex2(probe.identity[0]) + " " +
               Hex2(probe.identity[1]) + " " + Hex2(probe.identity[2]) + " " +
               Hex2(probe.identity[3]) + "\n";
    }
    if (probe.versions) {
        out += "Datenbankversion: " + WordList(*probe.versions, " ") +
               (VersionWordsValid(*probe.versions) ? " (gültig)\n"
                                                   : " (ungültig: jedes Wort muss 5 sein)\n");
    }
    if (!c.filePath.empty() && probe.serial) {
        out += "Datei " + c.filePath + ": Seriennummer " + std::to_string(c.file.serial);
        out += SameStation(probe, c)
                   ? ", von dieser CV2: die Rückübertragung fragt nur, ob die aktive Datenbank "
                     "überschrieben werden soll.\n"
                   : ", von einer anderen CV2: die Rückübertragung fragt zusätzlich „Achtung“ "
                     "und passt die Daten bei „Ja“ an diese CV2 an.\n";
    }
    const auto obstacles = Obstacles(probe, c);
    for (const auto& [text, status] : obstacles) {
        out += "Ergebnis: " + text + " (Status " + std::to_string(status) + ")\n";
    }
    if (obstacles.empty())
        out += "Ergebnis: Die CV2 ist bereit für Sicherung und Rückübertragung.\n";
    return out;
}

std::string InfoJson(const InfoContext& c, const StationProbe& probe) {
    auto orNull = [](bool known, const std::string& value) { return known ? value : "null"; };
    // Over TCP neither the interface kind nor the rate applies.
    const bool tcp = IsTcpPortText(c.port);
    std::string out =
        "{\"interface\":\"" + std::string(tcp ? "tcp" : InterfaceName(c.interfaceKind)) +
        "\",\"port\":" + JsonString(c.port) + ",\"baud\":" + orNull(!tcp, std::to_string(c.baud)) +
        ",\"server\":" + orNull(!c.server.empty(), JsonString(c.server)) +
        ",\"keys\":{\"built_in\":" + (c.keys.builtIn() ? "true" : "false") +
        ",\"file\":" + (c.keys.builtIn() ? "null" : JsonString(c.keys.path)) + "},\"steps\":[";
    for (std::size_t i = 0; i < probe.steps.size(); ++i) {
        const ProbeStepResult& r = probe.steps[i];
        out += std::string(i ? "," : "") + "{\"step\":\"" + NameOf(r.step).key +
               "\",\"status\":" + std::to_string(r.status) +
               ",\"seconds\":" + Seconds(r.seconds, 3, false) + "}";
    }
    out +=
        "],\"port_problem\":" + orNull(!probe.portProblem.empty(), JsonString(probe.portProblem));
    out += ",\"status\":" + std::to_string(probe.status);
    out += ",\"serial\":" +
           orNull(probe.serial.has_value(), probe.serial ? Serial(*probe.serial) : "");
    std::string identity = "[";
    for (std::size_t i = 0; i < probe.identity.size(); ++i) {
        identity += (i ? "," : "") + std::to_string(probe.identity[i]);
    }
    out += ",\"identity\":" + orNull(probe.serial.has_value(), identity + "]");
    out += ",\"version_words\":" +
           orNull(probe.versions.has_value(),
                  probe.versions ? "[" + WordList(*probe.versions, ",") + "]" : "");
    out += ",\"versions_valid\":" +
           orNull(probe.versions.has_value(),
                  probe.versions && VersionWordsValid(*probe.versions) ? "true" : "false");
    out += ",\"fs_module_answers\":" +
           orNull(probe.fsModule.has_value(), probe.fsModule == 0 ? "true" : "false");
    out += ",\"file\":";
    if (c.filePath.empty() || !probe.serial) {
        out += "null";
    } else {
        const bool same = SameStation(probe, c);
        out +=
            "{\"path\":" + JsonString(c.filePath) + ",\"serial\":" + std::to_string(c.file.serial) +
            ",\"same_station\":" + (same ? "true" : "false") +
            ",\"other_station_question\":" + (same ? "false" : "true") +
            ",\"versions_valid\":" + (VersionWordsValid(c.file.versions) ? "true" : "false") + "}";
    }
    return out + ",\"ready\":" + (Ready(probe, c) ? "true" : "false") + "}\n";
}

}  // namespace cv2::cli
