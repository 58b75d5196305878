#include "cli/interrupt.h"

#include <csignal>
#include <cstdlib>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace cv2::cli {

namespace {

// Further than any wait of a run is long (the longest is 20 s).
constexpr double kInterruptJump = 1.0e6;
constexpr char kSecondSignal[] = "\ncv2cli: sofort beendet.\n";

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
    if (interrupted) {
#ifndef _WIN32
        [[maybe_unused]] auto n = write(2, kSecondSignal, sizeof kSecondSignal - 1);
#endif
        std::_Exit(1);
    }
    interrupted = 1;
}

}  // namespace

void InstallInterruptHandlers() {
#ifdef _WIN32
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
#else
    // Without SA_RESTART, so a question waiting for input returns at once.
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
#endif
}

bool Interrupted() { return interrupted != 0; }

double InterruptibleClock::Now() const {
    return real_.Now() + (interrupted ? kInterruptJump : 0.0);
}

}  // namespace cv2::cli
