// The serial control on the Win32 API: a COM port opened for overlapped I/O,
// its line in a DCB, and at most one read outstanding: a one-character read
// the event loop sleeps on, or, while the receive path holds back the rest of
// a frame, a read that collects until its total time-out.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/line_settings.h"
#include "platform/serial_control.h"

namespace cv2 {

// "COM5" as the system opens it ("\\.\COM5"); a path with a backslash stays as given.
std::wstring Win32DevicePath(const std::string& portName);

class Win32SerialControl : public SerialControl {
public:
    Win32SerialControl();
    ~Win32SerialControl() override;

    void SetCommPort(const std::string& portName) override { portName_ = portName; }
    std::string CommPort() const override { return portName_; }
    bool SetSettings(const std::string& settings) override;
    std::string Settings() const override { return settings_; }
    bool PortOpen() const override { return port_ != INVALID_HANDLE_VALUE; }
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
    bool HoldInput(double seconds) override;
    void ReleaseInput() override;
    bool Output(const std::string& bytes) override;
    bool CTSHolding() const override;
    bool SetRTSEnable(bool on) override;
    bool SetBreak(bool on) override;
    bool SetHandshaking(int mode) override;
    void SetRThreshold(int count) override { rThreshold_ = count; }
    // Send events are never raised; the program asks for none.
    void SetSThreshold(int) override {}
    void SetOnComm(std::function<void(int commEvent)> handler) override {
        onComm_ = std::move(handler);
    }

    // Runs the open port at any rate its driver accepts, leaving the settings
    // text as it is (the UART divisor emulation uses this). False when refused.
    bool SetLineRate(long bitsPerSecond);
    std::function<bool(int comNumber, long bitsPerSecond)> DivisorRateSink() {
        return [this](int, long rate) { return SetLineRate(rate); };
    }

    // For the event loop: the event a sleeping wait watches (a read is put out
    // for it), or nullptr while no port is open.
    HANDLE WakeEvent();
    // Takes in what the port has read and raises the receive event for it (or
    // once for a hold that has ended). True when the handler took characters
    // or learnt of a hold's end.
    bool DeliverInput();

private:
    enum class Reading { None, Watch, Hold };

    bool ApplyLine(const LineSettings& line, long rate);
    bool Fail(DWORD code);
    void Close();
    // Puts out a read of up to count characters that ends after totalMs
    // (0: only when count have come). False when the port refused it.
    bool StartRead(Reading kind, DWORD count, DWORD totalMs) const;
    // The outstanding read, when it has finished (with wait: once it has;
    // with cancel: ended at once): its characters join the received ones.
    // Which kind finished.
    Reading Settle(bool cancel, bool wait = false) const;
    // Reads what the driver holds, when no read is outstanding.
    void Pull() const;
    // A finished watch read, and what came after it, taken in.
    void TakeIn() const;
    bool RaiseReceive();

    HANDLE port_ = INVALID_HANDLE_VALUE;
    HANDLE readDone_ = nullptr, writeDone_ = nullptr;
    // The outstanding read and what it reads into. Mutable: counting the
    // waiting characters takes in what the port has read.
    mutable OVERLAPPED read_{};
    mutable Reading reading_ = Reading::None;
    mutable std::vector<char> readBuffer_;
    mutable std::string received_;
    mutable DWORD timeoutMs_ = MAXDWORD;  // the port's read time-out now; MAXDWORD: unknown
    bool holdOver_ = false;               // the receive event is due even with nothing received
    bool noModemLines_ = false;           // a pseudo-terminal behind Wine, an adapter without lines
    bool finePeriod_ = false;             // the system timer runs at 1 ms while the port is open

    std::string portName_, settings_, error_;
    LineSettings line_;
    long lineRate_ = 0;  // a rate set apart from the settings text; 0: the text's
    int inputLen_ = 0, rThreshold_ = 0, handshaking_ = 0;
    bool rts_ = false, rtsSet_ = false;
    std::function<void(int)> onComm_;
};

}  // namespace cv2
