#include "platform/win32/win32_serial_control.h"

#include <timeapi.h>

#include <algorithm>
#include <cmath>

#include "platform/port_reasons.h"
#include "platform/win32/wide_text.h"

namespace cv2 {

namespace {

// Receive events raised in one pass of the event loop before the rest waits
// for the next pass, so a flood of input cannot starve the window.
constexpr int kMaxReceiveEventsPerPass = 4096;
// Characters one read takes at most; a hold collects a frame, far fewer.
constexpr DWORD kReadChunk = 4096;
constexpr DWORD kDriverQueue = 4096;

BYTE DcbParity(Parity parity) {
    switch (parity) {
        case Parity::Even:
            return EVENPARITY;
        case Parity::Odd:
            return ODDPARITY;
        case Parity::Mark:
            return MARKPARITY;
        case Parity::Space:
            return SPACEPARITY;
        case Parity::None:
            break;
    }
    return NOPARITY;
}

BYTE DcbStopBits(StopBits stop) {
    switch (stop) {
        case StopBits::OneAndHalf:
            return ONE5STOPBITS;
        case StopBits::Two:
            return TWOSTOPBITS;
        case StopBits::One:
            break;
    }
    return ONESTOPBIT;
}

}  // namespace

std::wstring Win32DevicePath(const std::string& portName) {
    const std::wstring name = Wide(portName);
    if (name.find(L'\\') != std::wstring::npos) return name;
    // COM10 and above open only through the device namespace; COM1..COM9 as well.
    return L"\\\\.\\" + name;
}

Win32SerialControl::Win32SerialControl()
    : readDone_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      writeDone_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      readBuffer_(kReadChunk) {}

Win32SerialControl::~Win32SerialControl() {
    onComm_ = nullptr;
    Close();
    CloseHandle(readDone_);
    CloseHandle(writeDone_);
}

bool Win32SerialControl::Fail(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            error_ = kNoSuchDevice;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            // Windows lets one program at a time open a COM port.
            error_ = kDeviceBusy;
            break;
        case ERROR_INVALID_PARAMETER:
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION:
            error_ = kSettingUnsupported;
            break;
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_BAD_COMMAND:
        case ERROR_GEN_FAILURE:
        case ERROR_OPERATION_ABORTED:
            error_ = kDeviceGone;
            break;
        case ERROR_SEM_TIMEOUT:
            error_ = kNoAnswer;
            break;
        default:
            error_ = "unerwarteter Fehler der Schnittstelle (Windows-Fehler " +
                     std::to_string(code) + ")";
            break;
    }
    return false;
}

bool Win32SerialControl::SetSettings(const std::string& settings) {
    const auto line = ParseLineSettings(settings);
    if (!line) {
        error_ = kBadLineSettings;
        return false;
    }
    if (PortOpen() && !ApplyLine(*line, line->rate)) return false;
    line_ = *line;
    lineRate_ = 0;
    settings_ = settings;
    return true;
}

bool Win32SerialControl::SetLineRate(long bitsPerSecond) {
    if (!PortOpen()) {
        error_ = kPortClosed;
        return false;
    }
    if (!ApplyLine(line_, bitsPerSecond)) return false;
    lineRate_ = bitsPerSecond;
    return true;
}

bool Win32SerialControl::ApplyLine(const LineSettings& line, long rate) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port_, &dcb)) return Fail(GetLastError());
    // Any rate goes into the DCB as it is: 16666 (or the 16457 of divisor 7)
    // becomes the nearest divisor the UART's driver can make.
    dcb.BaudRate = static_cast<DWORD>(rate);
    dcb.fBinary = TRUE;
    dcb.fParity = line.parity != Parity::None;
    dcb.Parity = DcbParity(line.parity);
    dcb.ByteSize = static_cast<BYTE>(line.dataBits);
    dcb.StopBits = DcbStopBits(line.stopBits);
    const bool rtsFlow = handshaking_ == kHandshakeRts || handshaking_ == kHandshakeRtsXonXoff;
    const bool xonXoff = handshaking_ == kHandshakeXonXoff || handshaking_ == kHandshakeRtsXonXoff;
    dcb.fOutxCtsFlow = rtsFlow;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = xonXoff;
    dcb.fInX = xonXoff;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    // DTR and RTS up, as a Linux serial driver raises them on open, unless the
    // program lowered RTS.
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = rtsFlow              ? RTS_CONTROL_HANDSHAKE
                      : (rtsSet_ && !rts_) ? RTS_CONTROL_DISABLE
                                           : RTS_CONTROL_ENABLE;
    if (!SetCommState(port_, &dcb)) return Fail(GetLastError());
    return true;
}

