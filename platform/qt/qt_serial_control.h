// The serial control over QSerialPort: properties kept while the port is
// closed and applied when it opens, the line settings text, the modem lines,
// and the receive event raised from readyRead while characters wait.
#pragma once

#include <QPointer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/line_settings.h"
#include "platform/serial_control.h"

namespace cv2 {

class QtSerialControl : public SerialControl {
public:
    QtSerialControl();
    ~QtSerialControl() override;

    void SetCommPort(const std::string& portName) override;
    std::string CommPort() const override { return portName_; }
    bool SetSettings(const std::string& settings) override;
    std::string Settings() const override { return settings_; }
    bool PortOpen() const override { return port_.isOpen(); }
    bool SetPortOpen(bool open) override;
    std::string ErrorText() const override { return error_; }
    // Every byte arrives as one character whatever the mode.
    void SetInputMode(int) override {}
    void SetInputLen(int length) override { inputLen_ = length; }
    int InBufferCount() const override;
    void ClearInBuffer() override;
    void ClearOutBuffer() override;
    std::string Input() override;
    bool WaitForInput(double seconds) override;
    // On Linux: the port's read notifier is switched off and a timer with
    // sub-millisecond resolution switches it on again.
    bool HoldInput(double seconds) override;
    void ReleaseInput() override;
    bool Output(const std::string& bytes) override;
    bool CTSHolding() const override;
    bool SetRTSEnable(bool on) override;
    bool SetBreak(bool on) override;
    bool SetHandshaking(int mode) override;
    void SetRThreshold(int count) override;
    // Send events are never raised; the program asks for none.
    void SetSThreshold(int) override {}
    void SetOnComm(std::function<void(int commEvent)> handler) override;

    // Runs the open port at any rate the driver can make, leaving the settings
    // text as it is (the UART divisor emulation uses this). False when refused.
    bool SetLineRate(qint32 bitsPerSecond);
    // SetLineRate as the emulated UART registers call it.
    std::function<bool(int comNumber, long bitsPerSecond)> DivisorRateSink() {
        return [this](int, long rate) { return SetLineRate(static_cast<qint32>(rate)); };
    }
    // The rate the port runs at now.
    qint32 LineRate() const { return port_.baudRate(); }

private:
    bool ApplyLine(const LineSettings& line);
    bool ApplyRts();
    bool ApplyHandshaking();
    // Records the port's error text and clears its sticky error state.
    bool Fail();
    bool HasNoModemLines() const;
    void RaiseReceive();
    // Qt's notifier for the open port's received characters.
    QSocketNotifier* PortReader() const;
    // The hold's timer has run out: the port is watched again.
    void EndHold();
    // Ends a hold early without an event (the port closes, or one follows).
    void CancelHold();
    // What came during a hold, taken in; the receive event raised at least once.
    void TakeHeldInput();

    mutable QSerialPort port_;  // reading the modem lines is not const in Qt
    QTimer moreWaiting_;        // re-raises the receive event while characters wait
    std::string portName_, settings_, error_;
    LineSettings line_;
    int inputLen_ = 0, rThreshold_ = 0, handshaking_ = 0;
    bool rts_ = false;
    bool rtsSet_ = false;
    bool quiet_ = false;  // inside WaitForInput: no receive event
    std::function<void(int)> onComm_;
    // The hold: the notifier it switched off, and the timer that ends it
    // (a timerfd, watched by the event loop once the first hold starts).
    bool held_ = false;
    QPointer<QSocketNotifier> heldReader_;
    int holdTimer_ = -1;
    std::unique_ptr<QSocketNotifier> holdEnd_;
};

}  // namespace cv2
