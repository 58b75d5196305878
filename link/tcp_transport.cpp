#include "link/tcp_transport.h"

#include <algorithm>

namespace cv2 {

TcpTransport::TcpTransport(TcpSocket& socket, const Clock& clock, EventPump& events)
    : socket_(socket), clock_(clock), events_(events) {
    socket_.SetOnEvent([this] { OnSocketEvent(); });
}

TcpTransport::~TcpTransport() {
    socket_.SetOnEvent(nullptr);
    socket_.Close();
}

bool TcpTransport::SetSettings(const std::string& settings) {
    settings_ = settings;
    return true;
}

std::string TcpTransport::Server() const {
    return "Der LocoNet-Server " + (address_ ? address_->ToText() : portText_);
}

bool TcpTransport::SetPortOpen(bool open) {
    if (!open) {
        socket_.Close();
        open_ = false;
        return true;
    }
    if (open_) return true;
    error_.clear();
    broken_.clear();
    version_.clear();
    inbox_.clear();
    outgoing_ = MessageCutter();
    decoder_ = TcpLineDecoder();
    address_ = ReadTcpAddress(portText_);
    if (!address_) {
        error_ = TcpAddressProblem(portText_);
        if (error_.empty()) error_ = "„" + portText_ + "“ nennt keinen LocoNet-Server.";
        return false;
    }
    socket_.Connect(address_->host, address_->port);
    const double start = clock_.Now();
    while (socket_.state() == TcpSocket::State::Connecting) {
        if (clock_.Now() - start > kConnectLimit) {
            socket_.Close();
            error_ = Server() + " ist nicht erreichbar: " + kTcpTimedOut + ".";
            return false;
        }
        events_.WaitForEvents(start + kConnectLimit - clock_.Now());
    }
    if (socket_.state() != TcpSocket::State::Connected) {
        error_ = Server() + " ist nicht erreichbar: " + socket_.ErrorText() + ".";
        return false;
    }
    open_ = true;
    TakeReceived();
    return true;
}

std::string TcpTransport::Input() {
    const std::size_t n = inputLen_ > 0
                              ? std::min(inbox_.size(), static_cast<std::size_t>(inputLen_))
                              : inbox_.size();
    std::string taken = inbox_.substr(0, n);
    inbox_.erase(0, n);
    return taken;
}

bool TcpTransport::WaitForInput(double seconds) {
    if (inbox_.empty() && socket_.WaitForReadable(seconds)) TakeReceived();
    return !inbox_.empty();
}

bool TcpTransport::Output(const std::string& bytes) {
    if (!open_ || !broken_.empty()) return false;
    // Whole messages only: a server takes one LocoNet message a line.
    bool written = true;
    outgoing_.Feed(bytes, [&](std::span<const std::uint8_t> message) {
        written = written && socket_.Write(EncodeSendLine(message));
    });
    return written;
}

bool TcpTransport::TakeReceived() {
    const std::size_t before = inbox_.size();
    decoder_.Feed(socket_.Read(), [this](const TcpLine& line) {
        switch (line.kind) {
            case TcpLine::Kind::Receive:
                inbox_.append(line.bytes.begin(), line.bytes.end());
                break;
            case TcpLine::Kind::SentError:
                Break(Server() + " konnte eine Nachricht nicht auf das LocoNet senden: " +
                      (line.text.empty() ? std::string("ohne Angabe eines Grundes") : line.text) +
                      ".");
                break;
            case TcpLine::Kind::Version:
                version_ = line.text;
                if (onVersion) onVersion(version_);
                break;
            case TcpLine::Kind::SentOk:
            case TcpLine::Kind::Send:
                break;
        }
    });
    return inbox_.size() > before;
}

void TcpTransport::Break(std::string text) {
    if (broken_.empty()) broken_ = std::move(text);
}

void TcpTransport::OnSocketEvent() {
    TakeReceived();
    if (!open_) return;
    if (socket_.state() != TcpSocket::State::Connected) {
        Break("Die Verbindung zum LocoNet-Server " + address_->ToText() +
              " ist abgebrochen: " + socket_.ErrorText() + ".");
    }
    // As a serial port raises its receive event again while characters wait.
    while (onComm_ && !inbox_.empty()) {
        const std::size_t waiting = inbox_.size();
        onComm_(kCommEventReceive);
        if (inbox_.size() == waiting) break;
    }
}

}  // namespace cv2
