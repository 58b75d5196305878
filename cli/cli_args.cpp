#include "cli/cli_args.h"

#include <array>
#include <string_view>

#include "link/port_name.h"
#include "settings/options_logic.h"
#include "settings/settings_file.h"

namespace cv2::cli {

namespace {

// Commands as bits, for the options each one takes.
constexpr unsigned Bit(Command c) { return 1u << static_cast<unsigned>(c); }
// The commands that talk to the station.
constexpr unsigned kStation =
    Bit(Command::Backup) | Bit(Command::Restore) | Bit(Command::Verify) | Bit(Command::Info);
// The commands that run a backup or a restore, with their progress and summary.
constexpr unsigned kRun = Bit(Command::Backup) | Bit(Command::Restore) | Bit(Command::Verify);
constexpr unsigned kJson =
    kRun | Bit(Command::Inspect) | Bit(Command::Diff) | Bit(Command::Ports) | Bit(Command::Info);
constexpr unsigned kTrace = Bit(Command::Backup) | Bit(Command::Restore) | Bit(Command::Info);
constexpr unsigned kKeys = kStation | Bit(Command::Version);

// A command as the command line names it, with the files it takes.
struct CommandWord {
    std::string_view name;
    Command command;
    int files;                   // FILE arguments the command needs
    bool filesOptional = false;  // ... or none at all
};

constexpr std::array<CommandWord, 8> kCommands = {{
    {"backup", Command::Backup, 1},
    {"restore", Command::Restore, 1},
    {"verify", Command::Verify, 1},
    {"inspect", Command::Inspect, 1},
    {"diff", Command::Diff, 2},
    {"ports", Command::Ports, 0},
    {"info", Command::Info, 1, true},
    {"--version", Command::Version, 0},
}};

// An option as the command line names it, and the commands it belongs to.
struct OptionWord {
    std::string_view name;
    bool takesValue;
    unsigned commands;
};

constexpr std::array<OptionWord, 12> kOptions = {{
    {"--port", true, kStation},
    {"--interface", true, kStation},
    {"--baud", true, kStation},
    {"--trace", true, kTrace},
    {"--yes", false, Bit(Command::Restore)},
    {"--other-station", false, Bit(Command::Restore)},
    {"--json", false, kJson},
    {"--keys", true, kKeys},
    {"-q", false, kRun},
    {"--quiet", false, kRun},
    {"-v", false, kRun},
    {"--verbose", false, kRun},
}};

// Why a file argument cannot name a file: empty when it can.
std::string FileNameProblem(const std::string& name) {
    if (name.empty()) return "Der Dateiname ist leer.";
    if (name == "-") {
        return "„-“ ist hier kein Dateiname: cv2cli liest und schreibt Sicherungen nur als "
               "Datei (eine Datei namens - als ./- angeben).";
    }
    return {};
}

// The interface names of the command line, in the order of the interface kinds.
constexpr std::array<std::string_view, kInterfaceCount> kInterfaceNames = {"tandemo", "serial",
                                                                           "usb"};

std::string AllowedRates(const OptionsLogic& logic) {
    std::string list;
    for (int i = 0; i < kBaudCount; ++i) {
        if (!logic.baudEnabled(i)) continue;
        if (!list.empty()) list += ", ";
        list += std::to_string(kBaudRates[i]);
    }
    return list;
}

// The options window's coupling: choosing the interface moves the rate onto
// one it allows; a rate given on the command line must be one of those.
bool CoupleBaud(CliArgs& args, const std::string* baudText, std::string& error) {
    OptionsLogic logic;
    logic.SelectBaud(kBaudCount - 1);  // 115200, the default
    logic.ClickInterface(args.interfaceKind);
    const std::string_view kind = InterfaceName(args.interfaceKind);
    if (baudText) {
        int index = -1;
        for (int i = 0; i < kBaudCount; ++i) {
            if (std::to_string(kBaudRates[i]) == *baudText) index = i;
        }
        if (index < 0) {
            error =
                "Die Baudrate " + *baudText + " gibt es nicht (9600, 16666, 19200 oder 115200).";
            return false;
        }
        if (!logic.baudEnabled(index)) {
            error = "Die Schnittstelle " + std::string(kind) + " erlaubt " + *baudText +
                    " Baud nicht, nur " + AllowedRates(logic) + ".";
            return false;
        }
        logic.SelectBaud(index);
    }
    args.baud = kBaudRates[logic.selectedBaud()];
    return true;
}

// Options may also stand before the command, as in "cv2cli --keys k backup
// ...": the words come back with the command first and those options behind
// it, where the parser reads them. Without a command among them, unchanged.
std::vector<std::string> CommandFirst(const std::vector<std::string>& words) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        for (const CommandWord& c : kCommands) {
            if (c.name != word) continue;
            std::vector<std::string> ordered{word};
            ordered.insert(ordered.end(), words.begin(), words.begin() + static_cast<long>(i));
            ordered.insert(ordered.end(), words.begin() + static_cast<long>(i) + 1, words.end());
            return ordered;
        }
        if (word.size() < 2 || word[0] != '-' || word == "--") break;
        for (const OptionWord& o : kOptions) {
            if (o.takesValue && o.name == word) ++i;  // its value is no command
        }
    }
    return words;
}

}  // namespace

