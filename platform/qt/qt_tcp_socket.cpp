#include "platform/qt/qt_tcp_socket.h"

#include "platform/event_pump.h"

namespace cv2 {

QtTcpSocket::QtTcpSocket() {
    QObject::connect(&socket_, &QTcpSocket::connected, [this] {
        socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        Notify();
    });
    QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { Notify(); });
    QObject::connect(&socket_, &QTcpSocket::disconnected, [this] {
        NoteClosed();
        Notify();
    });
    QObject::connect(&socket_, &QTcpSocket::errorOccurred,
                     [this](QAbstractSocket::SocketError error) {
                         NoteError(error);
                         Notify();
                     });
}

void QtTcpSocket::NoteError(QAbstractSocket::SocketError error) {
    const char* reason = kTcpOther;
    switch (error) {
        case QAbstractSocket::ConnectionRefusedError:
            reason = kTcpRefused;
            break;
        case QAbstractSocket::HostNotFoundError:
            reason = kTcpHostNotFound;
            break;
        case QAbstractSocket::SocketTimeoutError:
            reason = kTcpTimedOut;
            break;
        case QAbstractSocket::RemoteHostClosedError:
            reason = kTcpClosed;
            break;
        case QAbstractSocket::NetworkError:
            reason = kTcpNetwork;
            break;
        default:
            break;
    }
    SetError(std::string(reason) + " (" + socket_.errorString().toStdString() + ")");
}

void QtTcpSocket::Connect(const std::string& host, int port) {
    SetError({});
    socket_.abort();
    socket_.connectToHost(QString::fromStdString(host), static_cast<quint16>(port));
}

TcpSocket::State QtTcpSocket::state() const {
    switch (socket_.state()) {
        case QAbstractSocket::ConnectedState:
            return State::Connected;
        case QAbstractSocket::HostLookupState:
        case QAbstractSocket::ConnectingState:
            return State::Connecting;
        default:
            return State::Closed;
    }
}

bool QtTcpSocket::Write(const std::string& bytes) {
    if (socket_.state() != QAbstractSocket::ConnectedState) return false;
    const auto size = static_cast<qint64>(bytes.size());
    if (socket_.write(bytes.data(), size) != size) return false;
    // Out now rather than on the next pass of the event loop.
    socket_.flush();
    return true;
}

std::string QtTcpSocket::Read() {
    if (!socket_.isOpen()) return {};
    const QByteArray data = socket_.readAll();
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

bool QtTcpSocket::WaitForReadable(double seconds) {
    if (socket_.bytesAvailable() > 0) return true;
    return socket_.waitForReadyRead(SleepMilliseconds(seconds));
}

void QtTcpSocket::Close() { socket_.abort(); }

}  // namespace cv2
