#include "cli/station_commands.h"

#include <QLocale>
#include <QSocketNotifier>
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
#include "app/restore_procedure.h"
#include "cli/backup_analysis.h"
#include "cli/interrupt.h"
#include "cli/reports.h"
#include "cli/serial_trace.h"
#include "cli/station_info.h"
#include "cli/terminal.h"
#include "platform/qt/qt_clock.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_serial_control.h"
#include "platform/qt/uart_port_io.h"

namespace cv2::cli {

namespace {

std::string NumberOfLocale(double value) {
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15).toStdString();
}

// Empty when path can be written as a backup; otherwise why not. A file
// that does not exist yet is created and removed again to find out.
std::string CheckWritable(const std::string& path) {
    namespace fs = std::filesystem;
    const std::string prefix = "Die Datei " + path + " kann nicht geschrieben werden: ";
    std::error_code ec;
    if (fs::is_directory(path, ec)) return prefix + SystemReason(EISDIR);
    const bool existed = fs::exists(path, ec);
    std::FILE* f = std::fopen(path.c_str(), existed ? "r+b" : "wb");
    if (!f) return prefix + SystemReason(errno);
    std::fclose(f);
    if (!existed) fs::remove(path, ec);
    return {};
}

int Unusable(const std::string& reason) {
    std::fprintf(stderr, "%s\n", CrToNewline(reason).c_str());
    return kExitUsage;
}

// The exit code and the text for a run that did not succeed.
int Unsuccessful(const ProcedureResult& result, const KeySource& keys) {
    switch (result.outcome) {
        case Outcome::Done:
            return kExitOk;
        case Outcome::Declined:
            std::fprintf(stderr, "Abgelehnt: es wurde nichts übertragen.\n");
            return kExitDeclined;
        case Outcome::NoFile:
        case Outcome::FileUnusable:
            return Unusable(result.message);
        case Outcome::Failed:
            break;
    }
    if (Interrupted()) {
        std::fprintf(stderr, "Der Lauf wurde abgebrochen (Strg+C oder SIGTERM).\n");
    } else if (result.status == 0) {
        // The backup file failed, not the station.
        return Unusable(result.message);
    } else {
        std::fprintf(stderr, "%s\n", CrToNewline(result.message).c_str());
    }
    std::fprintf(stderr, "Status %d\n", static_cast<int>(result.status));
    if (std::string advice = KeysAdvice(keys, result.status); !advice.empty()) {
        std::fprintf(stderr, "%s\n", advice.c_str());
    }
    return kExitFailed;
}

// cv2cli info: what the first contact found on stdout; when the contact failed,
// the failure as the other commands give it on stderr.
int ReportProbe(const CliArgs& args, const KeySource& keys, const StationProbe& probe,
                const LoadedFile& file) {
    InfoContext context{args.port, args.interfaceKind, args.baud, keys, {}, {}};
    if (!args.files.empty()) {
        context.filePath = args.files[0];
        context.file = Summarize(file);
    }
    std::fputs((args.json ? InfoJson(context, probe) : InfoText(context, probe)).c_str(), stdout);
    if (probe.status != 0) {
        const std::string text =
            probe.portProblem.empty() ? ErrorText(probe.status) : probe.portProblem;
        Unsuccessful({Outcome::Failed, probe.status, text}, keys);
    }
    return Ready(probe, context) ? kExitOk : kExitFailed;
}

// What a run is made of, in the order it must be built. With a trace file the
// link talks to the port through the tracing decorators.
struct Composition {
    Composition(const CliArgs& args, std::FILE* traceFile, const KeyTable& keys)
        : settings(args.ToSettings()),
          trace(traceFile ? std::make_unique<FrameTrace>(traceFile, realClock) : nullptr),
          tracedComm(trace ? std::make_unique<TracingSerialControl>(comm1, *trace) : nullptr),
          tracedIo(trace ? std::make_unique<TracingPortIo>(io, *trace) : nullptr),
          boxes(args.yes, args.otherStation, stdin, stderr, isatty(fileno(stdin)) != 0),
          link(tracedComm ? *tracedComm : static_cast<SerialControl&>(comm1),
               tracedIo ? *tracedIo : static_cast<PortIo&>(io), clock, pump, boxes, settings,
               keys.ServiceKey),
          device(link, keys),
          host(
              stderr, isatty(fileno(stderr)) != 0, clock, [this] { link.ClosePort(); },
              NumberOfLocale),
          progress(host) {}

    Settings settings;
    QtClock realClock;
    InterruptibleClock clock{realClock};
    QtEventPump pump;
    QtSerialControl comm1;
    UartPortIo io{comm1};
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
    LoadedFile compared;
    if (args.command == Command::Backup) {
        if (std::string problem = CheckWritable(path); !problem.empty()) return Unusable(problem);
    } else if (args.command == Command::Verify ||
               (args.command == Command::Info && !path.empty())) {
        compared = LoadBackupFile(path);
        if (!compared.error.empty()) return Unusable(compared.error);
    }
    std::FILE* traceFile = nullptr;
    if (!args.trace.empty()) {
        traceFile = std::fopen(args.trace.c_str(), "w");
        if (!traceFile) {
            return Unusable("Die Datei " + args.trace +
                            " kann nicht geschrieben werden: " + SystemReason(errno));
        }
    }
    InstallInterruptHandlers();
    // Ctrl-C wakes a wait at once; the jumped clock then ends it.
    std::unique_ptr<QSocketNotifier> interruptWake;
    if (InterruptWakeFd() >= 0) {
        interruptWake = std::make_unique<QSocketNotifier>(InterruptWakeFd(), QSocketNotifier::Read);
        QObject::connect(interruptWake.get(), &QSocketNotifier::activated,
                         [] { DrainInterruptWake(); });
    }

    int exitCode = kExitOk;
    {
        Composition c(args, traceFile, keys.keys);
        c.settings.BackupFileName = path;
        if (args.command == Command::Info) {
            exitCode = ReportProbe(args, keys, ProbeStation(c.link, c.device), compared);
        } else if (args.command == Command::Restore) {
            GivenFile file(path);
            exitCode = Unsuccessful(
                RestoreProcedure(c.host, c.settings, c.link, c.device, c.progress, c.boxes, file)
                    .Run(),
                keys);
        } else {
            BackupProcedure backup(c.host, c.settings, c.link, c.device, c.progress, c.boxes);
            Image station;
            if (args.command == Command::Verify) backup.ReadIntoMemory(&station);
            exitCode = Unsuccessful(backup.Run(), keys);
            if (exitCode == kExitOk && args.command == Command::Verify) {
                AsBackupWouldWrite(compared.image);
                const auto diffs = CompareImages(station, compared.image);
                const std::string out =
                    args.json ? ComparisonJson(diffs)
                              : ComparisonText(
                                    diffs.empty() ? "Die CV2 entspricht der Datei " + path + "."
                                                  : "Die CV2 weicht von der Datei " + path + " ab:",
                                    diffs);
                std::fputs(out.c_str(), stdout);
                exitCode = diffs.empty() ? kExitOk : kExitDifferent;
            }
        }
    }
    if (traceFile) std::fclose(traceFile);
    return exitCode;
}

}  // namespace cv2::cli
