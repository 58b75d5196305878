// A complete backup and a complete restore against the simulated station,
// timed: in process on the fake clock (which also models how long the same
// exchanges take on the wire), and cv2cli against cv2sim on a pseudo-terminal,
// at instant speed (the backup also over loopback TCP) and at a multiple of
// wire speed; then stretches of a backup with the station sending byte by byte
// at line pace, cv2cli beside the bare client of the same exchanges (and an
// earlier cv2cli, if given), a restore's stretch, a backup's among other
// devices' messages and one over loopback TCP; then the idle window program's
// wake-ups. Prints a table and writes the figures as JSON.
//   bench_backup [--factor F] [--no-pty] [--no-paced] [--no-idle] [--only-paced] [--idle-seconds S]
//                [--paced-exchanges N] [--paced-rounds R] [--baseline DIR] [--json FILE]
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/backup_procedure.h"
#include "app/restore_procedure.h"
#include "bench/bench_process.h"
#include "bench/paced_runs.h"
#include "station/sim_options.h"
#include "tests/support/fake_host.h"
#include "tests/support/fake_platform.h"
#include "tests/support/simulated_station.h"

namespace {

using namespace cv2;
using namespace cv2::bench;

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

std::vector<char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

enum class Job { Backup, Restore };

const char* JobName(Job job) { return job == Job::Backup ? "backup" : "restore"; }

// The same seeds in process and on the pseudo-terminal: a backup reads seed 1;
// a restore writes the backup of seed 1 into a station of seed 3.
constexpr std::uint32_t kBackupSeed = 1;
constexpr std::uint32_t kRestoreTargetSeed = 3;

station::Speed SpeedOf(const std::string& text) {
    const char* argv[] = {"cv2sim", "--speed", text.c_str()};
    station::SimOptions options;
    std::string error;
    if (!station::ParseSimOptions(3, argv, options, error)) {
        std::fprintf(stderr, "bench_backup: --factor %s: %s\n", text.c_str(), error.c_str());
        std::exit(2);
    }
    return options.station.speed;
}

struct InProcessFigures {
    double wall = 0, cpu = 0, lineTime = 0;
    long framesOut = 0, framesIn = 0;
    bool ok = false;
    std::string note;
    // Every frame the program wrote, when (on the fake clock, from the start),
    // and how many frames came back before the next.
    std::vector<std::string> frames;
    std::vector<double> sentAt;
    std::vector<int> answers;
    // Seconds from the request `from` (counted from 1) to the request `to`.
    double Between(long from, long to) const {
        const auto at = [this](long request) {
            return sentAt.at(static_cast<std::size_t>(std::clamp(request, 1L, framesOut) - 1));
        };
        return at(to) - at(from);
    }
};

// Runs the job on the fake clock: the clock ends where the run would end on a
// line of the given speed, so lineTime is the modelled wire time.
InProcessFigures InProcess(Job job, station::Speed speed, const std::string& file) {
    test::FakePlatform platform;
    FakeClock& clock = platform.clock;
    FakeSerial& serial = platform.serial;
    FakeMessageBoxes& boxes = platform.boxes;
    Settings& settings = platform.settings;
    Link& link = platform.link;
    Device& device = platform.device;
    settings.BackupFileName = file;
    station::StationOptions options;
    options.speed = speed;
    options.seed = kBackupSeed;
    if (job == Job::Restore) {
        station::SimulatedStation source(clock, serial, options);
        const std::vector<std::uint8_t> image = source.ExpectedBackup();
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), std::ssize(image));
        options.seed = kRestoreTargetSeed;
    }
    station::SimulatedStation sim(clock, serial, options);
    FakeFileDialog dialog;
    dialog.answers.push_back(file);
    test::FakeHost host(settings, dialog, link);
    Progress progress(host);
    InProcessFigures f;
    // The receive handler advances RxSlot once per completed frame.
    serial.SetOnComm([&link, &f](int event) {
        const int before = link.rx().RxSlot;
        link.Comm1_OnComm(event);
        const int completed = (link.rx().RxSlot - before + 32) % 32;
        f.framesIn += completed;
        if (!f.answers.empty()) f.answers.back() += completed;
    });
    const double start = clock.Now();
    const auto toStation = serial.onOutput;
    serial.onOutput = [&](const std::string& bytes) {
        f.frames.push_back(bytes);
        f.sentAt.push_back(clock.Now() - start);
        f.answers.push_back(0);
        toStation(bytes);
    };

    const double cpu = CpuSeconds();
    const auto wall = SteadyClock::now();
    if (job == Job::Backup) {
        BackupProcedure(host, settings, link, device, progress, boxes).Run();
    } else {
        RestoreProcedure(host, settings, link, device, progress, boxes, dialog).Run();
    }
    f.wall = Since(wall);
    f.cpu = CpuSeconds() - cpu;
    f.lineTime = clock.Now() - start;
    f.framesOut = static_cast<long>(serial.writes.size());
    const std::vector<std::uint8_t> station = sim.ExpectedBackup();
    const std::vector<char> written = ReadFile(file);
    std::string failure;
    for (const FakeMessageBoxes::Shown& box : boxes.shown) {
        if (box.buttons == BoxButtons::Ok) failure = box.text;
    }
    f.ok = failure.empty() &&
           std::equal(written.begin(), written.end(), station.begin(), station.end(),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
    if (!failure.empty()) f.note = "failed in" + host.comTxt + ": " + failure;
    return f;
}

