#include "cli/interrupt.h"

#include <csignal>
#include <cstdlib>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace cv2::cli {

namespace {

// Further than any wait of a run is long (the longest is 20 s).
constexpr double kInterruptJump = 1.0e6;
constexpr char kSecondSignal[] = "\ncv2cli: sofort beendet.\n";

volatile std::sig_atomic_t interrupted = 0;
int wakePipe[2] = {-1, -1};

void OnInterrupt(int) {
    if (interrupted) {
#ifndef _WIN32
        [[maybe_unused]] auto n = write(2, kSecondSignal, sizeof kSecondSignal - 1);
#endif
        std::_Exit(1);
    }
    interrupted = 1;
#ifndef _WIN32
    if (wakePipe[1] >= 0) {
        [[maybe_unused]] auto n = write(wakePipe[1], "!", 1);
    }
#endif
}

}  // namespace

void InstallInterruptHandlers() {
#ifdef _WIN32
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
#else
    if (wakePipe[0] < 0 && pipe(wakePipe) == 0) {
        for (int fd : wakePipe) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
    // Without SA_RESTART, so a question waiting for input returns at once.
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
#endif
}

bool Interrupted() { return interrupted != 0; }

int InterruptWakeFd() { return wakePipe[0]; }

void DrainInterruptWake() {
#ifndef _WIN32
    char buffer[16];
    while (wakePipe[0] >= 0 && read(wakePipe[0], buffer, sizeof buffer) > 0) {
    }
#endif
}

double InterruptibleClock::Now() const {
    if (interrupted) jumped_ += kInterruptJump;
    return real_.Now() + jumped_;
}

}  // namespace cv2::cli
