// The TCP connection on Winsock (ws2_32): connects without blocking, and one
// event object, signalled by the socket when it connects, bytes arrive or the
// server closes, lets the event loop sleep on it beside the COM port; the
// pass that sees it signalled reads what came and raises the one event the
// transport listens to.
#pragma once

#include <winsock2.h>

#include <functional>
#include <string>

#include "platform/tcp_socket.h"

namespace cv2 {

class Win32TcpSocket final : public TcpSocket {
public:
    Win32TcpSocket();
    ~Win32TcpSocket() override;
    Win32TcpSocket(const Win32TcpSocket&) = delete;
    Win32TcpSocket& operator=(const Win32TcpSocket&) = delete;

    void Connect(const std::string& host, int port) override;
    State state() const override { return state_; }
    bool Write(const std::string& bytes) override;
    std::string Read() override;
    bool WaitForReadable(double seconds) override;
    void Close() override;

    // The event the loop sleeps on (none while nothing is connected).
    HANDLE WakeEvent() const;
    // Takes what the socket has signalled and tells the transport; true when
    // anything happened.
    bool Deliver();

private:
    void Fail(const char* reason, int code);
    // Reads every byte waiting; false when the server has closed.
    bool Pull();

    bool started_ = false;  // Winsock is set up
    SOCKET socket_ = INVALID_SOCKET;
    WSAEVENT event_ = WSA_INVALID_EVENT;
    State state_ = State::Closed;
    bool failedUntold_ = false;  // a failure before any socket: told on the next pass
    std::string received_;
};

}  // namespace cv2
