// The port the link drives: the serial control, or LocoNet over TCP when the
// port text is "tcp://...". Which one is chosen when the port name is set,
// while the port is closed; every other call goes to the chosen one. Without
// a TCP socket (a platform that has none) the serial control is always used.
#pragma once

#include <memory>

#include "link/tcp_transport.h"
#include "platform/serial_control.h"

namespace cv2 {

class PortSwitch final : public SerialControl {
public:
    PortSwitch(SerialControl& serial, TcpSocket* socket, const Clock& clock, EventPump& events);

    void SetCommPort(const std::string& portName) override;
    std::string CommPort() const override { return port_->CommPort(); }
    bool SetSettings(const std::string& settings) override { return port_->SetSettings(settings); }
    std::string Settings() const override { return port_->Settings(); }
    bool PortOpen() const override { return port_->PortOpen(); }
    bool SetPortOpen(bool open) override { return port_->SetPortOpen(open); }
    std::string ErrorText() const override { return port_->ErrorText(); }
    std::string Broken() const override { return port_->Broken(); }
    void SetInputMode(int mode) override { port_->SetInputMode(mode); }
    void SetInputLen(int length) override { port_->SetInputLen(length); }
    int InBufferCount() const override { return port_->InBufferCount(); }
    void ClearInBuffer() override { port_->ClearInBuffer(); }
    void ClearOutBuffer() override { port_->ClearOutBuffer(); }
    std::string Input() override { return port_->Input(); }
    bool WaitForInput(double seconds) override { return port_->WaitForInput(seconds); }
    bool HoldInput(double seconds) override { return port_->HoldInput(seconds); }
    void ReleaseInput() override { port_->ReleaseInput(); }
    bool Output(const std::string& bytes) override { return port_->Output(bytes); }
    bool CTSHolding() const override { return port_->CTSHolding(); }
    bool SetRTSEnable(bool on) override { return port_->SetRTSEnable(on); }
    bool SetBreak(bool on) override { return port_->SetBreak(on); }
    bool SetHandshaking(int mode) override { return port_->SetHandshaking(mode); }
    void SetRThreshold(int count) override { port_->SetRThreshold(count); }
    void SetSThreshold(int count) override { port_->SetSThreshold(count); }
    void SetOnComm(std::function<void(int)> handler) override;

    // The TCP transport, when the port text chose it; else nothing.
    const TcpTransport* tcp() const { return port_ == tcp_.get() ? tcp_.get() : nullptr; }
    // Told what a LocoNet server says of itself, as it says it.
    void SetOnServerVersion(std::function<void(const std::string&)> handler) {
        if (tcp_) tcp_->onVersion = std::move(handler);
    }

private:
    SerialControl& serial_;
    std::unique_ptr<TcpTransport> tcp_;
    SerialControl* port_;
};

}  // namespace cv2
