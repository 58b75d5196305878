// A scriptable serial control for tests: records every property set, every
// write, and delivers injected bytes at their due time on the fake clock,
// raising the receive event while characters wait. A peer (a scripted test or
// the simulated station) sees every outgoing byte through onOutput.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake/fake_arrivals.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_event_pump.h"
#include "platform/serial_control.h"

namespace cv2 {

class FakeSerial : public SerialControl, public FakeEventSource {
public:
    explicit FakeSerial(FakeClock& clock) : clock_(clock) {}

    // --- what the program drives ---
    void SetCommPort(const std::string& portName) override;
    std::string CommPort() const override { return port_; }
    bool SetSettings(const std::string& settings) override;
    std::string Settings() const override { return settings_; }
    bool PortOpen() const override { return open_; }
    bool SetPortOpen(bool open) override;
    std::string ErrorText() const override { return error_; }
    void SetInputMode(int mode) override;
    void SetInputLen(int length) override;
    int InBufferCount() const override { return static_cast<int>(input_.size()); }
    void ClearInBuffer() override;
    void ClearOutBuffer() override;
    std::string Input() override;
    bool WaitForInput(double seconds) override;
    bool HoldInput(double seconds) override;
    void ReleaseInput() override;
    bool Output(const std::string& bytes) override;
    bool CTSHolding() const override;
    bool SetRTSEnable(bool on) override;
    bool SetBreak(bool on) override;
    bool SetHandshaking(int mode) override;
    void SetRThreshold(int count) override;
    void SetSThreshold(int count) override;
    void SetOnComm(std::function<void(int)> handler) override { onComm_ = std::move(handler); }

    // --- event source on the fake pump ---
    std::optional<double> NextDue() const override;
    void Dispatch(double now) override;

    // --- test and peer side ---
    // Bytes arriving now / at time t (kept in order of arrival time).
    void Inject(const std::string& bytes) { InjectAt(clock_.Now(), bytes); }
    void InjectAt(double t, const std::string& bytes) { pending_.At(t, bytes); }

    // Property writes in order: "CommPort=/dev/ttyS1", "Settings=19200,n,8,1", "PortOpen=1", ...
    std::vector<std::string> log;
    std::vector<std::string> writes;  // one entry per Output() call
    std::string written;              // every byte written, in order
    std::function<void(const std::string&)> onOutput;

    // CTS as the peer drives it; a function, if set, wins (lets a test drop CTS mid-frame).
    bool cts = true;
    std::function<bool()> ctsFn;
    // Failures to simulate.
    std::string openError;       // non-empty: opening fails with this reason
    std::string refuseSettings;  // a settings text the port refuses
    bool failOutput = false;
    bool rtsUnsupported = false;
    bool cannotHold = false;
    // How long after an arrival or a hold's end the program wakes, as a real
    // wait wakes a little after what woke it.
    double wakeLatency = 0;

    // Every hold asked for, in seconds; and whether one is on now.
    std::vector<double> holds;
    bool holding() const { return holdUntil_.has_value(); }

    bool rts() const { return rts_; }

private:
    // Moves what has arrived by now into the input.
    void Arrive(double now);
    // The receive event once per waiting character at most; with `once`, at
    // least once even for nothing (the end of a hold).
    void Raise(bool once);

    FakeClock& clock_;
    std::string port_, settings_, error_;
    bool open_ = false, break_ = false, rts_ = false;
    int inputMode_ = 0, inputLen_ = 0, rThreshold_ = 0, sThreshold_ = 0, handshaking_ = 0;
    std::string input_;
    FakeArrivals pending_;
    std::optional<double> holdUntil_;
    std::function<void(int)> onComm_;
};

}  // namespace cv2
