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
    bool Write(const std::string& bytes) override;
    std::string Read() override;
    bool WaitForReadable(double seconds) override;
    void Close() override;

private:
    void NoteError(QAbstractSocket::SocketError error);

    QTcpSocket socket_;
};

}  // namespace cv2