std::string_view InterfaceName(InterfaceKind kind) { return kInterfaceNames.at(KindIndex(kind)); }

Settings CliArgs::ToSettings() const {
    Settings s;
    OptionsLogic logic;
    logic.ClickInterface(interfaceKind);
    for (int i = 0; i < kBaudCount; ++i) {
        if (kBaudRates[i] == baud) logic.SelectBaud(i);
    }
    logic.SetComPortText(port);
    logic.Confirm(s);
    return s;
}

ParseResult ParseCliArgs(const std::vector<std::string>& given) {
    const std::vector<std::string> words = CommandFirst(given);
    ParseResult result;
    auto fail = [&](std::string error) {
        result.error = std::move(error);
        return result;
    };
    if (words.empty()) return fail("Kein Befehl angegeben.");
    CliArgs args;
    const std::string& first = words[0];
    if (first == "--help" || first == "-h" || first == "help") {
        result.args = args;
        return result;
    }
    const CommandWord* command = nullptr;
    for (const CommandWord& c : kCommands) {
        if (c.name == first) command = &c;
    }
    if (!command) return fail("Unbekannter Befehl: " + first);
    args.command = command->command;

    std::string baudText;
    bool baudGiven = false, interfaceGiven = false, optionsEnded = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            args.files.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        if (word == "--help" || word == "-h") {
            args.command = Command::Help;
            result.args = args;
            return result;
        }
        // "--name value" or "--name=value".
        const std::size_t eq = word.find('=');
        const std::string name = word.substr(0, eq);
        const OptionWord* option = nullptr;
        for (const OptionWord& o : kOptions) {
            if (o.name == name) option = &o;
        }
        if (!option || !(option->commands & Bit(args.command))) {
            return fail("Unbekannte Option für " + first + ": " + name);
        }
        std::string value;
        if (option->takesValue) {
            if (eq != std::string::npos) {
                value = word.substr(eq + 1);
            } else if (i + 1 < words.size()) {
                value = words[++i];
            }
            if (value.empty()) return fail("Der Option " + name + " fehlt ihr Wert.");
        } else if (eq != std::string::npos) {
            return fail("Die Option " + name + " nimmt keinen Wert.");
        }
        if (name == "--port") {
            args.port = value;
        } else if (name == "--interface") {
            std::optional<InterfaceKind> kind;
            for (int k = 0; k < kInterfaceCount; ++k) {
                if (kInterfaceNames[k] == value) kind = InterfaceKindAt(k);
            }
            if (!kind)
                return fail("Unbekannte Schnittstelle " + value + " (usb, serial oder tandemo).");
            args.interfaceKind = *kind;
            interfaceGiven = true;
        } else if (name == "--baud") {
            baudText = value;
            baudGiven = true;
        } else if (name == "--trace") {
            args.trace = value;
        } else if (name == "--yes") {
            args.yes = true;
        } else if (name == "--other-station") {
            args.otherStation = true;
        } else if (name == "--keys") {
            args.keys = value;
        } else if (name == "-q" || name == "--quiet" || name == "-v" || name == "--verbose") {
            const auto detail = name[1] == 'q' || name == "--quiet" ? CliArgs::Detail::Quiet
                                                                    : CliArgs::Detail::Verbose;
            if (args.detail != CliArgs::Detail::Normal && args.detail != detail) {
                return fail("-q und -v schließen einander aus.");
            }
            args.detail = detail;
        } else {
            args.json = true;
        }
    }

    if ((Bit(args.command) & kStation) && args.port.empty()) {
        return fail("Die Option --port fehlt: welche Schnittstelle führt zur CV2?");
    }
    if ((Bit(args.command) & kStation) && (baudGiven || interfaceGiven) &&
        !CoupleBaud(args, baudGiven ? &baudText : nullptr, result.error)) {
        return result;
    }
    const std::size_t wanted = static_cast<std::size_t>(command->files);
    if (args.files.size() < wanted && !(command->filesOptional && args.files.empty())) {
        return fail(wanted == 2 ? "Zwei Sicherungsdateien angeben: DATEI_A DATEI_B."
                                : "Keine Sicherungsdatei angegeben.");
    }
    if (args.files.size() > wanted) return fail("Zu viele Argumente: " + args.files[wanted]);
    for (const std::string& file : args.files) {
        if (std::string problem = FileNameProblem(file); !problem.empty()) return fail(problem);
    }
    if (Bit(args.command) & kStation) {
        // The name itself is shown by its problem, its control characters spelled out.
        if (std::string problem = PortNameProblem(args.port); !problem.empty()) {
            return fail(problem + " (--port)");
        }
        // Checked as given: the settings would not take a port text the options refuse.
        const LinkConfig given{ComPortSetting::Text(args.port), args.baud, args.interfaceKind};
        if (std::string problem = TcpPortProblem(given); !problem.empty()) {
            return fail(problem + " (--port)");
        }
        if (std::string problem = PortSettingProblem(LinkConfigOf(args.ToSettings()));
            !problem.empty()) {
            return fail(problem + " (--port " + args.port + ")");
        }
    }
    result.args = std::move(args);
    return result;
}

