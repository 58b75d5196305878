// A TCP connection as LocoNet over TCP uses it: connect to a host and port,
// write and read bytes, and an event from the event loop whenever bytes
// arrive or the connection's state changes. The link's TCP transport reads
// and writes its lines through it.
#pragma once

#include <functional>
#include <string>
#include <utility>

namespace cv2 {

// Why a connection could not be made or did not last, in the German words
// the messages use; the system's own words follow them in the error text.
inline constexpr const char* kTcpRefused = "die Verbindung wurde abgewiesen";
inline constexpr const char* kTcpHostNotFound = "den Rechnernamen kennt das Netzwerk nicht";
inline constexpr const char* kTcpTimedOut = "keine Antwort binnen 5 Sekunden";
inline constexpr const char* kTcpClosed = "der Server hat die Verbindung beendet";
inline constexpr const char* kTcpNetwork = "das Netzwerk ist nicht erreichbar";
inline constexpr const char* kTcpOther = "die Verbindung ist gestört";

class TcpSocket {
public:
    enum class State { Closed, Connecting, Connected };

    virtual ~TcpSocket() = default;

    // Starts connecting; the outcome comes with a later event. Once connected,
    // small writes go out at once (TCP_NODELAY).
    virtual void Connect(const std::string& host, int port) = 0;
    virtual State state() const = 0;
    // Why the last connection failed or ended, in German with the system's
    // words after it; empty while nothing went wrong.
    const std::string& ErrorText() const { return error_; }
    // Queues the bytes for sending; false when the connection cannot take them.
    virtual bool Write(const std::string& bytes) = 0;
    // Removes and returns every byte received so far.
    virtual std::string Read() = 0;
    // Sleeps until received bytes wait or the seconds have passed, without
    // running the event loop. True when bytes wait.
    virtual bool WaitForReadable(double seconds) = 0;
    // Ends the connection (and a connect under way); nothing when none is.
    virtual void Close() = 0;
    // Called from the event loop when bytes arrive or the state changes.
    void SetOnEvent(std::function<void()> handler) { onEvent_ = std::move(handler); }

protected:
    // Each system's socket tells the handler, and keeps why it failed.
    void Notify() {
        if (onEvent_) onEvent_();
    }
    void SetError(std::string text) { error_ = std::move(text); }
    // The server ended the connection, unless another reason came first.
    void NoteClosed() {
        if (error_.empty()) error_ = kTcpClosed;
    }

private:
    std::string error_;
    std::function<void()> onEvent_;
};

}  // namespace cv2
