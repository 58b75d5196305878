// The serial communications control as the link uses it: the port, its line
// settings, the buffers, the modem lines and the receive event. One instance
// (Comm1) belongs to the main window; the link set-up and transmitter drive it.
#pragma once

#include <functional>
#include <string>

namespace cv2 {

// Kind of a communication event; only "received" matters to the program.
constexpr int kCommEventReceive = 2;

// Handshaking modes: none, XON/XOFF, RTS/CTS, or both.
constexpr int kHandshakeNone = 0;
constexpr int kHandshakeXonXoff = 1;
constexpr int kHandshakeRts = 2;
constexpr int kHandshakeRtsXonXoff = 3;

class SerialControl {
public:
    virtual ~SerialControl() = default;

    // Port name as the system knows it ("/dev/ttyS1", "/dev/ttyUSB0", "COM3").
    // Set only while the port is closed.
    virtual void SetCommPort(const std::string& portName) = 0;
    virtual std::string CommPort() const = 0;

    // Line settings text "rate,parity,data,stop", for example "19200,n,8,2".
    // May be set while open and then applies at once. False when refused.
    virtual bool SetSettings(const std::string& settings) = 0;
    virtual std::string Settings() const = 0;

    virtual bool PortOpen() const = 0;
    // Opens or closes the port. False when it could not be opened; ErrorText() says why.
    virtual bool SetPortOpen(bool open) = 0;

    // Reason of the last failure, in the system's words.
    virtual std::string ErrorText() const = 0;
    // Why a connection that was open no longer carries messages (a server
    // that ended it or refused a message), as a whole German sentence; empty
    // while it stands. A serial port never breaks this way.
    virtual std::string Broken() const { return {}; }

    virtual void SetInputMode(int mode) = 0;   // 0: text, one character per byte
    virtual void SetInputLen(int length) = 0;  // most characters one Input() returns; 0: all
    virtual int InBufferCount() const = 0;     // received characters waiting
    virtual void ClearInBuffer() = 0;          // InBufferCount = 0: discard them
    virtual void ClearOutBuffer() = 0;         // OutBufferCount = 0: discard unsent output
    // Removes and returns up to InputLen waiting characters, each byte as one char.
    virtual std::string Input() = 0;
    // Sleeps until received characters are waiting or the seconds have passed,
    // without running the event loop (so no receive event is raised meanwhile).
    // True when characters are waiting.
    virtual bool WaitForInput(double seconds) = 0;
    // Keeps a sleeping wait from waking for received characters during the next
    // seconds: the rest of a frame cannot have come before. When the time is up,
    // or at ReleaseInput(), the receive event is raised for whatever came
    // meanwhile, once even when nothing came, so the handler knows the hold is
    // over. False when the port cannot hold (it then wakes for every arrival).
    virtual bool HoldInput(double seconds) = 0;
    // Ends a hold at once as if its time were up; nothing when none is on.
    virtual void ReleaseInput() = 0;
    // Queues the characters for sending, each char as one byte. False on failure.
    virtual bool Output(const std::string& bytes) = 0;

    virtual bool CTSHolding() const = 0;
    virtual bool SetRTSEnable(bool on) = 0;
    virtual bool SetBreak(bool on) = 0;
    virtual bool SetHandshaking(int mode) = 0;  // 0: none
    virtual void SetRThreshold(int count) = 0;  // 1: receive event per arriving character
    virtual void SetSThreshold(int count) = 0;  // 0: no send events

    // The OnComm event: called with the event kind while the event loop runs.
    // With RThreshold >= 1 it is raised again as long as characters are waiting.
    virtual void SetOnComm(std::function<void(int commEvent)> handler) = 0;
};

}  // namespace cv2
