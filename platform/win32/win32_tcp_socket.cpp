#include "platform/win32/win32_tcp_socket.h"

#include <ws2tcpip.h>

#include <algorithm>

#include "platform/event_pump.h"
#include "platform/win32/wide_text.h"

namespace cv2 {

namespace {

constexpr int kReadChunk = 4096;
// A line that the system cannot take at once gets this long to go out.
constexpr long kWriteLimitMs = 1000;

// The system's own words for a Winsock error, on one line.
std::string SystemWords(int code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words = n && text ? std::wstring(text, n) : std::wstring();
    if (text) LocalFree(text);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' ||
                              words.back() == L' ' || words.back() == L'.')) {
        words.pop_back();
    }
    const std::string number = "Windows-Fehler " + std::to_string(code);
    return words.empty() ? number : Utf8(words) + ", " + number;
}

const char* ReasonOf(int code) {
    switch (code) {
        case WSAECONNREFUSED:
            return kTcpRefused;
        case WSAETIMEDOUT:
            return kTcpTimedOut;
        case WSAENETUNREACH:
        case WSAEHOSTUNREACH:
        case WSAENETDOWN:
            return kTcpNetwork;
        case WSAECONNRESET:
        case WSAECONNABORTED:
            return kTcpClosed;
        default:
            return kTcpOther;
    }
}

}  // namespace

Win32TcpSocket::Win32TcpSocket() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

Win32TcpSocket::~Win32TcpSocket() {
    SetOnEvent(nullptr);
    Close();
    if (started_) WSACleanup();
}

void Win32TcpSocket::Fail(const char* reason, int code) {
    SetError(std::string(reason) + " (" + SystemWords(code) + ")");
    state_ = State::Closed;
}

void Win32TcpSocket::Connect(const std::string& host, int port) {
    Close();
    SetError({});
    received_.clear();
    state_ = State::Connecting;
    // Told on the next pass of the event loop, as a refusal would be.
    failedUntold_ = true;
    if (!started_) return Fail(kTcpOther, WSANOTINITIALISED);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (const int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
        rc != 0) {
        return Fail(kTcpHostNotFound, rc);
    }
    socket_ = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (socket_ == INVALID_SOCKET) {
        const int code = WSAGetLastError();
        freeaddrinfo(found);
        return Fail(kTcpOther, code);
    }
    const BOOL on = TRUE;
    setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    event_ = WSACreateEvent();
    // Also makes the socket non-blocking: connect returns at once.
    WSAEventSelect(socket_, event_, FD_CONNECT | FD_READ | FD_CLOSE);
    const int rc = ::connect(socket_, found->ai_addr, static_cast<int>(found->ai_addrlen));
    const int code = WSAGetLastError();
    freeaddrinfo(found);
    if (rc == 0) {
        state_ = State::Connected;
    } else if (code != WSAEWOULDBLOCK) {
        Close();
        return Fail(ReasonOf(code), code);
    }
    failedUntold_ = false;
}

HANDLE Win32TcpSocket::WakeEvent() const {
    return event_ == WSA_INVALID_EVENT ? nullptr : static_cast<HANDLE>(event_);
}

bool Win32TcpSocket::Pull() {
    char buffer[kReadChunk];
    for (;;) {
        const int n = recv(socket_, buffer, sizeof buffer, 0);
        if (n > 0) {
            received_.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) return false;
        const int code = WSAGetLastError();
        if (code == WSAEWOULDBLOCK) return true;
        Fail(ReasonOf(code), code);
        return false;
    }
}

bool Win32TcpSocket::Deliver() {
    bool happened = false;
    if (failedUntold_) {
        failedUntold_ = false;
        happened = true;
    }
    if (socket_ != INVALID_SOCKET) {
        WSANETWORKEVENTS events{};
        if (WSAEnumNetworkEvents(socket_, event_, &events) == 0 && events.lNetworkEvents != 0) {
            happened = true;
            if (events.lNetworkEvents & FD_CONNECT) {
                if (const int code = events.iErrorCode[FD_CONNECT_BIT]; code != 0) {
                    Close();
                    Fail(ReasonOf(code), code);
                } else {
                    state_ = State::Connected;
                }
            }
            if (state_ == State::Connected && (events.lNetworkEvents & (FD_READ | FD_CLOSE))) {
                if (!Pull() || (events.lNetworkEvents & FD_CLOSE)) {
                    NoteClosed();
                    state_ = State::Closed;
                }
            }
        }
    }
    if (happened) Notify();
    return happened;
}

bool Win32TcpSocket::Write(const std::string& bytes) {
    if (state_ != State::Connected) return false;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const int n = send(socket_, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        const int code = WSAGetLastError();
        if (code != WSAEWOULDBLOCK) {
            Fail(ReasonOf(code), code);
            return false;
        }
        // The system's buffer is full: wait until it takes more.
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(socket_, &writable);
        timeval limit{0, kWriteLimitMs * 1000};
        if (select(0, nullptr, &writable, nullptr, &limit) <= 0) return false;
    }
    return true;
}

std::string Win32TcpSocket::Read() {
    if (state_ == State::Connected) Pull();
    std::string out;
    out.swap(received_);
    return out;
}

bool Win32TcpSocket::WaitForReadable(double seconds) {
    if (!received_.empty()) return true;
    if (state_ != State::Connected) return false;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    const int ms = SleepMilliseconds(seconds);
    timeval limit{ms / 1000, (ms % 1000) * 1000};
    if (select(0, &readable, nullptr, nullptr, &limit) > 0) Pull();
    return !received_.empty();
}

void Win32TcpSocket::Close() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
    if (event_ != WSA_INVALID_EVENT) WSACloseEvent(event_);
    event_ = WSA_INVALID_EVENT;
    state_ = State::Closed;
}

}  // namespace cv2