bool Win32SerialControl::SetPortOpen(bool open) {
    if (!open) {
        Close();
        return true;
    }
    if (PortOpen()) return true;
    port_ = CreateFileW(Win32DevicePath(portName_).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                        nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port_ == INVALID_HANDLE_VALUE) return Fail(GetLastError());
    SetupComm(port_, kDriverQueue, kDriverQueue);
    DWORD lines = 0;
    noModemLines_ = !GetCommModemStatus(port_, &lines);
    timeoutMs_ = MAXDWORD;
    lineRate_ = 0;
    if (!ApplyLine(line_, line_.rate) || (rtsSet_ && !SetRTSEnable(rts_))) {
        const std::string reason = error_;
        Close();
        error_ = reason;
        return false;
    }
    // The read time-outs that end a hold count whole milliseconds; the
    // system timer's default 15.6 ms would hold a frame far past its end.
    finePeriod_ = timeBeginPeriod(1) == TIMERR_NOERROR;
    return true;
}

void Win32SerialControl::Close() {
    if (!PortOpen()) return;
    Settle(true);
    CloseHandle(port_);
    port_ = INVALID_HANDLE_VALUE;
    received_.clear();
    holdOver_ = false;
    if (finePeriod_) timeEndPeriod(1);
    finePeriod_ = false;
}

bool Win32SerialControl::StartRead(Reading kind, DWORD count, DWORD totalMs) const {
    if (timeoutMs_ != totalMs) {
        // A watch read (0) waits for its one character. A hold read ends at
        // its total time-out, or once the line has been quiet as long after a
        // character: Wine's serial reads keep running past the total time-out
        // once characters have come, and end only on such a pause.
        COMMTIMEOUTS timeouts{totalMs, 0, totalMs, 0, 0};
        if (!SetCommTimeouts(port_, &timeouts)) return false;
        timeoutMs_ = totalMs;
    }
    ResetEvent(readDone_);
    read_ = OVERLAPPED{};
    read_.hEvent = readDone_;
    DWORD n = 0;
    // Finished at once or later alike: the event is set, and Settle takes it in.
    if (!ReadFile(port_, readBuffer_.data(), std::min<DWORD>(count, kReadChunk), &n, &read_) &&
        GetLastError() != ERROR_IO_PENDING) {
        return false;
    }
    reading_ = kind;
    return true;
}

Win32SerialControl::Reading Win32SerialControl::Settle(bool cancel, bool wait) const {
    if (reading_ == Reading::None) return Reading::None;
    if (cancel) CancelIoEx(port_, &read_);
    DWORD n = 0;
    // A cancelled read reports the characters it had read all the same.
    if (!GetOverlappedResult(port_, &read_, &n, cancel || wait) &&
        GetLastError() == ERROR_IO_INCOMPLETE) {
        return Reading::None;
    }
    received_.append(readBuffer_.data(), n);
    const Reading done = reading_;
    reading_ = Reading::None;
    return done;
}

void Win32SerialControl::Pull() const {
    if (!PortOpen() || reading_ != Reading::None) return;
    for (;;) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(port_, &errors, &status) || status.cbInQue == 0) return;
        // Exactly what is there: the read finishes at once.
        if (!StartRead(Reading::Watch, status.cbInQue, 0)) return;
        Settle(false, true);
    }
}

void Win32SerialControl::TakeIn() const {
    if (reading_ == Reading::Watch) Settle(false);
    Pull();
}

int Win32SerialControl::InBufferCount() const {
    TakeIn();
    return static_cast<int>(received_.size());
}

std::string Win32SerialControl::Input() {
    TakeIn();
    const std::size_t n = inputLen_ == 0
                              ? received_.size()
                              : std::min(static_cast<std::size_t>(inputLen_), received_.size());
    std::string taken = received_.substr(0, n);
    received_.erase(0, n);
    return taken;
}

void Win32SerialControl::ClearInBuffer() {
    if (!PortOpen()) return;
    // A hold cut short still owes the handler its event.
    if (Settle(true) == Reading::Hold) holdOver_ = true;
    PurgeComm(port_, PURGE_RXCLEAR);
    received_.clear();
}

void Win32SerialControl::ClearOutBuffer() {
    if (PortOpen()) PurgeComm(port_, PURGE_TXCLEAR);
}

bool Win32SerialControl::WaitForInput(double seconds) {
    if (!PortOpen()) return false;
    if (Settle(false) == Reading::Hold) holdOver_ = true;
    Pull();
    if (received_.empty() && reading_ != Reading::Hold) {
        // Sleeps on the port itself; no event runs, so no receive event is raised.
        if (reading_ == Reading::None && !StartRead(Reading::Watch, 1, 0)) return false;
        const auto ms = static_cast<DWORD>(std::max(1L, std::lround(seconds * 1000.0)));
        WaitForSingleObject(readDone_, ms);
        TakeIn();
    }
    // Whatever waits gets its receive event when events run again.
    return !received_.empty();
}

