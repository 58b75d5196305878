// LocoNet over TCP, driven by the link as it drives a serial port: opening
// the port connects to the server that the port text names (within 5 s), every
// LocoNet message written goes out as one SEND line, and the messages of the
// server's RECEIVE lines arrive as received characters with their receive
// event, so the receive path and the recognition of echo and answer are the
// same as on a serial line. A server that ends the connection or refuses a
// message breaks the link with a message naming HOST:PORT.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "link/tcp_address.h"
#include "link/tcp_lines.h"
#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/serial_control.h"
#include "platform/tcp_socket.h"

namespace cv2 {

class TcpTransport final : public SerialControl {
public:
    // Seconds a connection may take before the server counts as unreachable.
    static constexpr double kConnectLimit = 5.0;

    TcpTransport(TcpSocket& socket, const Clock& clock, EventPump& events);
    ~TcpTransport() override;
    TcpTransport(const TcpTransport&) = delete;
    TcpTransport& operator=(const TcpTransport&) = delete;

    // The port text "tcp://HOST[:PORT]".
    void SetCommPort(const std::string& portName) override { portText_ = portName; }
    std::string CommPort() const override { return portText_; }
    // A network has no line settings: every one is taken and kept as told.
    bool SetSettings(const std::string& settings) override;
    std::string Settings() const override { return settings_; }
    bool PortOpen() const override { return open_; }
    // Opening connects and waits for the connection, processing events, at
    // most kConnectLimit seconds; false with ErrorText() naming the server.
    bool SetPortOpen(bool open) override;
    std::string ErrorText() const override { return error_; }
    std::string Broken() const override { return broken_; }

    void SetInputMode(int) override {}
    void SetInputLen(int length) override { inputLen_ = length; }
    int InBufferCount() const override { return static_cast<int>(inbox_.size()); }
    void ClearInBuffer() override { inbox_.clear(); }
    void ClearOutBuffer() override { outgoing_ = MessageCutter(); }
    std::string Input() override;
    bool WaitForInput(double seconds) override;
    // Messages come whole: there is never the rest of one to hold back.
    bool HoldInput(double) override { return false; }
    void ReleaseInput() override {}
    // Gathers the bytes into LocoNet messages and sends each as a SEND line.
    bool Output(const std::string& bytes) override;

    // No modem lines: CTS is always there, RTS and break are taken.
    bool CTSHolding() const override { return true; }
    bool SetRTSEnable(bool) override { return true; }
    bool SetBreak(bool) override { return true; }
    bool SetHandshaking(int) override { return true; }
    void SetRThreshold(int) override {}
    void SetSThreshold(int) override {}
    void SetOnComm(std::function<void(int)> handler) override { onComm_ = std::move(handler); }

    // What the server said of itself in its VERSION line; empty if nothing.
    const std::string& serverVersion() const { return version_; }
    // Told the VERSION text as it comes (for the trace).
    std::function<void(const std::string&)> onVersion;
    // Lines skipped as malformed since the connection was made.
    int malformedLines() const { return decoder_.malformed(); }

private:
    // Reads what the socket holds into whole messages and notes what the
    // server said; true when messages came.
    bool TakeReceived();
    void OnSocketEvent();
    void Break(std::string text);
    std::string Server() const;

    TcpSocket& socket_;
    const Clock& clock_;
    EventPump& events_;
    std::string portText_;
    std::string settings_;
    std::optional<TcpAddress> address_;
    TcpLineDecoder decoder_;
    std::string inbox_;     // bytes of received messages, not yet taken
    MessageCutter outgoing_;  // holds the bytes of a message not yet complete
    std::string error_;
    std::string broken_;
    std::string version_;
    int inputLen_ = 0;
    bool open_ = false;
    std::function<void(int)> onComm_;
};

}  // namespace cv2
