#include "platform/qt/qt_serial_control.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/port_list.h"
#include "platform/port_reasons.h"

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#endif
#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#endif

namespace cv2 {

namespace {

// Receive events raised in one turn of the event loop before the rest waits for
// the next turn, so a flood of input cannot starve the window.
constexpr int kMaxReceiveEventsPerTurn = 4096;

// The serial port's lock file is named after the path it is given, so "./port"
// in two folders would share one lock and the link /tmp/cv2-x and the device it
// points at would not. A path is opened by its resolved name: one lock per device.
QString DevicePath(const std::string& name) {
    const QString given = QString::fromStdString(name);
    if (!given.contains('/')) return given;
    const QString resolved = QFileInfo(given).canonicalFilePath();
    return resolved.isEmpty() ? given : resolved;
}

}  // namespace

QtSerialControl::QtSerialControl() {
    moreWaiting_.setSingleShot(true);
    moreWaiting_.setInterval(0);
    QObject::connect(&moreWaiting_, &QTimer::timeout, &port_, [this] { RaiseReceive(); });
    QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] {
        if (!quiet_) RaiseReceive();
    });
}

QtSerialControl::~QtSerialControl() {
    onComm_ = nullptr;
    CancelHold();
    holdEnd_.reset();
#ifdef Q_OS_UNIX
    if (holdTimer_ >= 0) ::close(holdTimer_);
#endif
    if (port_.isOpen()) port_.close();
}

void QtSerialControl::SetCommPort(const std::string& portName) { portName_ = portName; }

namespace {

// Why the system refused the device, in words a user can act on. Qt reports a
// port locked by another program and a device the user may not open alike;
// the device's own permissions tell them apart.
std::string PermissionReason(const std::string& device) {
    if (const PortAccess access = AccessOf(device); !access.mayOpen) {
        return "keine Berechtigung (Zugriff verweigert). " + PermissionAdvice(access);
    }
    return kDeviceBusy;
}

}  // namespace

bool QtSerialControl::Fail() {
    // What the name itself says against it comes first: Qt's own words for a
    // folder or a file given as the port are neither German nor to the point.
    if (std::string reason = NotAPortReason(portName_); !reason.empty()) {
        error_ = reason;
        port_.clearError();
        return false;
    }
    switch (port_.error()) {
        case QSerialPort::DeviceNotFoundError:
            error_ = kNoSuchDevice;
            break;
        case QSerialPort::PermissionError:
            error_ = PermissionReason(portName_);
            break;
        case QSerialPort::OpenError:
            error_ = kAlreadyOpen;
            break;
        case QSerialPort::ResourceError:
            error_ = kDeviceGone;
            break;
        case QSerialPort::UnsupportedOperationError:
            error_ = kSettingUnsupported;
            break;
        case QSerialPort::TimeoutError:
            error_ = kNoAnswer;
            break;
        default:
            error_ = "unerwarteter Fehler der Schnittstelle (Qt-Fehler " +
                     std::to_string(static_cast<int>(port_.error())) + ")";
            break;
    }
    port_.clearError();
    return false;
}

bool QtSerialControl::SetSettings(const std::string& settings) {
    const auto line = ParseLineSettings(settings);
    if (!line) {
        error_ = kBadLineSettings;
        return false;
    }
    if (port_.isOpen() && !ApplyLine(*line)) return false;
    line_ = *line;
    settings_ = settings;
    return true;
}

bool QtSerialControl::ApplyLine(const LineSettings& line) {
    static constexpr QSerialPort::Parity kParities[] = {
        QSerialPort::NoParity, QSerialPort::EvenParity, QSerialPort::OddParity,
        QSerialPort::MarkParity, QSerialPort::SpaceParity};
    static constexpr QSerialPort::StopBits kStopBits[] = {
        QSerialPort::OneStop, QSerialPort::OneAndHalfStop, QSerialPort::TwoStop};
    if (!port_.setBaudRate(static_cast<qint32>(line.rate)) ||
        !port_.setParity(kParities[static_cast<int>(line.parity)]) ||
        !port_.setDataBits(static_cast<QSerialPort::DataBits>(line.dataBits)) ||
        !port_.setStopBits(kStopBits[static_cast<int>(line.stopBits)])) {
        return Fail();
    }
    return true;
}

bool QtSerialControl::SetLineRate(qint32 bitsPerSecond) {
    if (!port_.isOpen()) {
        error_ = kPortClosed;
        return false;
    }
    return port_.setBaudRate(bitsPerSecond) || Fail();
}

