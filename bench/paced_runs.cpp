#include "bench/paced_runs.h"

#include <unistd.h>

#include <csignal>

namespace cv2::bench {

namespace {
// The station marks every this many requests; the window's ends fall on marks.
constexpr long kMarkEvery = 100;
// At wire speed a hundred exchanges take about four seconds.
constexpr double kMarkWait = 30.0;

void Stop(const Child& child) {
    if (child.pid <= 0) return;
    kill(child.pid, SIGTERM);
    Reap(child);
}
}  // namespace

PacedFigures PacedRun(const std::string& bin, const std::string& speed, std::uint32_t seed,
                      const PacedWindow& window, const ClientArgs& client,
                      const std::vector<std::string>& simOptions) {
    PacedFigures f;
    int out[2];
    if (pipe(out) != 0) return f;
    std::vector<std::string> simArgs = {bin + "/cv2sim", "--speed",      speed,
                                        "--byte-paced",  "--seed",       std::to_string(seed),
                                        "--mark-every",  std::to_string(kMarkEvery)};
    simArgs.insert(simArgs.end(), simOptions.begin(), simOptions.end());
    const Child sim = Spawn(simArgs, out[1]);
    close(out[1]);
    const std::string port = NextLine(out[0]);
    Child program;
    if (sim.pid < 0 || port.empty()) {
        f.note = "cv2sim did not start";
    } else {
        program = Spawn(client(port), -1);
        Counters start;
        SteadyClock::time_point started;
        for (;;) {
            const std::string line = NextLine(out[0], kMarkWait);
            if (line.empty()) {
                f.note = "the client stopped before the window's end";
                break;
            }
            const long requests = std::stol(line);
            if (f.firstRequest == 0 && requests >= window.first) {
                start = Count(program.pid);
                started = SteadyClock::now();
                f.firstRequest = requests;
            } else if (f.firstRequest > 0 && requests >= f.firstRequest + window.exchanges) {
                const Counters end = Count(program.pid);
                f.wall = Since(started);
                f.exchanges = requests - f.firstRequest;
                f.used = {end.cpu - start.cpu, end.wakeups - start.wakeups,
                          end.preemptions - start.preemptions};
                f.ok = true;
                break;
            }
        }
    }
    Stop(program);
    Stop(sim);
    close(out[0]);
    return f;
}

}  // namespace cv2::bench
