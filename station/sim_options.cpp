#include "station/sim_options.h"

#include <charconv>
#include <cstdint>

namespace cv2::station {

namespace {

template <typename T>
bool Number(const std::string& text, T& out) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && p == end;
}

bool ParseSpeed(const std::string& text, Speed& speed) {
    if (text == "instant") {
        speed = {true, 1.0};
        return true;
    }
    if (text == "wire") {
        speed = {false, 1.0};
        return true;
    }
    try {
        std::size_t used = 0;
        const double f = std::stod(text, &used);
        if (used != text.size() || !(f > 0)) return false;
        speed = {false, f};
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

std::string SimUsage() {
    return "cv2sim: a simulated command station on a pseudo-terminal.\n"
           "Prints the port path on its first line and serves until SIGINT or SIGTERM.\n"
           "  --link PATH             symlink PATH to the port (removed on exit)\n"
           "  --seed N                content generated from seed N (default 1)\n"
           "  --identity N            identity variant N: serial number, id0, FS key (default 0)\n"
           "  --load FILE             content from a backup file\n"
           "  --dump FILE             write the content as a backup file on exit\n"
           "  --speed instant|wire|F  no delay, LocoNet timing, or F times faster (default wire)\n"
           "  --direct-boot-ack       answer the bootloader start with ack 0x01\n"
           "faults:\n"
           "  --no-echo               the interface does not echo frames\n"
           "  --no-answer REQUEST     never answer REQUEST (ReadBlock, WriteBlock, "
           "BootloaderStart, ...)\n"
           "  --no-answer-after N     answer only the first N requests\n"
           "  --refuse-write N        refuse the N-th write (acknowledge 0x00)\n"
           "  --version-word V        database version word 3 holds V instead of 5\n"
           "  --silent-fs             the FS module never answers\n"
           "  --no-confirmation       the bootloader start is never confirmed\n"
           "  --noise                 stray bytes between echo and answer\n"
           "  --drop-line-after N     the line goes dead after the N-th request\n";
}

bool ParseSimOptions(int argc, const char* const* argv, SimOptions& o, std::string& error) {
    Faults& faults = o.station.faults;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = name + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        auto count = [&](int& out) {
            std::string v;
            if (!value(v)) return false;
            if (!Number(v, out) || out < 1) {
                error = name + ": not a count: " + v;
                return false;
            }
            return true;
        };
        std::string v;
        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--link") {
            if (!value(v)) return false;
            o.link = v;
        } else if (name == "--load") {
            if (!value(v)) return false;
            o.load = v;
        } else if (name == "--dump") {
            if (!value(v)) return false;
            o.dump = v;
        } else if (name == "--seed") {
            if (!value(v)) return false;
            if (!Number(v, o.station.seed)) {
                error = "--seed: not a number: " + v;
                return false;
            }
        } else if (name == "--identity") {
            if (!value(v)) return false;
            if (!Number(v, o.station.identity) || o.station.identity < 0) {
                error = "--identity: not a variant number: " + v;
                return false;
            }
        } else if (name == "--speed") {
            if (!value(v)) return false;
            if (!ParseSpeed(v, o.station.speed)) {
                error = "--speed: instant, wire or a factor above 0, not " + v;
                return false;
            }
        } else if (name == "--direct-boot-ack") {
            o.station.directBootAck = true;
        } else if (name == "--no-echo") {
            faults.missingEcho = true;
        } else if (name == "--no-answer") {
            if (!value(v)) return false;
            faults.silentRequest = RequestFromName(v);
            if (!faults.silentRequest) {
                error = "--no-answer: unknown request " + v;
                return false;
            }
        } else if (name == "--no-answer-after") {
            if (!count(faults.silentAfterRequests)) return false;
        } else if (name == "--refuse-write") {
            if (!count(faults.refuseWrite)) return false;
        } else if (name == "--version-word") {
            if (!value(v)) return false;
            std::uint32_t word = 0;
            if (!Number(v, word)) {
                error = "--version-word: not a number: " + v;
                return false;
            }
            faults.versionWord = word;
        } else if (name == "--silent-fs") {
            faults.silentFsModule = true;
        } else if (name == "--no-confirmation") {
            faults.noConfirmation = true;
        } else if (name == "--noise") {
            faults.noise = "\x12\x34\x56";
        } else if (name == "--drop-line-after") {
            if (!count(faults.dropLineAfterRequests)) return false;
        } else {
            error = "unknown option " + name;
            return false;
        }
    }
    return true;
}

}  // namespace cv2::station
