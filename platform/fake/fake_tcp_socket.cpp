#include "platform/fake/fake_tcp_socket.h"

#include <algorithm>

namespace cv2 {

void FakeTcpSocket::Connect(const std::string& host, int port) {
    connectedTo = host + ":" + std::to_string(port);
    SetError({});
    received_.clear();
    pending_.Clear();
    hangUpAt_.reset();
    state_ = State::Connecting;
    if (!silent) connectAt_ = clock_.Now();
}

bool FakeTcpSocket::Write(const std::string& bytes) {
    if (state_ != State::Connected) return false;
    written += bytes;
    if (onWrite) onWrite(bytes);
    return true;
}

std::string FakeTcpSocket::Read() {
    std::string out;
    out.swap(received_);
    return out;
}

bool FakeTcpSocket::WaitForReadable(double seconds) {
    if (received_.empty()) pending_.Sleep(clock_, seconds);
    Arrive(clock_.Now());
    return !received_.empty();
}

void FakeTcpSocket::Close() {
    state_ = State::Closed;
    connectAt_.reset();
    hangUpAt_.reset();
    pending_.Clear();
}

std::optional<double> FakeTcpSocket::NextDue() const {
    std::optional<double> due = connectAt_;
    if (state_ != State::Connected) return due;
    for (const std::optional<double> t : {pending_.NextTime(), hangUpAt_}) {
        if (t) due = std::min(due.value_or(*t), *t);
    }
    return due;
}

void FakeTcpSocket::Dispatch(double now) {
    bool happened = false;
    if (connectAt_ && *connectAt_ <= now) {
        connectAt_.reset();
        if (refuse.empty()) {
            state_ = State::Connected;
        } else {
            state_ = State::Closed;
            SetError(refuse);
        }
        happened = true;
    }
    if (state_ == State::Connected) {
        const std::size_t before = received_.size();
        Arrive(now);
        happened = happened || received_.size() != before;
        if (hangUpAt_ && *hangUpAt_ <= now) {
            hangUpAt_.reset();
            state_ = State::Closed;
            SetError(kTcpClosed);
            happened = true;
        }
    }
    if (happened) Notify();
}

}  // namespace cv2