struct PtyFigures {
    Ended cli, sim;
    bool ok = false;
    std::string note;
};

// cv2cli runs the job against cv2sim (on a pseudo-terminal, or with --tcp 0
// among the options as a LocoNet server); both are timed by the system.
PtyFigures OverPty(Job job, const std::string& bin, const std::string& speed,
                   const std::string& file, const std::vector<std::string>& simOptions = {}) {
    PtyFigures f;
    const std::string dump = file + ".dump";
    const std::string seed = std::to_string(job == Job::Backup ? kBackupSeed : kRestoreTargetSeed);
    int out[2];
    if (pipe(out) != 0) return f;
    std::vector<std::string> simArgs = {bin + "/cv2sim", "--speed", speed, "--seed", seed,
                                        "--dump",        dump};
    simArgs.insert(simArgs.end(), simOptions.begin(), simOptions.end());
    const Child sim = Spawn(simArgs, out[1]);
    close(out[1]);
    const std::string pty = NextLine(out[0]);
    close(out[0]);
    if (sim.pid < 0 || pty.empty()) {
        f.note = "cv2sim did not start";
        if (sim.pid > 0) {
            kill(sim.pid, SIGTERM);
            Reap(sim);
        }
        return f;
    }
    std::vector<std::string> args = {bin + "/cv2cli", JobName(job), "--port", pty};
    if (job == Job::Restore) args.push_back("--yes");
    args.push_back(file);
    f.cli = Reap(Spawn(args, -1));
    kill(sim.pid, SIGTERM);
    f.sim = Reap(sim);
    f.ok = f.cli.exitedZero && ReadFile(file) == ReadFile(dump);
    if (!f.cli.exitedZero) f.note = "cv2cli failed";
    std::filesystem::remove(dump);
    return f;
}

// The window program started offscreen and left alone: wake-ups per second.
double IdleWakeups(const std::string& bin, double seconds) {
    // Long enough for the window to be drawn and start-up work to end.
    constexpr auto kSettle = std::chrono::seconds(2);
    const Child program = Spawn({bin + "/cv2sicherung"}, -1, "QT_QPA_PLATFORM=offscreen");
    if (program.pid < 0) return -1;
    std::this_thread::sleep_for(kSettle);
    // Every context switch is a wake-up or a preemption.
    const Counters before = Count(program.pid);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const Counters after = Count(program.pid);
    kill(program.pid, SIGTERM);
    Reap(program);
    return static_cast<double>(after.wakeups + after.preemptions - before.wakeups -
                               before.preemptions) /
           seconds;
}

// One row of the table and of the JSON.
struct Row {
    std::string name;
    std::vector<std::pair<std::string, double>> figures;
    bool ok = true;
    std::string note;
};

void Print(const Row& row) {
    std::printf("%-26s", row.name.c_str());
    for (const auto& [key, value] : row.figures) std::printf("  %s %.6g", key.c_str(), value);
    std::printf("  %s%s\n", row.ok ? "ok" : "FAILED ", row.note.c_str());
    std::fflush(stdout);
}

