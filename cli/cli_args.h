// The command line of cv2cli: the subcommand, the port and interface, the
// answers to the restore's questions and the files. Plain C++ over a list of
// words, so it can be tested and fuzzed without a port or Qt.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cancellation.h"
#include "settings/settings.h"

namespace cv2::cli {

// Exit codes of cv2cli.
enum ExitCode {
    kExitOk = 0,
    kExitFailed = 1,                       // the procedure failed
    kExitUsage = 2,                        // bad command line, or a file that cannot be used
    kExitDeclined = 3,                     // a question was answered No
    kExitDifferent = 4,                    // the station or the second file differs
    kExitCancelled = cv2::kExitCancelled,  // ended by Ctrl-C, Ctrl-\, SIGTERM or SIGHUP
};

enum class Command { Help, Version, Backup, Restore, Verify, Inspect, Diff, Ports, Info };

struct CliArgs {
    Command command = Command::Help;
    std::string port;
    InterfaceKind interfaceKind = InterfaceKind::UsbInterface;
    long baud = 115200;
    bool yes = false;           // overwrite the station's active database
    bool otherStation = false;  // write a file from a station with another serial number
    bool json = false;
    // How much of a run's course goes to standard error: Quiet none (errors
    // still), Normal the progress, Verbose also a line per finished section.
    enum class Detail { Quiet, Normal, Verbose } detail = Detail::Normal;
    std::string trace;  // empty: no trace
    std::string keys;   // key file named with --keys; empty: the one looked for
    std::vector<std::string> files;

    // The window program's settings for this run: port, interface flags, rate.
    Settings ToSettings() const;
};

struct ParseResult {
    std::optional<CliArgs> args;
    std::string error;  // German, one line, when args is empty
};

// words excludes the program name.
ParseResult ParseCliArgs(const std::vector<std::string>& words);

std::string UsageText();

// The command line's name of an interface kind: "tandemo", "serial" or "usb".
std::string_view InterfaceName(InterfaceKind kind);

}  // namespace cv2::cli