bool QtSerialControl::SetPortOpen(bool open) {
    if (!open) {
        moreWaiting_.stop();
        CancelHold();
        if (port_.isOpen()) port_.close();
        port_.clearError();
        return true;
    }
    if (port_.isOpen()) return true;
    port_.setPortName(DevicePath(portName_));
    if (!port_.open(QIODevice::ReadWrite)) return Fail();
    if (!ApplyLine(line_) || !ApplyHandshaking() || (rtsSet_ && !ApplyRts())) {
        const std::string reason = error_;
        port_.close();
        error_ = reason;
        return false;
    }
    return true;
}

int QtSerialControl::InBufferCount() const {
    return port_.isOpen() ? static_cast<int>(port_.bytesAvailable()) : 0;
}

void QtSerialControl::ClearInBuffer() {
    if (port_.isOpen()) port_.clear(QSerialPort::Input);
}

void QtSerialControl::ClearOutBuffer() {
    if (port_.isOpen()) port_.clear(QSerialPort::Output);
}

std::string QtSerialControl::Input() {
    if (!port_.isOpen()) return {};
    const qint64 waiting = port_.bytesAvailable();
    const qint64 n = inputLen_ == 0 ? waiting : std::min<qint64>(inputLen_, waiting);
    if (n <= 0) return {};
    const QByteArray bytes = port_.read(n);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool QtSerialControl::WaitForInput(double seconds) {
    if (!port_.isOpen()) return false;
    if (port_.bytesAvailable() == 0) {
        // Blocks in the driver (no event loop), so the readyRead it raises
        // must not reach the receive handler.
        quiet_ = true;
        const int ms = std::max(1, static_cast<int>(std::lround(seconds * 1000.0)));
        port_.waitForReadyRead(ms);
        quiet_ = false;
        port_.clearError();  // a time-out is no failure here
    }
    const bool waiting = port_.bytesAvailable() > 0;
    // Whatever is still waiting when events run again gets its receive event.
    if (waiting && rThreshold_ > 0) moreWaiting_.start();
    return waiting;
}

QSocketNotifier* QtSerialControl::PortReader() const {
    // Qt keeps the notifier as a child of the port. Without one that watches
    // the port's descriptor (another Qt), the port cannot hold: it then wakes
    // a wait for every arrival, as it always did.
    for (QSocketNotifier* n : port_.findChildren<QSocketNotifier*>(Qt::FindDirectChildrenOnly)) {
        if (n->type() == QSocketNotifier::Read && n->socket() == port_.handle() && n->isEnabled()) {
            return n;
        }
    }
    return nullptr;
}

bool QtSerialControl::HoldInput(double seconds) {
#ifdef Q_OS_LINUX
    if (!port_.isOpen() || !(seconds > 0)) return false;
    QSocketNotifier* reader = held_ ? heldReader_.data() : PortReader();
    if (!reader) return false;
    if (holdTimer_ < 0) {
        holdTimer_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (holdTimer_ < 0) return false;
        // Watched for good: a disarmed timer is never readable.
        holdEnd_ = std::make_unique<QSocketNotifier>(holdTimer_, QSocketNotifier::Read);
        QObject::connect(holdEnd_.get(), &QSocketNotifier::activated, &port_, [this] {
            std::uint64_t expirations = 0;
            // Nothing to read: the hold was ended or moved on since the timer fired.
            if (::read(holdTimer_, &expirations, sizeof expirations) != sizeof expirations) return;
            EndHold();
        });
    }
    // Qt's timers count whole milliseconds; a frame at ten times the wire
    // rate lasts two.
    const double whole = std::floor(seconds);
    itimerspec due{};
    due.it_value.tv_sec = static_cast<time_t>(whole);
    due.it_value.tv_nsec = std::clamp(std::lround((seconds - whole) * 1e9), 1L, 999999999L);
    if (::timerfd_settime(holdTimer_, 0, &due, nullptr) != 0) return false;
    reader->setEnabled(false);
    heldReader_ = reader;
    held_ = true;
    return true;
#else
    (void)seconds;
    return false;
#endif
}

void QtSerialControl::CancelHold() {
    if (!held_) return;
    held_ = false;
#ifdef Q_OS_LINUX
    const itimerspec off{};
    ::timerfd_settime(holdTimer_, 0, &off, nullptr);
#endif
    if (heldReader_) heldReader_->setEnabled(true);
    heldReader_ = nullptr;
}

void QtSerialControl::ReleaseInput() {
    if (!held_) return;
    CancelHold();
    TakeHeldInput();
}

void QtSerialControl::EndHold() {
    // The timer has run out, so it is disarmed already.
    held_ = false;
    if (heldReader_) heldReader_->setEnabled(true);
    heldReader_ = nullptr;
    TakeHeldInput();
}

void QtSerialControl::TakeHeldInput() {
    if (!port_.isOpen()) return;
    // What came meanwhile, taken in now: its readyRead raises the receive event.
    if (port_.waitForReadyRead(0)) return;
    port_.clearError();  // nothing came: a time-out, no failure
    if (port_.bytesAvailable() > 0) {
        RaiseReceive();
    } else if (rThreshold_ > 0 && onComm_) {
        onComm_(kCommEventReceive);
    }
}

bool QtSerialControl::Output(const std::string& bytes) {
    if (!port_.isOpen()) {
        error_ = kPortClosed;
        return false;
    }
    std::size_t done = 0;
#ifdef Q_OS_UNIX
    // Straight to the driver while Qt holds nothing unsent: Qt's own path arms a
    // write notifier for every frame and wakes the event loop once more to
    // disarm it, which costs about a third of the program's time per exchange.
    if (port_.bytesToWrite() == 0) {
        while (done < bytes.size()) {
            const ssize_t n = ::write(port_.handle(), bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                break;  // the driver's buffer is full: Qt sends the rest
            }
        }
        if (done == bytes.size()) return true;
    }
#endif
    const auto rest = static_cast<qint64>(bytes.size() - done);
    if (port_.write(bytes.data() + done, rest) != rest) return Fail();
    // Hand the bytes to the driver now rather than on the next event-loop turn.
    port_.flush();
    return true;
}

bool QtSerialControl::CTSHolding() const {
    if (!port_.isOpen()) return false;
    const QSerialPort::PinoutSignals lines = port_.pinoutSignals();
    if (port_.error() != QSerialPort::NoError) {
        // Pseudo-terminals and adapters without modem lines cannot report CTS.
        // Such a line has no flow control, so CTS counts as asserted: sending
        // under CTS then works as on a port whose peer is always ready.
        port_.clearError();
        return true;
    }
    return (lines & QSerialPort::ClearToSendSignal) != 0;
}

bool QtSerialControl::HasNoModemLines() const {
#ifdef Q_OS_UNIX
    int bits = 0;
    return ::ioctl(port_.handle(), TIOCMGET, &bits) == -1 && errno == ENOTTY;
#else
    return false;
#endif
}

bool QtSerialControl::ApplyRts() {
    if (port_.setRequestToSend(rts_)) return true;
    if (HasNoModemLines()) {
        // A pseudo-terminal (the simulated station) has no RTS line; the ioctl
        // fails with "Inappropriate ioctl for device". There is nothing to
        // assert, and the peer does not need it, so this is no failure.
        port_.clearError();
        return true;
    }
    return Fail();
}

bool QtSerialControl::SetRTSEnable(bool on) {
    rts_ = on;
    rtsSet_ = true;
    return !port_.isOpen() || ApplyRts();
}

bool QtSerialControl::SetBreak(bool on) {
    if (!port_.isOpen()) {
        error_ = kPortClosed;
        return false;
    }
    return port_.setBreakEnabled(on) || Fail();
}

bool QtSerialControl::ApplyHandshaking() {
    QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
    if (handshaking_ == kHandshakeXonXoff) flow = QSerialPort::SoftwareControl;
    if (handshaking_ == kHandshakeRts || handshaking_ == kHandshakeRtsXonXoff) {
        flow = QSerialPort::HardwareControl;
    }
    return port_.setFlowControl(flow) || Fail();
}

bool QtSerialControl::SetHandshaking(int mode) {
    if (mode < kHandshakeNone || mode > kHandshakeRtsXonXoff) {
        error_ = kBadHandshaking;
        return false;
    }
    handshaking_ = mode;
    return !port_.isOpen() || ApplyHandshaking();
}

void QtSerialControl::SetRThreshold(int count) {
    rThreshold_ = count;
    if (count > 0 && port_.isOpen() && port_.bytesAvailable() > 0) moreWaiting_.start();
}

void QtSerialControl::SetOnComm(std::function<void(int commEvent)> handler) {
    onComm_ = std::move(handler);
}

void QtSerialControl::RaiseReceive() {
    // The control raises the event again as long as characters wait; a handler
    // that reads one character per event thus still takes every byte in order.
    for (int round = 0; round < kMaxReceiveEventsPerTurn; ++round) {
        if (!port_.isOpen() || rThreshold_ <= 0 || !onComm_) return;
        const qint64 before = port_.bytesAvailable();
        if (before == 0) return;
        onComm_(kCommEventReceive);
        if (port_.bytesAvailable() >= before) return;  // the handler takes nothing
    }
    if (port_.isOpen() && port_.bytesAvailable() > 0) moreWaiting_.start();
}

}  // namespace cv2
