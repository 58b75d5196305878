// The TCP connection on Qt's QTcpSocket: its signals become the one event the
// transport listens to, and its errors the German reasons of tcp_socket.h
// with Qt's own words after them.
#pragma once

#include <QTcpSocket>
#include <functional>

#include "platform/tcp_socket.h"

namespace cv2 {

class QtTcpSocket final : public TcpSocket {
public:
    QtTcpSocket();

    void Connect(const std::string& host, int port) override;
    State state() const override;
    std::string ErrorText() const override { return error_; }
    bool Write(const std::string& bytes) override;
    std::string Read() override;
    bool WaitForReadable(double seconds) override;
    void Close() override;
    void SetOnEvent(std::function<void()> handler) override { onEvent_ = std::move(handler); }

private:
    void Notify() {
        if (onEvent_) onEvent_();
    }
    void NoteError(QAbstractSocket::SocketError error);

    QTcpSocket socket_;
    std::string error_;
    std::function<void()> onEvent_;
};

}  // namespace cv2
