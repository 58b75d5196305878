#include "cli/station_commands.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "app/backup_procedure.h"
#include "app/elapsed_time.h"
#include "app/restore_procedure.h"
#include "cli/backup_analysis.h"
#include "cli/reports.h"
#include "cli/serial_trace.h"
#include "cli/station_info.h"
#include "cli/terminal.h"
#include "device/error_help.h"
#include "device/error_text.h"
#include "device/status_table.h"
#include "link/port_switch.h"
#include "platform/end_requests.h"
#include "platform/number_format.h"
#include "platform/platform_stack.h"

namespace cv2::cli {

namespace {

// Empty when path can be written as a backup; otherwise why not. The work
// copy beside the file is made and removed again to find out, so a file that
// another backup is writing right now is refused here too.
std::string CheckWritable(const std::string& path) {
    struct NoProgress : ByteProgress {
        void AddBytes(int) override {}
    } none;
    BackupFile probe(none);
    probe.Open(path);
    return probe.errorText();
}

// One line on standard error, named like the usage errors.
void Say(const std::string& text) { std::fprintf(stderr, "cv2cli: %s\n", OneLine(text).c_str()); }

int Unusable(const std::string& reason) {
    Say(reason);
    return kExitUsage;
}

std::string Trimmed(std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// What a run met on the bus, for people: other devices' messages and requests
// asked again; when there was neither, empty, or with sayNone that it was so.
std::string TrafficText(const LineTally& tally, bool sayNone = false) {
    const int repeats = tally.repeats + tally.fsRetries;
    if (sayNone && tally.foreignFrames == 0 && repeats == 0) {
        return "keine Meldungen anderer LocoNet-Geräte, keine Anfrage wiederholt";
    }
    std::string text;
    if (tally.foreignFrames > 0) {
        text = std::to_string(tally.foreignFrames) +
               (tally.foreignFrames == 1 ? " Meldung" : " Meldungen") + " anderer LocoNet-Geräte";
    }
    if (repeats > 0) {
        if (!text.empty()) text += ", ";
        text += std::to_string(repeats) + (repeats == 1 ? " Anfrage" : " Anfragen") + " wiederholt";
    }
    return text;
}

// Unanswered requests on a bus that carried other devices' messages: the line
// to the bus works, so the advice is not the cable's.
bool TrafficExplains(StatusCode status, const LineTally& tally) {
    return tally.foreignFrames > 0 &&
           (HasDetail(status, Detail::TimedOut) || HasDetail(status, Detail::AnswersLost) ||
            HasDetail(status, Detail::NoAnswer) || HasDetail(status, Detail::ModuleSilent));
}

std::string TrafficAdvice(const LineTally& tally) {
    const int n = tally.foreignFrames;
    return "Während des Laufs sendeten andere LocoNet-Geräte " + std::to_string(n) +
           (n == 1 ? " Meldung" : " Meldungen") +
           ": die Verbindung zum LocoNet steht, aber die Zentrale antwortete nicht. Ist sie "
           "eingeschaltet? Andere Geräte und Programme am LocoNet während des Laufs ruhen lassen "
           "und neu versuchen; die frühere Sicherungsdatei ist unverändert.";
}

// A failure with its status code on one line, and under it what to do. A code
// without a step of its own is told with the section the run was in.
void FailureLines(const ProcedureResult& result, const std::string& statusLine,
                  const KeySource& keys, const LineTally& tally) {
    std::string text = OneLine(result.message);
    if (StepText(result.status / 10000).empty() && !Trimmed(statusLine).empty()) {
        text = Trimmed(statusLine) + ": " + text;
    }
    Say(text + " (Status " + std::to_string(result.status) + ")");
    if (TrafficExplains(result.status, tally)) {
        std::fprintf(stderr, "Was tun: %s\n", TrafficAdvice(tally).c_str());
    } else if (const std::string advice = ErrorAdvice(result.status); !advice.empty()) {
        std::fprintf(stderr, "Was tun: %s\n", advice.c_str());
    }
    if (const std::string advice = KeysAdvice(keys, result.status); !advice.empty()) {
        std::fprintf(stderr, "%s\n", advice.c_str());
    }
}

// The step a cancelled run stopped in, as the user saw it in the status line
// and, where the status names one, as the station's step.
std::string StoppedIn(const ProcedureResult& result, const std::string& statusLine) {
    std::string where = Trimmed(statusLine);
    std::string step(StepText(result.status / 10000));
    while (!step.empty() && (step.back() == ' ' || step.back() == ':')) step.pop_back();
    if (!step.empty()) where += where.empty() ? step : " (" + step + ")";
    return where;
}

// Which question a refused restore was refused at, what answers it, and for a
// file from another station both serial numbers.
int Declined(const ProcedureResult& result, const TerminalBoxes& boxes) {
    const bool otherStation = boxes.declinedTitle() == kOtherStationTitle;
    std::string text;
    if (otherStation) {
        text = "Die Sicherung stammt von einer anderen CV2: Seriennummer in der Datei " +
               std::to_string(result.fileSerial) + ", angeschlossen ist die CV2 mit " +
               std::to_string(result.stationSerial) + ". ";
    }
    const std::string option = otherStation ? "--other-station" : "--yes";
    const std::string question = otherStation
                                     ? "ob sie trotzdem übertragen werden soll"
                                     : "ob die aktive Datenbank der CV2 überschrieben werden soll";
    if (boxes.declinedAsked()) {
        text += "Abgelehnt: es wurde nichts übertragen (" + option + " beantwortet die Frage, " +
                question + ", ohne Rückfrage mit Ja).";
    } else {
        text += "Nichts übertragen: Ohne Terminal kann nicht gefragt werden, " + question + "; " +
                option + " beantwortet die Frage mit Ja.";
    }
    Say(text);
    return kExitDeclined;
}

// The exit code and the text for a run that did not succeed.
int Unsuccessful(const ProcedureResult& result, bool cancelled, const std::string& statusLine,
                 const KeySource& keys, const LineTally& tally = {},
                 const TerminalBoxes* boxes = nullptr) {
    if (result.outcome == Outcome::Done) return kExitOk;
    if (cancelled) {
        const std::string where = StoppedIn(result, statusLine);
        std::fprintf(stderr, "Abgebrochen.%s\n",
                     where.empty() ? "" : (" Schritt: " + where).c_str());
        return kExitCancelled;
    }
    switch (result.outcome) {
        case Outcome::Declined:
            if (boxes) return Declined(result, *boxes);
            Say("Abgelehnt: es wurde nichts übertragen.");
            return kExitDeclined;
        case Outcome::FileUnusable:
            // A file that fails the restore's own check names its status.
            if (result.status != 0) {
                FailureLines(result, statusLine, keys, tally);
                return kExitUsage;
            }
            return Unusable(result.message);
        case Outcome::Failed:
            // The backup file failed, not the station.
            if (result.status == 0) return Unusable(result.message);
            FailureLines(result, statusLine, keys, tally);
            return kExitFailed;
        default:
            return Unusable(result.message);
    }
}

// Minutes with the two decimals they are rounded to, as a JSON number.
std::string MinutesJson(double minutes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", minutes);
    return text;
}

// What a successful backup, restore or verify did, on standard output: for
// people one line, for scripts one JSON object (verify adds its comparison).
std::string RunSummary(const CliArgs& args, const std::string& path, const ProcedureResult& result,
                       double seconds, const LineTally& tally, const std::string& comparison = {}) {
    const int sections = static_cast<int>(kFileLayout.size()) - 2;  // behind the version words
    const double minutes = ElapsedMinutes(0.0, seconds);
    if (args.json) {
        std::string out =
            "{\"command\":" +
            JsonString(args.command == Command::Backup    ? "backup"
                       : args.command == Command::Restore ? "restore"
                                                          : "verify") +
            ",\"file\":" + JsonString(path) + ",\"bytes\":" + std::to_string(kBackupFileSize) +
            ",\"section_count\":" + std::to_string(sections) +
            ",\"minutes\":" + MinutesJson(minutes) +
            ",\"foreign_frames\":" + std::to_string(tally.foreignFrames) +
            ",\"repeated_requests\":" + std::to_string(tally.repeats + tally.fsRetries);
        if (args.command == Command::Restore) {
            out += ",\"station_serial\":" + std::to_string(result.stationSerial) +
                   ",\"other_station\":" +
                   (result.fileSerial != result.stationSerial ? "true" : "false");
        }
        // The comparison's own object, its members joined to this one.
        if (!comparison.empty()) out += "," + comparison.substr(1, comparison.rfind('}') - 1);
        return out + "}\n";
    }
    const std::string what = args.command == Command::Backup    ? "Gesichert: die CV2 in "
                             : args.command == Command::Restore ? "Übertragen: "
                                                                : "Gelesen und verglichen: ";
    std::string line = what + path;
    if (args.command == Command::Restore) {
        line += " in die CV2 mit der Seriennummer " + std::to_string(result.stationSerial);
    }
    line += ", " + GroupedNumber(kBackupFileSize) + " Bytes, " + std::to_string(sections) +
            " Abschnitte, " + LocaleNumber(minutes) + " min";
    // A verbose run always says what it met on the bus; otherwise only when it met anything.
    const std::string traffic = TrafficText(tally, args.detail == CliArgs::Detail::Verbose);
    if (!traffic.empty()) line += "; " + traffic;
    return comparison + line + ".\n";
}

// cv2cli info: what the first contact found on stdout; when the contact failed
// or was cancelled, that as the other commands give it on stderr.
int ReportProbe(const CliArgs& args, const KeySource& keys, const StationProbe& probe,
                const BackupImage& file, bool cancelled, const std::string& server) {
    InfoContext context{args.port, args.interfaceKind, args.baud, keys, {}, {}, server};
    if (!args.files.empty()) {
        context.filePath = args.files[0];
        context.file = Summarize(file);
    }
    std::fputs((args.json ? InfoJson(context, probe) : InfoText(context, probe)).c_str(), stdout);
    if (probe.status != 0 || cancelled) {
        const std::string text =
            probe.portProblem.empty() ? ErrorText(probe.status) : probe.portProblem;
        return Unsuccessful({Outcome::Failed, probe.status, text}, cancelled, {}, keys);
    }
    return Ready(probe, context) ? kExitOk : kExitFailed;
}

// What a run is made of, in the order it must be built. With a trace file the
// link talks to the port through the tracing decorators.
struct Composition {
    Composition(const CliArgs& args, std::FILE* traceFile, const KeyTable& keys)
        : settings(args.ToSettings()),
          trace(traceFile ? std::make_unique<FrameTrace>(traceFile, platform->clock()) : nullptr),
          tracedComm(trace ? std::make_unique<TracingSerialControl>(ports, *trace) : nullptr),
          tracedIo(trace ? std::make_unique<TracingPortIo>(platform->io(), *trace) : nullptr),
          boxes(args.yes, args.otherStation, stdin, stderr, isatty(fileno(stdin)) != 0),
          link(tracedComm ? *tracedComm : static_cast<SerialControl&>(ports),
               tracedIo ? *tracedIo : platform->io(), platform->clock(), platform->events()),
          device(link, keys),
          host(
              stderr, isatty(fileno(stderr)) != 0, platform->clock(), [this] { link.ClosePort(); },
              LocaleNumber, args.detail),
          progress(host) {
        WatchEndRequests("cv2cli", link.cancellation(), nullptr);
        if (trace) device.frames().SetObserver([t = trace.get()](FrameRole r) { t->Label(r); });
        if (trace)
            ports.SetOnServerVersion(
                [t = trace.get()](const std::string& v) { t->Step("Server: " + v); });
    }
    // The trace's last lines: what the run met on the bus.
    void TraceTally() {
        if (!trace) return;
        trace->Step(TrafficText(device.frames().tally(), true));
        // Lines of a LocoNet server that were no whole message were skipped, never fed half.
        if (const TcpTransport* tcp = ports.tcp(); tcp && tcp->malformedLines() > 0) {
            const int n = tcp->malformedLines();
            trace->Step(std::to_string(n) +
                        (n == 1 ? " fehlerhafte Zeile" : " fehlerhafte Zeilen") +
                        " des LocoNet-Servers übergangen");
        }
    }
    ~Composition() { StopWatchingEndRequests(); }

    Settings settings;
    std::unique_ptr<PlatformStack> platform = MakePlatformStack();
    // The serial port, or a LocoNet server over TCP when --port says tcp://.
    PortSwitch ports{platform->comm1(), platform->socket(), platform->clock(), platform->events()};
    std::unique_ptr<FrameTrace> trace;
    std::unique_ptr<TracingSerialControl> tracedComm;
    std::unique_ptr<TracingPortIo> tracedIo;
    TerminalBoxes boxes;
    Link link;
    Device device;
    TerminalHost host;
    Progress progress;
};

}  // namespace

int RunStationCommand(const CliArgs& args, const KeySource& keys) {
    const std::string path = args.files.empty() ? std::string() : args.files[0];
    // Everything that needs no station is checked before anything is written
    // (the trace file among it) and before the port opens.
    BackupImage compared;
    if (args.command == Command::Backup) {
        if (std::string problem = CheckWritable(path); !problem.empty()) return Unusable(problem);
    } else if (args.command == Command::Verify || args.command == Command::Info) {
        // info asks about a backup file only when given one.
        if (!path.empty()) compared = LoadBackupImage(path);
        if (!compared.error.empty()) return Unusable(compared.error);
    } else if (const ProcedureResult refused = LoadRestoreFile(path, compared);
               refused.outcome != Outcome::Done) {
        return Unsuccessful(refused, false, {}, keys);
    }
    std::FILE* traceFile = nullptr;
    if (!args.trace.empty()) {
        if (StagedFile::SameFile(args.trace, path)) {
            return Unusable("Die Protokolldatei " + args.trace +
                            " ist die Sicherungsdatei selbst; sie wird nicht überschrieben.");
        }
        traceFile = std::fopen(args.trace.c_str(), "w");
        if (!traceFile) {
            return Unusable("Die Datei " + args.trace +
                            " kann nicht geschrieben werden: " + SystemReason(errno));
        }
    }

    int exitCode = kExitOk;
    int traceError = 0;
    {
        Composition c(args, traceFile, keys.keys);
        c.settings.BackupFileName = path;
        if (args.command == Command::Info) {
            const StationProbe probe = ProbeStation(c.link, c.device, LinkConfigOf(c.settings));
            const TcpTransport* tcp = c.ports.tcp();
            exitCode = ReportProbe(args, keys, probe, compared, c.link.cancellation().requested(),
                                   tcp ? tcp->serverVersion() : std::string());
        } else if (args.command == Command::Restore) {
            GivenFile file(path);
            RestoreProcedure restore(c.host, c.settings, c.link, c.device, c.progress, c.boxes,
                                     file);
            restore.UseLoadedFile(&compared);  // read and checked above
            const ProcedureResult result = restore.Run();
            const LineTally& tally = c.device.frames().tally();
            exitCode = Unsuccessful(result, c.link.cancellation().requested(), c.host.statusLine(),
                                    keys, tally, &c.boxes);
            if (exitCode == kExitOk) {
                std::fputs(RunSummary(args, path, result, c.host.runSeconds(), tally).c_str(),
                           stdout);
            }
        } else {
            BackupProcedure backup(c.host, c.settings, c.link, c.device, c.progress, c.boxes);
            Image station;
            if (args.command == Command::Verify) backup.ReadIntoMemory(&station);
            const ProcedureResult result = backup.Run();
            const LineTally& tally = c.device.frames().tally();
            exitCode = Unsuccessful(result, c.link.cancellation().requested(), c.host.statusLine(),
                                    keys, tally);
            std::string comparison;
            if (exitCode == kExitOk && args.command == Command::Verify) {
                AsBackupWouldWrite(compared.bytes);
                const auto diffs = CompareImages(station, compared.bytes);
                comparison =
                    args.json ? ComparisonJson(diffs)
                              : ComparisonText(
                                    diffs.empty() ? "Die CV2 entspricht der Datei " + path + "."
                                                  : "Die CV2 weicht von der Datei " + path + " ab:",
                                    diffs);
                exitCode = diffs.empty() ? kExitOk : kExitDifferent;
            }
            if (exitCode == kExitOk || exitCode == kExitDifferent) {
                std::fputs(
                    RunSummary(args, path, result, c.host.runSeconds(), tally, comparison).c_str(),
                    stdout);
            }
        }
        c.TraceTally();
        if (c.trace) {
            c.trace->Flush();
            traceError = c.trace->writeError();
        }
    }
    if (traceFile && std::fclose(traceFile) != 0 && traceError == 0) traceError = errno;
    // The run itself is not failed by its record; that the record is missing
    // is said once.
    if (traceError != 0) {
        Say("Warnung: Das Protokoll " + args.trace +
            " ist unvollständig, Zeilen konnten nicht geschrieben werden: " +
            SystemReason(traceError));
    }
    return exitCode;
}

}  // namespace cv2::cli
