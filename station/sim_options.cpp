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
    // How fast only; whether bytes come one by one is an option of its own.
    double factor = 1.0;
    if (text != "instant" && text != "wire") {
        try {
            std::size_t used = 0;
            factor = std::stod(text, &used);
            if (used != text.size() || !(factor > 0)) return false;
        } catch (const std::exception&) {
            return false;
        }
    }
    speed.instant = text == "instant";
    speed.factor = factor;
    return true;
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
           "  --byte-paced            each byte of an answer comes when it is through the line\n"
           "                          (a UART without FIFO), not the whole answer with its last\n"
           "  --mark-every N          print the request count each time N more requests came\n"
           "  --tcp PORT              serve LocoNet over TCP on PORT (0: a free one) instead of\n"
           "                          a pseudo-terminal; prints tcp://127.0.0.1:PORT\n"
           "  --sent-first            over TCP: confirm each SEND before its echo, not after it\n"
           "  --direct-boot-ack       answer the bootloader start with ack 0x01\n"
           "  --keys FILE             the station's keys from FILE (default: the key file\n"
           "                          cv2cli reads, else the built-in test values)\n"
           "  --version               version and the keys in use\n"
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
           "  --drop-line-after N     the line goes dead after the N-th request\n"
           "  --traffic N             other LocoNet devices talk: a message of theirs between\n"
           "                          the echo and the answer of every N-th request, and as\n"
           "                          many again at random moments\n"
           "  --lose-answer N         every N-th answer is lost on its way back, after the\n"
           "                          station acted (the bootloader start's and end's never)\n";
}

bool ParseSimOptions(int argc, const char* const* argv, SimOptions& o, std::string& error) {
    Faults& faults = o.station.faults;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        std::string v;
        // Takes the option's value; false when there is none.
        auto value = [&] {
            if (i + 1 >= argc) return false;
            v = argv[++i];
            return true;
        };
        auto bad = [&](const char* wanted) {
            error = name + " needs " + wanted + (v.empty() ? "" : ", not " + v);
            return false;
        };
        auto count = [&](int& out) { return value() && Number(v, out) && out >= 1; };
        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--version") {
            o.version = true;
        } else if (name == "--link" || name == "--load" || name == "--dump") {
            if (!value()) return bad("a path");
            (name == "--link" ? o.link : name == "--load" ? o.load : o.dump) = v;
        } else if (name == "--keys") {
            if (!value()) return bad("a path");
            o.keys = v;
        } else if (name == "--seed") {
            if (!value() || !Number(v, o.station.seed)) return bad("a number");
        } else if (name == "--identity") {
            if (!value() || !Number(v, o.station.identity) || o.station.identity < 0)
                return bad("a variant number");
        } else if (name == "--speed") {
            if (!value() || !ParseSpeed(v, o.station.speed))
                return bad("instant, wire or a factor above 0");
        } else if (name == "--byte-paced") {
            o.station.speed.byteByByte = true;
        } else if (name == "--mark-every") {
            if (!count(o.markEvery)) return bad("a count");
        } else if (name == "--tcp") {
            int port = -1;
            if (!value() || !Number(v, port) || port < 0 || port > 65535) {
                return bad("a TCP port 0..65535");
            }
            o.tcpPort = port;
        } else if (name == "--sent-first") {
            o.sentFirst = true;
        } else if (name == "--direct-boot-ack") {
            o.station.directBootAck = true;
        } else if (name == "--no-echo") {
            faults.missingEcho = true;
        } else if (name == "--no-answer") {
            if (!value() || !(faults.silentRequest = RequestFromName(v)))
                return bad("a request name");
        } else if (name == "--no-answer-after") {
            if (!count(faults.silentAfterRequests)) return bad("a count");
        } else if (name == "--refuse-write") {
            if (!count(faults.refuseWrite)) return bad("a count");
        } else if (name == "--version-word") {
            std::uint32_t word = 0;
            if (!value() || !Number(v, word)) return bad("a number");
            faults.versionWord = word;
        } else if (name == "--silent-fs") {
            faults.silentFsModule = true;
        } else if (name == "--no-confirmation") {
            faults.noConfirmation = true;
        } else if (name == "--noise") {
            faults.noise = "\x12\x34\x56";
        } else if (name == "--drop-line-after") {
            if (!count(faults.dropLineAfterRequests)) return bad("a count");
        } else if (name == "--traffic") {
            if (!count(faults.traffic)) return bad("a count");
        } else if (name == "--lose-answer") {
            if (!count(faults.loseAnswer)) return bad("a count");
        } else {
            error = "unknown option " + name;
            return false;
        }
    }
    return true;
}

}  // namespace cv2::station
