// A complete backup and a complete restore against the simulated station,
// timed: in process on the fake clock (instant, and at LocoNet wire speed,
// where the fake clock tells how long the run takes on a real line), and
// through cv2sim on a pseudo-terminal with the real serial port, event loop and
// clock.
//   bench_backup [--factor F] [--no-pty] [--sim PATH]
#include <sys/resource.h>

#include <QCoreApplication>
#include <QProcess>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/backup_procedure.h"
#include "app/restore_procedure.h"
#include "device/keys.h"
#include "platform/fake/fake_port_io.h"
#include "platform/qt/qt_clock.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_serial_control.h"
#include "station/simulated_station.h"

namespace {

using namespace cv2;

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double ChildCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
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

struct Figures {
    double wall = 0, cpu = 0, childCpu = 0, lineTime = 0;
    long framesIn = 0, framesOut = 0;
    bool ok = false;
    std::string note;
};

// Counts the frames the receive handler completes: RxSlot advances once per frame.
void CountFramesIn(SerialControl& serial, Link& link, long& count) {
    serial.SetOnComm([&link, &count](int event) {
        const int before = link.rx().RxSlot;
        link.Comm1_OnComm(event);
        count += (link.rx().RxSlot - before + 32) % 32;
    });
}

enum class Job { Backup, Restore };

// Runs the job's procedure; a restore runs on the file as it is.
void RunJob(Job job, ConsoleHost& host, Settings& settings, Link& link, Device& device,
            Progress& progress) {
    if (job == Job::Backup) {
        BackupProcedure(host, settings, link, device, progress, host).Run();
    } else {
        RestoreProcedure(host, settings, link, device, progress, host, host).Run();
    }
}

template <typename A, typename B>
bool SameBytes(const A& a, const B& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](auto x, auto y) {
        return static_cast<std::uint8_t>(x) == static_cast<std::uint8_t>(y);
    });
}

// In process a restore writes another seed's content into the station.
constexpr std::uint32_t kRestoreSeed = 2;

Figures InProcess(Job job, station::Speed speed, const std::string& file) {
    FakeClock clock;
    FakeEventPump pump(clock);
    FakeSerial serial(clock);
    FakePortIo io;
    ConsoleHost host;
    Settings settings;
    settings.BackupFileName = file;
    station::StationOptions options;
    options.speed = speed;
    if (job == Job::Restore) {
        options.seed = kRestoreSeed;
        station::SimulatedStation source(clock, serial, options);
        const std::vector<std::uint8_t> image = source.ExpectedBackup();
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), std::ssize(image));
        options.seed = 1;
    }
    station::SimulatedStation sim(clock, serial, options);
    pump.AddSource(&serial);
    Link link(serial, io, clock, pump, host, settings, ServiceKey);
    Device device(link);
    Progress progress(host);
    host.link = &link;
    Figures f;
    CountFramesIn(serial, link, f.framesIn);

    const double start = clock.Now(), cpu = CpuSeconds();
    const auto wall = std::chrono::steady_clock::now();
    RunJob(job, host, settings, link, device, progress);
    f.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    f.cpu = CpuSeconds() - cpu;
    f.lineTime = clock.Now() - start;
    f.framesOut = static_cast<long>(serial.writes.size());
    f.ok = host.failure.empty() && SameBytes(ReadFile(file), sim.ExpectedBackup());
    if (!host.failure.empty()) f.note = "failed in" + host.comTxt + ": " + host.failure;
    return f;
}

// A restore writes the file of the backup before it into a station of another seed.
Figures OverPty(Job job, const std::string& sim, const std::string& speed,
                const std::string& file) {
    Figures f;
    const std::string dump = file + ".dump";
    QProcess station;
    station.start(QString::fromStdString(sim),
                  {"--speed", QString::fromStdString(speed), "--seed",
                   job == Job::Restore ? "3" : "1", "--dump", QString::fromStdString(dump)});
    if (!station.waitForStarted(5000) || !station.waitForReadyRead(5000)) {
        f.note = "cv2sim did not start";
        return f;
    }
    const std::string pty = station.readLine().trimmed().toStdString();

    QtClock clock;
    QtEventPump pump;
    QtSerialControl serial;
    FakePortIo io;  // the USB interface kind never touches the UART
    ConsoleHost host;
    Settings settings;
    settings.ComPort = ComPortSetting::Text(pty);
    settings.BackupFileName = file;
    Link link(serial, io, clock, pump, host, settings, ServiceKey);
    Device device(link);
    Progress progress(host);
    host.link = &link;
    CountFramesIn(serial, link, f.framesIn);

    const double start = clock.Now(), cpu = CpuSeconds(), childCpu = ChildCpuSeconds();
    RunJob(job, host, settings, link, device, progress);
    f.wall = clock.Now() - start;
    f.cpu = CpuSeconds() - cpu;

    station.terminate();
    station.waitForFinished(10000);
    f.childCpu = ChildCpuSeconds() - childCpu;
    f.ok = host.failure.empty() && ReadFile(file) == ReadFile(dump);
    if (!host.failure.empty()) f.note = "failed in" + host.comTxt + ": " + host.failure;
    std::filesystem::remove(dump);
    return f;
}

void Print(const char* name, const Figures& f) {
    std::printf("%-34s %9.2f s wall %8.2f s CPU", name, f.wall, f.cpu);
    if (f.childCpu > 0) std::printf(" (+%.2f s cv2sim)", f.childCpu);
    // The fake clock tells how long the run takes on a real line; the program's
    // writes are only countable on the fake port.
    if (f.lineTime > 0)
        std::printf("  %7.1f s on the line  frames out %6ld", f.lineTime, f.framesOut);
    std::printf("  frames in %6ld  %s %s\n", f.framesIn, f.ok ? "file == station" : "FILE DIFFERS",
                f.note.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::string sim = CV2SIM_PATH, factor = "20";
    bool pty = true;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--factor" && i + 1 < argc)
            factor = argv[++i];
        else if (a == "--sim" && i + 1 < argc)
            sim = argv[++i];
        else if (a == "--no-pty")
            pty = false;
        else {
            std::fprintf(stderr, "usage: %s [--factor F] [--no-pty] [--sim PATH]\n", argv[0]);
            return 2;
        }
    }
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("cv2bench-" + std::to_string(::getpid()) + ".CDF"))
                                 .string();
    std::printf("complete backup and restore, %d bytes; frames counted at the program's port\n",
                kBackupFileSize);
    for (Job job : {Job::Backup, Job::Restore}) {
        const std::string name = job == Job::Backup ? "backup" : "restore";
        Print((name + ", in process, instant").c_str(), InProcess(job, {true, 1.0}, file));
        Print((name + ", in process, wire").c_str(), InProcess(job, {false, 1.0}, file));
    }
    if (pty) {
        for (const std::string& speed : {std::string("instant"), factor}) {
            const std::string label = speed == "instant" ? "instant" : "wire x" + speed;
            Print(("backup, cv2sim pty, " + label).c_str(), OverPty(Job::Backup, sim, speed, file));
            Print(("restore, cv2sim pty, " + label).c_str(),
                  OverPty(Job::Restore, sim, speed, file));
        }
    }
    std::filesystem::remove(file);
    return 0;
}
