#include "bench/bench_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace cv2::bench {

double Since(SteadyClock::time_point start) {
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

Child Spawn(const std::vector<std::string>& args, int stdoutFd, const char* extraEnv) {
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
    child.started = SteadyClock::now();
    if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0) {
        child.pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

namespace {

// The child's peak resident memory so far (VmHWM), in MB; 0 once it has ended.
double PeakMb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

}  // namespace

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

std::string NextLine(int fd, double seconds) {
    std::string line;
    char c = 0;
    pollfd p{fd, POLLIN, 0};
    const int ms = static_cast<int>(std::lround(seconds * 1000));
    while (poll(&p, 1, ms) > 0 && read(fd, &c, 1) == 1 && c != '\n') line.push_back(c);
    return line;
}

Counters Count(pid_t pid) {
    Counters c;
    std::error_code ec;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
        // The first field of schedstat: nanoseconds on a processor, exact
        // where the tick-counted times of stat are not.
        std::ifstream sched(task.path() / "schedstat");
        double ns = 0;
        if (sched >> ns) c.cpu += ns / 1e9;
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            const auto colon = line.find(':');
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
                c.wakeups += std::stol(line.substr(colon + 1));
            } else if (line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
                c.preemptions += std::stol(line.substr(colon + 1));
            }
        }
    }
    return c;
}

}  // namespace cv2::bench
