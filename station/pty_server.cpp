#include "station/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace cv2::station {

namespace {

// The wait is bounded so a missed wake-up costs at most this long.
constexpr double kMaxWait = 0.2;
constexpr std::size_t kReadChunk = 4096;

struct RateEntry {
    speed_t code;
    int rate;
};
constexpr RateEntry kRates[] = {{B1200, 1200},   {B2400, 2400},    {B4800, 4800},
                                {B9600, 9600},   {B19200, 19200},  {B38400, 38400},
                                {B57600, 57600}, {B115200, 115200}};

}  // namespace

PtyServer::~PtyServer() {
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
}

bool PtyServer::Open(std::string& error) {
#ifdef __linux__
    // Answers are due at modelled instants; the default timer slack would let
    // every timed wake-up come up to 50 us late, and the lateness add up over
    // tens of thousands of exchanges.
    prctl(PR_SET_TIMERSLACK, 1UL);
#endif
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = std::string("pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ptsname(master_);
    if (!name) {
        error = std::string("ptsname: ") + std::strerror(errno);
        return false;
    }
    slavePath_ = name;
    slave_ = open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        error = slavePath_ + ": " + std::strerror(errno);
        return false;
    }
    termios t{};
    if (tcgetattr(slave_, &t) == 0) {
        cfmakeraw(&t);
        cfsetspeed(&t, B115200);
        tcsetattr(slave_, TCSANOW, &t);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    return true;
}

double PtyServer::Now() const {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double PtyServer::PcByteTime() const {
    // An instant station needs no line rate; asking the driver costs a call per read.
    if (wire_.speed().instant) return 0.0;
    // The program's line settings, as far as the pseudo-terminal keeps them.
    termios t{};
    if (tcgetattr(slave_, &t) != 0) return kDefaultPcByteTime;
    const speed_t code = cfgetospeed(&t);
    int rate = 0;
    for (const auto& r : kRates)
        if (r.code == code) rate = r.rate;
    if (rate == 0) return kDefaultPcByteTime;
    int bits = 1 + 8 + ((t.c_cflag & PARENB) ? 1 : 0) + ((t.c_cflag & CSTOPB) ? 2 : 1);
    return bits / static_cast<double>(rate);
}

int PtyServer::Run(const volatile std::sig_atomic_t& stop, const sigset_t* waitMask,
                   std::string& error) {
    while (!stop) {
        const double now = Now();
        // Everything due goes out in one write: the echo and the answer of an
        // instant station reach the program together.
        while (!due_.empty() && due_.front().time <= now) {
            sending_ += due_.front().bytes;
            due_.pop_front();
        }
        if (!sending_.empty()) {
            const ssize_t n = write(master_, sending_.data(), sending_.size());
            if (n > 0) {
                sending_.erase(0, static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                error = std::string("write: ") + std::strerror(errno);
                return 1;
            }
        }
        double wait = kMaxWait;
        if (!due_.empty() && sending_.empty()) wait = std::min(wait, due_.front().time - now);
        wait = std::max(wait, 0.0);
        pollfd fd{master_, static_cast<short>(POLLIN | (sending_.empty() ? 0 : POLLOUT)), 0};
        timespec ts{static_cast<time_t>(wait), static_cast<long>(std::fmod(wait, 1.0) * 1e9)};
        const int r = ppoll(&fd, 1, &ts, waitMask);
        if (r < 0) {
            if (errno == EINTR) continue;
            error = std::string("poll: ") + std::strerror(errno);
            return 1;
        }
        if (r == 0 || !(fd.revents & POLLIN)) continue;
        char buf[kReadChunk];
        const ssize_t n = read(master_, buf, sizeof buf);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR || errno == EIO) continue;
            error = std::string("read: ") + std::strerror(errno);
            return 1;
        }
        for (auto& d : wire_.Write(Now(), Bytes(buf, static_cast<std::size_t>(n)), PcByteTime())) {
            QueueByTime(due_, std::move(d));
        }
        marks_.Note(station_.requests());
    }
    return 0;
}

}  // namespace cv2::station