// What a figure should stay within: below the limit, or with `orEqual` at most it.
struct Target {
    std::string row, figure;
    double limit;
    bool orEqual = false;
};

void PrintTargets(const std::vector<Row>& rows, const std::vector<Target>& targets) {
    std::printf("\ntargets:\n");
    for (const Target& t : targets) {
        for (const Row& row : rows) {
            if (row.name != t.row) continue;
            for (const auto& [key, value] : row.figures) {
                if (key != t.figure) continue;
                const bool met = t.orEqual ? value <= t.limit : value < t.limit;
                std::printf("  %-30s %-26s %10.4g  %-2s %-6g %s\n", row.name.c_str(), key.c_str(),
                            value, t.orEqual ? "<=" : "<", t.limit, met ? "met" : "MISSED");
            }
        }
    }
}

// The bare client's script: per exchange the frames that answered it, the
// frame's length and the frame, as the program sent them in process.
bool WriteScript(const InProcessFigures& f, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < f.frames.size(); ++i) {
        out.put(static_cast<char>(f.answers[i]));
        out.put(static_cast<char>(f.frames[i].size()));
        out << f.frames[i];
    }
    return static_cast<bool>(out);
}

// Runs of the backup and of the bare client at instant speed, each.
constexpr int kInstantRounds = 3;

// The bare client through every exchange of the script against an instant station.
Ended BareInstant(const std::string& bin, const std::string& script) {
    int out[2];
    if (pipe(out) != 0) return {};
    const Child sim = Spawn(
        {bin + "/cv2sim", "--speed", "instant", "--seed", std::to_string(kBackupSeed)}, out[1]);
    close(out[1]);
    const std::string port = NextLine(out[0]);
    close(out[0]);
    Ended e;
    if (!port.empty()) e = Reap(Spawn({CV2_BARE_CLIENT, "bytes", script, port}, -1));
    if (sim.pid > 0) {
        kill(sim.pid, SIGTERM);
        Reap(sim);
    }
    return e;
}

// A client's figures over all rounds.
struct PacedTotals {
    bool ok = true;
    std::string note;
    double exchanges = 0, wall = 0, line = 0;
    Counters used;

    void Add(const PacedFigures& f, double lineTime) {
        ok = ok && f.ok;
        if (!f.note.empty()) note = f.note;
        exchanges += static_cast<double>(f.exchanges);
        wall += f.wall;
        line += lineTime;
        used.cpu += f.used.cpu;
        used.wakeups += f.used.wakeups;
        used.preemptions += f.used.preemptions;
    }
    double PerExchange(double total) const { return exchanges > 0 ? total / exchanges : 0; }
};