namespace {

// What the help says of the machine it runs on: a port's name, where the keys
// are looked for, what ends a run from outside, and where the guide lies once
// installed (the setup's program folder and Start menu, the Debian package's
// documentation folder).
#ifdef _WIN32
constexpr const char* kPortExample = "z. B. 3 oder COM3";
constexpr const char* kKeyPlaces = "%APPDATA%\\cv2sicherung\\keys";
constexpr const char* kEndRequests = "Strg+C, Strg+Pause, Fenster geschlossen";
constexpr const char* kGuide =
    "Anleitung\\anleitung.html neben cv2cli.exe,\n"
    "           im Startmenü unter „CV2 Sicherung“ → „Anleitung“";
#else
constexpr const char* kPortExample = "z. B. 3 oder /dev/ttyUSB0";
constexpr const char* kKeyPlaces = "~/.config/cv2sicherung/keys oder /etc/cv2sicherung/keys";
constexpr const char* kEndRequests = "Strg+C, Strg+\\, SIGTERM, SIGHUP";
constexpr const char* kGuide = "/usr/share/doc/cv2sicherung/anleitung.html";
#endif

}  // namespace

std::string UsageText() {
    return "cv2cli: Sicherung der CV2 ohne Fenster\n"
           "\n"
           "  cv2cli backup   --port PORT [--interface usb|serial|tandemo] [--baud RATE]"
           " [--trace DATEI] [-q|-v] [--json] DATEI\n"
           "  cv2cli restore  --port PORT [--interface ...] [--baud ...] [--yes]"
           " [--other-station] [--trace DATEI] [-q|-v] [--json] DATEI\n"
           "  cv2cli verify   --port PORT [--interface ...] [--baud ...] [-q|-v] [--json] DATEI\n"
           "  cv2cli info     --port PORT [--interface ...] [--baud ...] [--json]"
           " [--trace DATEI] [DATEI]\n"
           "  cv2cli inspect  [--json] DATEI\n"
           "  cv2cli diff     [--json] DATEI_A DATEI_B\n"
           "  cv2cli ports    [--json]\n"
           "  cv2cli --version  [--keys DATEI]\n"
           "  cv2cli --help   diese Hilfe\n"
           "\n"
           "  backup    Datenbank der CV2 in DATEI sichern           (back the station up into "
           "DATEI)\n"
           "  restore   DATEI in die CV2 übertragen                   (write DATEI into the "
           "station)\n"
           "  verify    CV2 mit DATEI vergleichen, nichts schreiben    (compare station and "
           "DATEI)\n"
           "  inspect   Inhalt einer Sicherungsdatei zeigen            (show what a backup holds)\n"
           "  diff      zwei Sicherungsdateien vergleichen             (compare two backups)\n"
           "  info      erste Verbindung prüfen, nichts schreiben      (harmless first contact;\n"
           "            mit DATEI: passt die Sicherung zu dieser CV2?   does DATEI fit the "
           "station?)\n"
           "  ports     serielle Schnittstellen dieses Rechners        (list serial ports)\n"
           "\n"
           "  --port PORT       COM-Nummer oder Gerätename, " +
           std::string(kPortExample) +
           "  (COM number or device path)\n"
           "                    oder ein LocoNet-Server im Netzwerk: tcp://RECHNER[:PORT],"
           " ohne PORT 1234\n"
           "                    (LocoNet over TCP; --interface and --baud do not apply)\n"
           "  --interface I     usb (Standard), serial oder tandemo"
           "  (interface kind, default usb)\n"
           "  --baud RATE       9600, 16666, 19200 oder 115200, wie die Schnittstelle erlaubt"
           "  (baud rate the interface allows; default 115200)\n"
           "  --yes             aktive Datenbank ohne Rückfrage überschreiben"
           "  (answer the overwrite question with yes)\n"
           "  --other-station   auch eine Sicherung einer anderen CV2 übertragen"
           "  (accept a file from another station)\n"
           "  --trace DATEI     jeden Rahmen mit Zeit und Richtung in DATEI protokollieren"
           "  (log every frame)\n"
           "  --json            Ausgabe als JSON  (machine-readable output)\n"
           "  -q, --quiet       keine Fortschrittsanzeige, nur Fehler und Ergebnis"
           "  (no progress, errors and result only)\n"
           "  -v, --verbose     dazu eine Zeile je fertigem Abschnitt"
           "  (also a line per finished section)\n"
           "  --keys DATEI      Schlüssel der CV2 aus DATEI statt aus\n"
           "                    " +
           kKeyPlaces +
           "  (the station's keys from DATEI)\n"
           "                    bei backup, restore, verify, info und --version\n"
           "  Die Optionen dürfen vor oder nach dem Befehl stehen."
           "  (options go before or after the command)\n"
           "\n"
           "Exit-Status: 0 gelungen (info: die CV2 ist bereit), 1 Fehler beim Lauf (info: nicht\n"
           "bereit), 2 Aufruf- oder Dateifehler, 3 abgelehnt, 4 CV2 bzw. Dateien verschieden,\n"
           "130 abgebrochen (" +
           kEndRequests +
           ").\n"
           "\n"
           "Anleitung: " +
           kGuide + "  (the guide, in German)\n";
}

}  // namespace cv2::cli
