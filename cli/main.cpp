// cv2cli: backup, restore and verify of the station from a terminal, a look
// into backup files, and the machine's serial ports. Exit codes in cli_args.h.
#include <cstdio>

#include "cli/backup_analysis.h"
#include "cli/cli_args.h"
#include "cli/reports.h"
#include "cli/station_commands.h"
#include "platform/port_list.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace cv2::cli;
using cv2::BackupImage;
using cv2::LoadBackupImage;

namespace {

int Inspect(const CliArgs& args) {
    const std::string& path = args.files[0];
    const BackupImage file = LoadBackupImage(path);
    if (!file.error.empty()) {
        std::fprintf(stderr, "cv2cli: %s\n", file.error.c_str());
        return kExitUsage;
    }
    const Summary summary = Summarize(file);
    std::fputs((args.json ? InspectJson(path, summary) : InspectText(path, summary)).c_str(),
               stdout);
    return kExitOk;
}

int Diff(const CliArgs& args) {
    BackupImage files[2];
    for (int i = 0; i < 2; ++i) {
        files[i] = LoadBackupImage(args.files[i]);
        if (!files[i].error.empty()) {
            std::fprintf(stderr, "cv2cli: %s\n", files[i].error.c_str());
            return kExitUsage;
        }
    }
    const auto diffs = CompareImages(files[0].bytes, files[1].bytes);
    const std::string headline = diffs.empty() ? "Die Dateien sind gleich."
                                               : "Die Dateien " + args.files[0] + " und " +
                                                     args.files[1] + " unterscheiden sich:";
    std::fputs((args.json ? ComparisonJson(diffs) : ComparisonText(headline, diffs)).c_str(),
               stdout);
    return diffs.empty() ? kExitOk : kExitDifferent;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The texts are UTF-8; the console shows them so only in its UTF-8 code page.
    SetConsoleOutputCP(CP_UTF8);
#endif
    const ParseResult parsed = ParseCliArgs(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.args) {
        std::fprintf(stderr, "cv2cli: %s\nHilfe: cv2cli --help\n", parsed.error.c_str());
        return kExitUsage;
    }
    const CliArgs& args = *parsed.args;
    switch (args.command) {
        case Command::Help:
            std::fputs(UsageText().c_str(), stdout);
            return kExitOk;
        case Command::Inspect:
            return Inspect(args);
        case Command::Diff:
            return Diff(args);
        default:
            break;
    }
    if (args.command == Command::Ports) {
        const auto ports = cv2::AvailablePorts();
        std::fputs((args.json ? PortsJson(ports) : PortsText(ports)).c_str(), stdout);
        return kExitOk;
    }
    // A key file that is there but wrong stops the run before any port opens.
    const cv2::KeySource keys = cv2::LoadKeys(args.keys);
    if (!keys.ok()) {
        std::fprintf(stderr, "cv2cli: %s\n", keys.error.c_str());
        return kExitUsage;
    }
    if (args.command == Command::Version) {
        std::printf("cv2cli %d.%d.%d\n%s\n", CV2_VERSION_MAJOR, CV2_VERSION_MINOR,
                    CV2_VERSION_PATCH, cv2::KeysInUse(keys).c_str());
        return kExitOk;
    }
    return RunStationCommand(args, keys);
}
