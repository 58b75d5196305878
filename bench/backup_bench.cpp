// A complete backup and a complete restore against the simulated station,
// timed: in process on the fake clock (which also models how long the same
// exchanges take on the wire), and cv2cli against cv2sim on a pseudo-terminal,
// at instant speed and at a multiple of wire speed; then the idle window
// program's wake-ups. Prints a table and writes the figures as JSON.
//   bench_backup [--factor F] [--no-pty] [--no-idle] [--idle-seconds S] [--json FILE]
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/backup_procedure.h"
#include "app/restore_procedure.h"
#include "device/keys.h"
#include "platform/fake/fake_port_io.h"
#include "station/sim_options.h"
#include "station/simulated_station.h"

extern char** environ;

namespace {

using namespace cv2;
using Clock = std::chrono::steady_clock;

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The window's part, without a window: remembers the status line and the
// message a failure would show, answers every question with Yes and the file
// dialog with the file in use.
class ConsoleHost : public ProcedureHost,
                    public ProgressView,
                    public MessageBoxes,
                    public FileDialog {
public:
    void DisableButtons() override {}
    void EnableButtons() override {}
    void SetDateiMenuEnabled(bool) override {}
    void ClosePort() override {
        if (link) link->ClosePort();
    }
    void SetComTxt(const std::string& text) override { comTxt = text; }
    void LoadMenu() override {}
    std::string FormatNumber(double value) override { return std::to_string(value); }
    void SetBarWidth(double) override {}
    double BackgroundWidth() const override { return 3195; }
    void SetPercentText(const std::string&) override {}
    BoxAnswer Show(const std::string& text, const std::string&, BoxButtons buttons,
                   BoxIcon) override {
        if (buttons == BoxButtons::YesNo) return BoxAnswer::Yes;
        failure = text;
        return BoxAnswer::Ok;
    }
    std::string Show(FileDialogMode, const std::string&, const std::string& preset,
                     const std::string&, const std::string&) override {
        return preset;
    }

    Link* link = nullptr;
    std::string comTxt, failure;
};

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
};

// Runs the job on the fake clock: the clock ends where the run would end on a
// line of the given speed, so lineTime is the modelled wire time.
InProcessFigures InProcess(Job job, station::Speed speed, const std::string& file) {
    FakeClock clock;
    FakeEventPump pump(clock);
    FakeSerial serial(clock);
    FakePortIo io;
    ConsoleHost host;
    Settings settings;
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
    pump.AddSource(&serial);
    Link link(serial, io, clock, pump, host, settings, kBuiltInKeys.ServiceKey);
    Device device(link, kBuiltInKeys);
    Progress progress(host);
    host.link = &link;
    InProcessFigures f;
    // The receive handler advances RxSlot once per completed frame.
    serial.SetOnComm([&link, &f](int event) {
        const int before = link.rx().RxSlot;
        link.Comm1_OnComm(event);
        f.framesIn += (link.rx().RxSlot - before + 32) % 32;
    });

    const double start = clock.Now(), cpu = CpuSeconds();
    const auto wall = Clock::now();
    if (job == Job::Backup) {
        BackupProcedure(host, settings, link, device, progress, host).Run();
    } else {
        RestoreProcedure(host, settings, link, device, progress, host, host).Run();
    }
    f.wall = Since(wall);
    f.cpu = CpuSeconds() - cpu;
    f.lineTime = clock.Now() - start;
    f.framesOut = static_cast<long>(serial.writes.size());
    const std::vector<std::uint8_t> station = sim.ExpectedBackup();
    const std::vector<char> written = ReadFile(file);
    f.ok = host.failure.empty() &&
           std::equal(written.begin(), written.end(), station.begin(), station.end(),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
    if (!host.failure.empty()) f.note = "failed in" + host.comTxt + ": " + host.failure;
    return f;
}

// A child process and what the system counted for it when it ended.
struct Child {
    pid_t pid = -1;
    Clock::time_point started;
};
struct Ended {
    double wall = 0, cpu = 0, peakMb = 0;
    bool exitedZero = false;
};

Child Spawn(const std::vector<std::string>& args, int stdoutFd, const char* extraEnv = nullptr) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> env;
    for (char** e = environ; *e; ++e) env.push_back(*e);
    if (extraEnv) env.push_back(const_cast<char*>(extraEnv));
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (stdoutFd < 0)
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    Child child;
    child.started = Clock::now();
    if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0) {
        child.pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

// The child's peak resident memory so far (VmHWM), in MB; 0 once it has ended.
double PeakMb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

Ended Reap(const Child& child) {
    // Sampled while the child runs: its ru_maxrss would also count the memory
    // of this process, which it shared until its exec.
    constexpr int kSampleMs = 20;
    Ended e;
    if (child.pid < 0) return e;
    const int exited = static_cast<int>(syscall(SYS_pidfd_open, child.pid, 0));
    pollfd p{exited, POLLIN, 0};
    do {
        e.peakMb = std::max(e.peakMb, PeakMb(child.pid));
    } while (exited >= 0 && poll(&p, 1, kSampleMs) == 0);
    if (exited >= 0) close(exited);
    int status = 0;
    rusage u{};
    if (wait4(child.pid, &status, 0, &u) != child.pid) return e;
    e.wall = Since(child.started);
    e.cpu = static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
            static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    e.exitedZero = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return e;
}

// The first line a child writes to the pipe (cv2sim's port path), or "".
std::string FirstLine(int fd) {
    std::string line;
    char c = 0;
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 5000) > 0 && read(fd, &c, 1) == 1 && c != '\n') line.push_back(c);
    return line;
}