// Stretches of a backup with the station sending byte by byte at the speed:
// cv2cli, the earlier cv2cli if there is one, and the bare client's ways, in
// rounds that take turns so that a machine busy with other work weighs on all
// alike; then cv2cli against the bare client that collects frames and
// against the earlier cv2cli.
void PacedRows(const std::string& bin, const std::string& baseline, const std::string& speed,
               const PacedWindow& window, int rounds, bool everyWay, const std::string& script,
               const std::string& file, const std::function<void(Row)>& add) {
    const InProcessFigures model = InProcess(Job::Backup, SpeedOf(speed), file);
    const std::string prefix = "paced " + (speed == "wire" ? speed : "x" + speed) + " ";
    struct Client {
        std::string name;
        ClientArgs args;
        std::vector<std::string> simOptions = {};
    };
    // The restore writes back what the model's backup read, into the same station;
    // its own model gives the line time of its exchanges.
    const std::string restoreFile = file + ".restore";
    std::filesystem::copy_file(file, restoreFile,
                               std::filesystem::copy_options::overwrite_existing);
    const InProcessFigures restoreModel =
        InProcess(Job::Restore, SpeedOf(speed), file + ".restore-model");
    std::filesystem::remove(file + ".restore-model");
    const auto cli = [&file](const std::string& dir) {
        return [dir, &file](const std::string& port) {
            return std::vector<std::string>{dir + "/cv2cli", "backup", "--port", port, file};
        };
    };
    const auto bare = [&script](const std::string& way) {
        return [way, &script](const std::string& port) {
            return std::vector<std::string>{CV2_BARE_CLIENT, way, script, port};
        };
    };
    std::vector<Client> clients = {{"cv2cli", cli(bin)}};
    clients.push_back({"cv2cli restore", [dir = bin, &restoreFile](const std::string& port) {
                           return std::vector<std::string>{dir + "/cv2cli", "restore", "--yes",
                                                           "--port",        port,      restoreFile};
                       }});
    // Other devices' messages between echo and answer of every 50th request.
    clients.push_back({"cv2cli traffic", cli(bin), {"--traffic", "50"}});
    // The same backup through cv2sim's LocoNet server over loopback TCP.
    clients.push_back({"cv2cli tcp", cli(bin), {"--tcp", "0"}});
    if (!baseline.empty()) clients.push_back({"cv2cli today", cli(baseline)});
    clients.push_back({"bare bytes", bare("bytes")});
    if (everyWay) clients.push_back({"bare vmin", bare("vmin")});
    clients.push_back({"bare paced", bare("paced")});
    const PacedWindow round{window.first, window.exchanges / rounds};
    std::map<std::string, PacedTotals> totals;
    for (int r = 0; r < rounds; ++r) {
        for (const Client& c : clients) {
            const PacedFigures f = PacedRun(bin, speed, kBackupSeed, round, c.args, c.simOptions);
            const InProcessFigures& m = c.name == "cv2cli restore" ? restoreModel : model;
            totals[c.name].Add(f, m.Between(f.firstRequest, f.firstRequest + f.exchanges));
        }
    }
    for (const Client& c : clients) {
        const PacedTotals& t = totals[c.name];
        add({prefix + c.name,
             {{"exchanges", t.exchanges},
              {"wakeups_per_exchange", t.PerExchange(static_cast<double>(t.used.wakeups))},
              {"cpu_us_per_exchange", t.PerExchange(t.used.cpu) * 1e6},
              {"cpu_share_pct", t.wall > 0 ? t.used.cpu / t.wall * 100 : 0},
              {"wall_per_line", t.line > 0 ? t.wall / t.line : 0}},
             t.ok,
             t.note});
    }
    const PacedTotals& ours = totals["cv2cli"];
    const PacedTotals& floor = totals["bare paced"];
    Row against{prefix + "cv2cli against", {}, ours.ok, ""};
    against.figures.push_back(
        {"cpu_vs_bare", ours.PerExchange(ours.used.cpu) / floor.PerExchange(floor.used.cpu)});
    const PacedTotals& restore = totals["cv2cli restore"];
    against.figures.push_back({"restore_cpu_vs_backup", restore.PerExchange(restore.used.cpu) /
                                                            ours.PerExchange(ours.used.cpu)});
    const PacedTotals& busy = totals["cv2cli traffic"];
    against.figures.push_back({"traffic_wakeups_vs_silent",
                               busy.PerExchange(static_cast<double>(busy.used.wakeups)) /
                                   ours.PerExchange(static_cast<double>(ours.used.wakeups))});
    if (!baseline.empty()) {
        const PacedTotals& today = totals["cv2cli today"];
        against.figures.push_back(
            {"cpu_vs_today", ours.PerExchange(ours.used.cpu) / today.PerExchange(today.used.cpu)});
        against.figures.push_back(
            {"wall_vs_today", ours.PerExchange(ours.wall) / today.PerExchange(today.wall)});
    }
    add(against);
    std::filesystem::remove(restoreFile);
}

std::string Json(unsigned cores, const std::string& factor, const std::vector<Row>& rows) {
    std::ostringstream j;
    j << "{\n  \"cores\": " << cores << ",\n  \"factor\": \"" << factor << "\",\n  \"runs\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        j << (i ? "," : "") << "\n    {\"name\": \"" << rows[i].name
          << "\", \"ok\": " << (rows[i].ok ? "true" : "false");
        for (const auto& [key, value] : rows[i].figures) j << ", \"" << key << "\": " << value;
        j << "}";
    }
    j << "\n  ]\n}\n";
    return j.str();
}

}  // namespace

