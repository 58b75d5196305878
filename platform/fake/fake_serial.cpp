#include "platform/fake/fake_serial.h"

#include <algorithm>

namespace cv2 {

void FakeSerial::SetCommPort(const std::string& portName) {
    log.push_back("CommPort=" + portName);
    port_ = portName;
}

bool FakeSerial::SetSettings(const std::string& settings) {
    log.push_back("Settings=" + settings);
    if (!refuseSettings.empty() && settings == refuseSettings) {
        error_ = "Invalid argument";
        return false;
    }
    settings_ = settings;
    return true;
}

bool FakeSerial::SetPortOpen(bool open) {
    log.push_back(std::string("PortOpen=") + (open ? "1" : "0"));
    if (open && !openError.empty()) {
        error_ = openError;
        return false;
    }
    if (open != open_) input_.clear();
    open_ = open;
    holdUntil_.reset();
    return true;
}

void FakeSerial::SetInputMode(int mode) {
    log.push_back("InputMode=" + std::to_string(mode));
    inputMode_ = mode;
}

void FakeSerial::SetInputLen(int length) {
    log.push_back("InputLen=" + std::to_string(length));
    inputLen_ = length;
}

void FakeSerial::ClearInBuffer() {
    log.push_back("InBufferCount=0");
    input_.clear();
}

void FakeSerial::ClearOutBuffer() { log.push_back("OutBufferCount=0"); }

std::string FakeSerial::Input() {
    std::size_t n =
        inputLen_ == 0 ? input_.size() : std::min<std::size_t>(inputLen_, input_.size());
    std::string out = input_.substr(0, n);
    input_.erase(0, n);
    return out;
}

bool FakeSerial::WaitForInput(double seconds) {
    // Moves the clock on to the next arrival (or by the seconds), then lets the
    // bytes that have arrived wait in the input without raising the receive event.
    if (input_.empty()) pending_.Sleep(clock_, seconds);
    Arrive(clock_.Now());
    return !input_.empty();
}

bool FakeSerial::HoldInput(double seconds) {
    if (!open_ || cannotHold) return false;
    holds.push_back(seconds);
    holdUntil_ = clock_.Now() + seconds;
    return true;
}

void FakeSerial::ReleaseInput() {
    if (!holdUntil_) return;
    holdUntil_.reset();
    Arrive(clock_.Now());
    Raise(true);
}

bool FakeSerial::Output(const std::string& bytes) {
    if (!open_ || failOutput) {
        error_ = open_ ? "Write failed" : "Port not open";
        return false;
    }
    writes.push_back(bytes);
    written += bytes;
    if (onOutput) onOutput(bytes);
    return true;
}

bool FakeSerial::CTSHolding() const { return ctsFn ? ctsFn() : cts; }

bool FakeSerial::SetRTSEnable(bool on) {
    log.push_back(std::string("RTSEnable=") + (on ? "1" : "0"));
    if (rtsUnsupported) {
        error_ = "Inappropriate ioctl for device";
        return false;
    }
    rts_ = on;
    return true;
}

bool FakeSerial::SetBreak(bool on) {
    log.push_back(std::string("Break=") + (on ? "1" : "0"));
    break_ = on;
    return true;
}

bool FakeSerial::SetHandshaking(int mode) {
    log.push_back("Handshaking=" + std::to_string(mode));
    handshaking_ = mode;
    return true;
}

void FakeSerial::SetRThreshold(int count) {
    log.push_back("RThreshold=" + std::to_string(count));
    rThreshold_ = count;
}

void FakeSerial::SetSThreshold(int count) {
    log.push_back("SThreshold=" + std::to_string(count));
    sThreshold_ = count;
}

std::optional<double> FakeSerial::NextDue() const {
    // While a hold is on, only its end wakes the program.
    if (holdUntil_) return *holdUntil_ + wakeLatency;
    if (const auto t = pending_.NextTime()) return *t + wakeLatency;
    // Characters still waiting keep the receive event coming on the next pass.
    if (open_ && rThreshold_ > 0 && !input_.empty() && onComm_) return clock_.Now();
    return std::nullopt;
}

void FakeSerial::Arrive(double now) {
    // Bytes reach a closed port's wire but are lost, as on a real line.
    pending_.Arrive(now, [this](const std::string& bytes) {
        if (open_) input_ += bytes;
    });
}

void FakeSerial::Raise(bool once) {
    if (!open_ || rThreshold_ <= 0 || !onComm_) return;
    if (once && input_.empty()) {
        onComm_(kCommEventReceive);
        return;
    }
    // Once per waiting character at most, as the control raises it while
    // characters are waiting (a handler that reads nothing cannot make this
    // loop forever).
    std::size_t rounds = input_.size();
    while (open_ && !input_.empty() && rounds-- > 0 && !holdUntil_) onComm_(kCommEventReceive);
}

void FakeSerial::Dispatch(double now) {
    Arrive(now);
    if (holdUntil_) {
        if (now < *holdUntil_) return;
        holdUntil_.reset();
        Raise(true);
        return;
    }
    Raise(false);
}

}  // namespace cv2
