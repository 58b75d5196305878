// A scriptable TCP connection for tests: connects at once (or refuses, or
// never answers), records what the program writes and hands it to a peer (a
// scripted test or a fake LocoNet server), and delivers injected text and the
// server's hang-up at their due time on the fake clock.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/fake/fake_arrivals.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_event_pump.h"
#include "platform/tcp_socket.h"

namespace cv2 {

class FakeTcpSocket : public TcpSocket, public FakeEventSource {
public:
    explicit FakeTcpSocket(FakeClock& clock) : clock_(clock) {}

    // --- what the program drives ---
    void Connect(const std::string& host, int port) override;
    State state() const override { return state_; }
    bool Write(const std::string& bytes) override;
    std::string Read() override;
    bool WaitForReadable(double seconds) override;
    void Close() override;

    // --- event source on the fake pump ---
    std::optional<double> NextDue() const override;
    void Dispatch(double now) override;

    // --- test and peer side ---
    // Text arriving at time t, in order of arrival time.
    void InjectAt(double t, const std::string& text) { pending_.At(t, text); }
    // The server ends the connection at time t.
    void HangUpAt(double t) { hangUpAt_ = t; }

    std::string connectedTo;  // "host:port" of the last Connect
    std::string written;      // every byte written, in order
    std::function<void(const std::string&)> onWrite;
    // Failures to simulate: a reason to refuse with, or no answer at all.
    std::string refuse;
    bool silent = false;

private:
    void Arrive(double now) {
        pending_.Arrive(now, [this](const std::string& text) { received_ += text; });
    }

    FakeClock& clock_;
    State state_ = State::Closed;
    std::string received_;
    FakeArrivals pending_;
    std::optional<double> connectAt_;
    std::optional<double> hangUpAt_;
};

}  // namespace cv2