bool Win32SerialControl::HoldInput(double seconds) {
    if (!PortOpen() || !(seconds > 0)) return false;
    // A watch read still out gives up its place (what it read is kept).
    Settle(true);
    const double ms = std::ceil(seconds * 1000.0);
    const DWORD total = ms >= MAXDWORD - 1 ? MAXDWORD - 1 : static_cast<DWORD>(std::max(1.0, ms));
    return StartRead(Reading::Hold, kReadChunk, total);
}

void Win32SerialControl::ReleaseInput() {
    if (reading_ != Reading::Hold) return;
    Settle(true);
    holdOver_ = true;
    Pull();
    RaiseReceive();
}

HANDLE Win32SerialControl::WakeEvent() {
    if (!PortOpen()) return nullptr;
    if (reading_ == Reading::None && !StartRead(Reading::Watch, 1, 0)) return nullptr;
    return readDone_;
}

bool Win32SerialControl::DeliverInput() {
    if (!PortOpen()) return false;
    const Reading done = Settle(false);
    if (done == Reading::Hold) holdOver_ = true;
    if (reading_ == Reading::Hold) return false;  // still holding back
    Pull();
    return RaiseReceive();
}

bool Win32SerialControl::RaiseReceive() {
    if (holdOver_) {
        holdOver_ = false;
        // The handler learns that the hold is over, once, even when nothing came.
        if (received_.empty() && rThreshold_ > 0 && onComm_) {
            onComm_(kCommEventReceive);
            return true;
        }
    }
    // Raised again as long as characters wait, so a handler that reads one
    // character per event still takes every byte in order. Only what the
    // handler took counts as delivered: characters nobody takes must not keep
    // a wait from sleeping.
    bool took = false;
    for (int round = 0; round < kMaxReceiveEventsPerPass; ++round) {
        if (!PortOpen() || rThreshold_ <= 0 || !onComm_ || received_.empty()) break;
        const std::size_t before = received_.size();
        onComm_(kCommEventReceive);
        if (received_.size() >= before) break;
        took = true;
        if (reading_ == Reading::Hold) break;
        if (received_.empty()) Pull();
    }
    return took;
}

bool Win32SerialControl::Output(const std::string& bytes) {
    if (!PortOpen()) {
        error_ = kPortClosed;
        return false;
    }
    OVERLAPPED write{};
    write.hEvent = writeDone_;
    ResetEvent(writeDone_);
    DWORD n = 0;
    if (!WriteFile(port_, bytes.data(), static_cast<DWORD>(bytes.size()), &n, &write)) {
        if (GetLastError() != ERROR_IO_PENDING) return Fail(GetLastError());
        // Without write time-outs the driver takes all of it.
        if (!GetOverlappedResult(port_, &write, &n, TRUE)) return Fail(GetLastError());
    }
    if (n != bytes.size()) return Fail(ERROR_SEM_TIMEOUT);
    return true;
}

bool Win32SerialControl::CTSHolding() const {
    if (!PortOpen()) return false;
    DWORD lines = 0;
    // A port that cannot report its lines (a pseudo-terminal behind Wine fails
    // with error 50) has no flow control: CTS counts as asserted, as on Linux.
    if (!GetCommModemStatus(port_, &lines)) return true;
    return (lines & MS_CTS_ON) != 0;
}

bool Win32SerialControl::SetRTSEnable(bool on) {
    rts_ = on;
    rtsSet_ = true;
    if (!PortOpen()) return true;
    // Without modem lines there is nothing to assert, and the peer needs nothing.
    if (EscapeCommFunction(port_, on ? SETRTS : CLRRTS) || noModemLines_) return true;
    return Fail(GetLastError());
}

bool Win32SerialControl::SetBreak(bool on) {
    if (!PortOpen()) {
        error_ = kPortClosed;
        return false;
    }
    if (on ? SetCommBreak(port_) : ClearCommBreak(port_)) return true;
    return Fail(GetLastError());
}

bool Win32SerialControl::SetHandshaking(int mode) {
    if (mode < kHandshakeNone || mode > kHandshakeRtsXonXoff) {
        error_ = kBadHandshaking;
        return false;
    }
    handshaking_ = mode;
    return !PortOpen() || ApplyLine(line_, lineRate_ ? lineRate_ : line_.rate);
}

}  // namespace cv2