int main(int argc, char** argv) {
    std::string bin = CV2_BIN_DIR, factor = "10", json, baseline;
    bool pty = true, paced = true, idle = true, complete = true;
    double idleSeconds = 10;
    PacedWindow window;
    int rounds = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--factor" && more) {
            factor = argv[++i];
        } else if (a == "--json" && more) {
            json = argv[++i];
        } else if (a == "--idle-seconds" && more) {
            idleSeconds = std::stod(argv[++i]);
        } else if (a == "--paced-exchanges" && more) {
            window.exchanges = std::stol(argv[++i]);
        } else if (a == "--paced-rounds" && more) {
            rounds = std::max(1, std::stoi(argv[++i]));
        } else if (a == "--baseline" && more) {
            baseline = argv[++i];
        } else if (a == "--no-pty") {
            pty = false;
        } else if (a == "--no-paced") {
            paced = false;
        } else if (a == "--no-idle") {
            idle = false;
        } else if (a == "--only-paced") {
            complete = false;
            idle = false;
        } else {
            std::fprintf(
                a == "--help" ? stdout : stderr,
                "usage: %s [--factor F] [--no-pty] [--no-paced] [--no-idle] [--only-paced] "
                "[--idle-seconds S]\n"
                "       [--paced-exchanges N] [--paced-rounds R] [--baseline DIR] "
                "[--json FILE]\n"
                "  --baseline DIR  a folder with an earlier cv2cli to run beside this one\n"
                "  --only-paced    only the stretches at line pace\n",
                argv[0]);
            return a == "--help" ? 0 : 2;
        }
    }
    const unsigned cores = std::thread::hardware_concurrency();
    const std::string temp =
        (std::filesystem::temp_directory_path() / ("cv2bench-" + std::to_string(::getpid())))
            .string();
    const std::string file = temp + ".CDF", script = temp + ".script";
    std::printf("complete backup and restore, %d bytes, %u cores; wire x%s\n", kBackupFileSize,
                cores, factor.c_str());
    std::vector<Row> rows;
    auto add = [&rows](Row row) {
        Print(row);
        rows.push_back(std::move(row));
    };
    const std::string fast = "x" + factor;
    std::vector<Target> targets;
    for (Job job : {Job::Backup, Job::Restore}) {
        if (!complete) {
            // The paced stretches need the bare client's script of a backup.
            if (job == Job::Backup) WriteScript(InProcess(job, {true, 1.0}, file), script);
            continue;
        }
        const std::string name = JobName(job);
        const InProcessFigures instant = InProcess(job, {true, 1.0}, file);
        const InProcessFigures wire = InProcess(job, SpeedOf(factor), file);
        const double exchanges = static_cast<double>(instant.framesOut);
        add({name + " in process",
             {{"wall_s", instant.wall},
              {"cpu_s", instant.cpu},
              {"frames_out", exchanges},
              {"frames_in", static_cast<double>(instant.framesIn)},
              {"wire_s", wire.lineTime}},
             instant.ok && wire.ok,
             instant.note + wire.note});
        if (job == Job::Backup) WriteScript(instant, script);
        if (!pty) continue;
        // Even at instant speed the procedure makes its fixed pauses; the model
        // counts them, so wall minus model is the time the exchanges took. The
        // floor: those pauses and the bare client's ping-pong of the same exchanges.
        // The backup also beside the floor, taking turns, the fastest of each:
        // a machine busy with other work slows a single run of a few seconds
        // by more than the difference measured.
        // The backup over loopback TCP as well, in the same rounds.
        const std::vector<std::string> overTcp = {"--tcp", "0"};
        PtyFigures quick = OverPty(job, bin, "instant", file);
        PtyFigures tcp =
            job == Job::Backup ? OverPty(job, bin, "instant", file, overTcp) : PtyFigures{};
        Ended floor;
        for (int round = 0; job == Job::Backup && round < kInstantRounds; ++round) {
            const Ended bare = BareInstant(bin, script);
            if (round == 0 || (bare.exitedZero && bare.wall < floor.wall)) floor = bare;
            if (round == 0) continue;
            const PtyFigures again = OverPty(job, bin, "instant", file);
            if (again.ok && again.cli.wall < quick.cli.wall) quick = again;
            const PtyFigures againTcp = OverPty(job, bin, "instant", file, overTcp);
            if (againTcp.ok && againTcp.cli.wall < tcp.cli.wall) tcp = againTcp;
        }
        Row row{name + " cv2cli instant",
                {{"wall_s", quick.cli.wall},
                 {"pauses_s", instant.lineTime},
                 {"cli_cpu_s", quick.cli.cpu},
                 {"sim_cpu_s", quick.sim.cpu},
                 {"exchanges", exchanges},
                 {"us_per_exchange", quick.cli.wall / exchanges * 1e6},
                 {"us_per_exchange_net", (quick.cli.wall - instant.lineTime) / exchanges * 1e6},
                 {"peak_mb", quick.cli.peakMb}},
                quick.ok,
                quick.note};
        if (job == Job::Backup) {
            row.figures.push_back({"bare_s", floor.wall});
            row.figures.push_back(
                {"wall_vs_floor", quick.cli.wall / (instant.lineTime + floor.wall)});
            row.ok = row.ok && floor.exitedZero;
            targets.push_back({row.name, "wall_vs_floor", 1.25, true});
        }
        targets.push_back({row.name, "cli_cpu_s", 1.0});
        targets.push_back({row.name, "sim_cpu_s", 1.0});
        targets.push_back({row.name, "peak_mb", 30.0});
        add(row);
        if (job == Job::Backup) {
            add({name + " cv2cli instant tcp",
                 {{"wall_s", tcp.cli.wall},
                  {"cli_cpu_s", tcp.cli.cpu},
                  {"sim_cpu_s", tcp.sim.cpu},
                  {"us_per_exchange", tcp.cli.wall / exchanges * 1e6},
                  {"tcp_vs_pty", quick.cli.wall > 0 ? tcp.cli.wall / quick.cli.wall : 0}},
                 tcp.ok,
                 tcp.note});
            targets.push_back({rows.back().name, "tcp_vs_pty", 1.5, true});
        }
        const PtyFigures slow = OverPty(job, bin, factor, file);
        add({name + " cv2cli " + fast,
             {{"wall_s", slow.cli.wall},
              {"wire_s", wire.lineTime},
              {"overhead_us_per_exchange", (slow.cli.wall - wire.lineTime) / exchanges * 1e6},
              {"cli_cpu_s", slow.cli.cpu},
              {"cpu_share_pct", slow.cli.cpu / slow.cli.wall * 100},
              {"sim_cpu_s", slow.sim.cpu},
              {"peak_mb", slow.cli.peakMb}},
             slow.ok,
             slow.note});
        targets.push_back({rows.back().name, "peak_mb", 30.0});
        targets.push_back({rows.back().name, "overhead_us_per_exchange", 200.0});
        targets.push_back({rows.back().name, "cpu_share_pct", 1.0});
    }
    if (pty && paced) {
        std::vector<std::string> speeds = {factor};
        if (factor != "wire") speeds.push_back("wire");
        for (const std::string& speed : speeds) {
            PacedRows(bin, baseline, speed, window, rounds, speed != "wire", script, file, add);
            const std::string prefix = "paced " + (speed == "wire" ? speed : "x" + speed) + " ";
            targets.push_back({prefix + "cv2cli", "wakeups_per_exchange", 4.0, true});
            targets.push_back({prefix + "cv2cli tcp", "wakeups_per_exchange", 4.0, true});
            if (speed == "10") targets.push_back({prefix + "cv2cli", "cpu_share_pct", 1.0});
            targets.push_back({prefix + "cv2cli against", "cpu_vs_bare", 1.5, true});
            targets.push_back({prefix + "cv2cli against", "restore_cpu_vs_backup", 1.2, true});
            targets.push_back({prefix + "cv2cli against", "cpu_vs_today", 0.25, true});
            targets.push_back({prefix + "cv2cli against", "wall_vs_today", 1.0, true});
        }
    }
    if (idle) {
        const double wakeups = IdleWakeups(bin, idleSeconds);
        add({"idle window program",
             {{"seconds", idleSeconds}, {"wakeups_per_s", wakeups}},
             wakeups >= 0,
             wakeups >= 0 ? "" : "cv2sicherung did not start"});
        targets.push_back({rows.back().name, "wakeups_per_s", 2.0});
    }
    std::filesystem::remove(file);
    std::filesystem::remove(script);
    PrintTargets(rows, targets);
    if (!json.empty()) {
        std::ofstream(json) << Json(cores, factor, rows);
        std::printf("written to %s\n", json.c_str());
    }
    for (const Row& row : rows) {
        if (!row.ok) return 1;
    }
    return 0;
}
