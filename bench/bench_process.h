// The benchmark's side of the programs it times: starting them, what the
// system counts for them while they run and when they end.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace cv2::bench {

using SteadyClock = std::chrono::steady_clock;

double Since(SteadyClock::time_point start);

// A child process and what the system counted for it when it ended.
struct Child {
    pid_t pid = -1;
    SteadyClock::time_point started;
};
struct Ended {
    double wall = 0, cpu = 0, peakMb = 0;
    bool exitedZero = false;
};

// Starts the program (args[0]) with stdout on stdoutFd (-1: /dev/null) and
// stderr on /dev/null; extraEnv is one more "NAME=value" for its environment.
Child Spawn(const std::vector<std::string>& args, int stdoutFd, const char* extraEnv = nullptr);
// Waits for the child to end, sampling its peak memory meanwhile.
Ended Reap(const Child& child);
// The next line a child writes to the pipe, or "" after seconds without one.
std::string NextLine(int fd, double seconds = 5.0);

// What the system counts for a running process, summed over its threads.
struct Counters {
    double cpu = 0;        // seconds on a processor
    long wakeups = 0;      // voluntary context switches: each a sleep that ended
    long preemptions = 0;  // involuntary ones
};
Counters Count(pid_t pid);

}  // namespace cv2::bench
