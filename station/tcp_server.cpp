#include "station/tcp_server.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace cv2::station {

namespace {

// The wait is bounded so a missed wake-up costs at most this long.
constexpr double kMaxWait = 0.2;
constexpr std::size_t kReadChunk = 4096;
constexpr int kBacklog = 4;

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void NonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

TcpServer::~TcpServer() {
    if (client_ >= 0) close(client_);
    if (listen_ >= 0) close(listen_);
}

bool TcpServer::Open(int port, std::string& error) {
    // Both IPv6 and IPv4 where the system allows, else IPv4 alone.
    listen_ = socket(AF_INET6, SOCK_STREAM, 0);
    const int on = 1, off = 0;
    sockaddr_storage address{};
    socklen_t length = 0;
    if (listen_ >= 0) {
        setsockopt(listen_, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
        auto* a = reinterpret_cast<sockaddr_in6*>(&address);
        a->sin6_family = AF_INET6;
        a->sin6_addr = in6addr_any;
        a->sin6_port = htons(static_cast<std::uint16_t>(port));
        length = sizeof *a;
    } else {
        listen_ = socket(AF_INET, SOCK_STREAM, 0);
        auto* a = reinterpret_cast<sockaddr_in*>(&address);
        a->sin_family = AF_INET;
        a->sin_addr.s_addr = htonl(INADDR_ANY);
        a->sin_port = htons(static_cast<std::uint16_t>(port));
        length = sizeof *a;
    }
    if (listen_ < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(listen_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listen_, kBacklog) != 0) {
        error = "TCP port " + std::to_string(port) + ": " + std::strerror(errno);
        return false;
    }
    getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ =
        ntohs(address.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                                            : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    NonBlocking(listen_);
    return true;
}

void TcpServer::Accept() {
    const int fd = accept(listen_, nullptr, nullptr);
    if (fd < 0) return;
    // One client at a time, as a server in front of one interface.
    if (client_ >= 0) {
        close(fd);
        return;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    NonBlocking(fd);
    client_ = fd;
    lines_ = TcpLineDecoder();
    cutter_ = MessageCutter();
    due_.clear();
    awaitingEcho_.clear();
    sending_ = "VERSION " + version_ + "\r\n";
}

void TcpServer::Drop() {
    if (client_ >= 0) close(client_);
    client_ = -1;
    sending_.clear();
}

void TcpServer::Pass(std::span<const std::uint8_t> message) {
    std::string line = EncodeReceiveLine(message);
    const std::string bytes(message.begin(), message.end());
    if (!awaitingEcho_.empty() && awaitingEcho_.front() == bytes) {
        awaitingEcho_.pop_front();
        line += "SENT OK\r\n";
    }
    sending_ += line;
}

void TcpServer::Received(const std::string& text) {
    lines_.Feed(text, [this](const TcpLine& line) {
        if (line.kind != TcpLine::Kind::Send) return;
        const Bytes sent(line.bytes.begin(), line.bytes.end());
        // Without an echo there is nothing to wait for.
        if (sentFirst_ || station_.options().faults.missingEcho) {
            sending_ += "SENT OK\r\n";
        } else {
            awaitingEcho_.push_back(sent);
        }
        for (auto& d : wire_.Write(Now(), sent, kDefaultPcByteTime)) {
            QueueByTime(due_, std::move(d));
        }
    });
}

int TcpServer::Run(const volatile std::sig_atomic_t& stop, const sigset_t* waitMask,
                   std::string& error) {
    while (!stop) {
        const double now = Now();
        // Everything due goes out in one write, line by line.
        while (!due_.empty() && due_.front().time <= now) {
            cutter_.Feed(due_.front().bytes, [this](std::span<const std::uint8_t> m) { Pass(m); });
            due_.pop_front();
        }
        if (client_ >= 0 && !sending_.empty()) {
            const ssize_t n = send(client_, sending_.data(), sending_.size(), MSG_NOSIGNAL);
            if (n > 0) {
                sending_.erase(0, static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) Drop();
        }
        double wait = kMaxWait;
        if (!due_.empty()) wait = std::min(wait, due_.front().time - now);
        wait = std::max(wait, 0.0);
        pollfd fds[2] = {
            {listen_, POLLIN, 0},
            {client_, static_cast<short>(POLLIN | (sending_.empty() ? 0 : POLLOUT)), 0}};
        timespec ts{static_cast<time_t>(wait), static_cast<long>(std::fmod(wait, 1.0) * 1e9)};
        const int r = ppoll(fds, client_ >= 0 ? 2 : 1, &ts, waitMask);
        if (r < 0) {
            if (errno == EINTR) continue;
            error = std::string("poll: ") + std::strerror(errno);
            return 1;
        }
        if (fds[0].revents & POLLIN) Accept();
        if (client_ < 0 || !(fds[1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char buf[kReadChunk];
        const ssize_t n = recv(client_, buf, sizeof buf, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
            Drop();
            continue;
        }
        if (n > 0) Received(std::string(buf, static_cast<std::size_t>(n)));
        marks_.Note(station_.requests());
    }
    return 0;
}

}  // namespace cv2::station