struct PtyFigures {
    Ended cli, sim;
    bool ok = false;
    std::string note;
};

// cv2cli runs the job against cv2sim; both are timed by the system.
PtyFigures OverPty(Job job, const std::string& bin, const std::string& speed,
                   const std::string& file) {
    PtyFigures f;
    const std::string dump = file + ".dump";
    const std::string seed = std::to_string(job == Job::Backup ? kBackupSeed : kRestoreTargetSeed);
    int out[2];
    if (pipe(out) != 0) return f;
    const Child sim =
        Spawn({bin + "/cv2sim", "--speed", speed, "--seed", seed, "--dump", dump}, out[1]);
    close(out[1]);
    const std::string pty = FirstLine(out[0]);
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

// Context switches of every thread of a process: each is a wake-up or a preemption.
long ContextSwitches(pid_t pid) {
    long total = 0;
    std::error_code ec;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.find("ctxt_switches:") != std::string::npos) {
                total += std::stol(line.substr(line.find(':') + 1));
            }
        }
    }
    return total;
}

// The window program started offscreen and left alone: wake-ups per second.
double IdleWakeups(const std::string& bin, double seconds) {
    // Long enough for the window to be drawn and start-up work to end.
    constexpr auto kSettle = std::chrono::seconds(2);
    const Child program = Spawn({bin + "/cv2sicherung"}, -1, "QT_QPA_PLATFORM=offscreen");
    if (program.pid < 0) return -1;
    std::this_thread::sleep_for(kSettle);
    const long before = ContextSwitches(program.pid);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const long after = ContextSwitches(program.pid);
    kill(program.pid, SIGTERM);
    Reap(program);
    return static_cast<double>(after - before) / seconds;
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

// What the figures should stay within; a row's name contains the target's row text.
struct Target {
    const char* row;
    const char* figure;
    double limit;
};
constexpr Target kTargets[] = {
    {"backup cv2cli instant", "wall_s", 2.0},
    {"cv2cli instant", "cli_cpu_s", 1.0},
    {"cv2cli instant", "sim_cpu_s", 1.0},
    {"cv2cli", "peak_mb", 30.0},
    {"cv2cli x", "overhead_us_per_exchange", 200.0},
    {"cv2cli x", "cpu_share_pct", 1.0},
    {"idle", "wakeups_per_s", 2.0},
};

void PrintTargets(const std::vector<Row>& rows) {
    std::printf("\ntargets:\n");
    for (const Target& t : kTargets) {
        for (const Row& row : rows) {
            if (row.name.find(t.row) == std::string::npos) continue;
            for (const auto& [key, value] : row.figures) {
                if (key != t.figure) continue;
                std::printf("  %-26s %-26s %10.4g  <  %-6g %s\n", row.name.c_str(), key.c_str(),
                            value, t.limit, value < t.limit ? "met" : "MISSED");
            }
        }
    }
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
    std::string bin = CV2_BIN_DIR, factor = "10", json;
    bool pty = true, idle = true;
    double idleSeconds = 10;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--factor" && more) {
            factor = argv[++i];
        } else if (a == "--json" && more) {
            json = argv[++i];
        } else if (a == "--idle-seconds" && more) {
            idleSeconds = std::stod(argv[++i]);
        } else if (a == "--no-pty") {
            pty = false;
        } else if (a == "--no-idle") {
            idle = false;
        } else {
            std::fprintf(a == "--help" ? stdout : stderr,
                         "usage: %s [--factor F] [--no-pty] [--no-idle] [--idle-seconds S] "
                         "[--json FILE]\n",
                         argv[0]);
            return a == "--help" ? 0 : 2;
        }
    }
    const unsigned cores = std::thread::hardware_concurrency();
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("cv2bench-" + std::to_string(::getpid()) + ".CDF"))
                                 .string();
    std::printf("complete backup and restore, %d bytes, %u cores; wire x%s\n", kBackupFileSize,
                cores, factor.c_str());
    std::vector<Row> rows;
    auto add = [&rows](Row row) {
        Print(row);
        rows.push_back(std::move(row));
    };
    for (Job job : {Job::Backup, Job::Restore}) {
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
        if (!pty) continue;
        // Even at instant speed the procedure makes its fixed pauses; the model
        // counts them, so wall minus model is the time the exchanges took.
        const PtyFigures fast = OverPty(job, bin, "instant", file);
        add({name + " cv2cli instant",
             {{"wall_s", fast.cli.wall},
              {"pauses_s", instant.lineTime},
              {"cli_cpu_s", fast.cli.cpu},
              {"sim_cpu_s", fast.sim.cpu},
              {"exchanges", exchanges},
              {"us_per_exchange", fast.cli.wall / exchanges * 1e6},
              {"us_per_exchange_net", (fast.cli.wall - instant.lineTime) / exchanges * 1e6},
              {"peak_mb", fast.cli.peakMb}},
             fast.ok,
             fast.note});
        const PtyFigures slow = OverPty(job, bin, factor, file);
        add({name + " cv2cli x" + factor,
             {{"wall_s", slow.cli.wall},
              {"wire_s", wire.lineTime},
              {"overhead_us_per_exchange", (slow.cli.wall - wire.lineTime) / exchanges * 1e6},
              {"cli_cpu_s", slow.cli.cpu},
              {"cpu_share_pct", slow.cli.cpu / slow.cli.wall * 100},
              {"sim_cpu_s", slow.sim.cpu},
              {"peak_mb", slow.cli.peakMb}},
             slow.ok,
             slow.note});
    }
    if (idle) {
        const double wakeups = IdleWakeups(bin, idleSeconds);
        add({"idle window program",
             {{"seconds", idleSeconds}, {"wakeups_per_s", wakeups}},
             wakeups >= 0,
             wakeups >= 0 ? "" : "cv2sicherung did not start"});
    }
    std::filesystem::remove(file);
    PrintTargets(rows);
    if (!json.empty()) {
        std::ofstream(json) << Json(cores, factor, rows);
        std::printf("written to %s\n", json.c_str());
    }
    for (const Row& row : rows) {
        if (!row.ok) return 1;
    }
    return 0;
}
