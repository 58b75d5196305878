// cv2cli's command line from arbitrary words (the input split at NUL bytes):
// it is either refused with a reason or gives a command that has what it
// needs: a port for the commands that talk to the station, a rate the
// interface allows, its number of files, and settings that carry the same port
// and rate.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "fuzz/fuzz_check.h"
#include "settings/options_logic.h"

using cv2::fuzz::Check;
using namespace cv2::cli;

namespace {

constexpr std::size_t kMostWords = 24;

std::size_t FilesOf(Command c) {
    switch (c) {
        case Command::Backup:
        case Command::Restore:
        case Command::Verify:
        case Command::Inspect:
        case Command::Info:
            return 1;
        case Command::Diff:
            return 2;
        default:
            return 0;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> words(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] != 0) {
            words.back() += static_cast<char>(data[i]);
        } else if (words.size() < kMostWords) {
            words.emplace_back();
        }
    }
    const ParseResult parsed = ParseCliArgs(words);
    if (!parsed.args) {
        Check(!parsed.error.empty());
        return 0;
    }
    Check(parsed.error.empty());
    const CliArgs& args = *parsed.args;
    if (args.command == Command::Help || args.command == Command::Version) return 0;
    // info asks about a backup file only when given one.
    Check(args.files.size() == FilesOf(args.command) ||
          (args.command == Command::Info && args.files.empty()));
    const bool station = args.command == Command::Backup || args.command == Command::Restore ||
                         args.command == Command::Verify || args.command == Command::Info;
    if (!station) return 0;
    Check(!args.port.empty());
    Check(std::find(cv2::kBaudRates.begin(), cv2::kBaudRates.end(), args.baud) !=
          cv2::kBaudRates.end());
    const cv2::Settings s = args.ToSettings();
    Check(s.BaudRate == args.baud && s.ComPort.ToText() == args.port);
    Check(s.Interface == args.interfaceKind);
    return 0;
}
