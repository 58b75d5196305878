#include "link/link.h"

#include <algorithm>

#include "link/loconet.h"
#include "link/port_name.h"
#include "link/tcp_address.h"

namespace cv2 {

namespace {

constexpr std::int16_t kLinkReady = 0;
constexpr std::int16_t kLinkFailed = 1;

// Seconds for all bytes of a frame (Tandemo port and serial interface).
constexpr double kFrameBytesLimit = 3.0;
constexpr double kFrameChecksumLimit = 5.0;  // seconds until the checksum may go (Tandemo port)
constexpr double kSendTextLimit = 5.0;       // seconds for a whole command text
// CTS raises no event, so a sender waiting for it looks again after this long.
constexpr double kCtsPollStep = 0.005;
constexpr double kPromptLimit = 5.0;  // seconds for the unit's "]" prompt
// The prompt wait sleeps on the port in steps this long, so it checks its limit often.
constexpr double kPromptPollStep = 0.01;

constexpr char kPromptChar = ']';
constexpr char kCarriageReturn = '\r';

// Tandemo/Centrova unit: the port starts at 2400 bit/s; the first command text
// moves the unit to 19200 bit/s, the second switches it into LocoNet frame mode.
constexpr const char* kTandemoStartSettings = "2400,n,8,2";
constexpr const char* kTandemoFrameSettings = "19200,n,8,2";
constexpr const char* kTandemoRateCommand = "xB19200";
constexpr const char* kTandemoFrameModeCommand = "x&LN$3C96";
constexpr int kTandemoPromptInputLen = 100;
constexpr double kBreakHold = 1.0;
constexpr double kShortPause = 0.3;

// Serial LocoNet interface: COM1/COM2 only; 16666 bit/s is reached by the UART
// divisor 7 (115200/7, about 16457 bit/s) after opening at 19200.
constexpr long kLocoNetRate = 16666;
constexpr const char* kLocoNetOpenSettings = "19200,n,8,1";
constexpr const char* kLineFormat81 = ",n,8,1";
constexpr std::int16_t kCom1Base = 0x3F8;
constexpr std::int16_t kCom2Base = 0x2F8;
constexpr std::int16_t kDivisorLow = 0;   // offset, while the divisor latch is open
constexpr std::int16_t kDivisorHigh = 1;  // offset, while the divisor latch is open
constexpr std::int16_t kLineControl = 3;  // offset of the line control register
constexpr std::int16_t kDivisorLatchAccess = 0x80;
constexpr std::int16_t kLocoNetDivisor = 7;

// USB LocoNet interface: always 115200 bit/s, read everything waiting at once.
constexpr const char* kUsbSettings = "115200,n,8,1";

constexpr int kHandshakingNone = 0;
constexpr int kInputModeText = 0;
constexpr int kReceiveThreshold = 1;
constexpr int kSendThreshold = 0;

}  // namespace

Link::Link(SerialControl& comm, PortIo& io, Clock& clock, EventPump& events)
    : comm_(comm), io_(io), clock_(clock), waits_(events, comm, clock) {
    comm_.SetOnComm([this](int commEvent) { Comm1_OnComm(commEvent); });
}

Link::~Link() { comm_.SetOnComm(nullptr); }

void Link::Comm1_OnComm(int commEvent) {
    if (commEvent != kCommEventReceive) return;
    if (!inBurst_) {
        pacing_.BeginBurst(clock_.Now(), !holding_);
        holding_ = false;
        inBurst_ = true;
    }
    // One read: one character on the Tandemo port and the serial interface (InputLen 1),
    // all waiting on the USB interface.
    const std::string input = comm_.Input();
    if (!input.empty()) lastArrival_ = clock_.Now();
    for (char c : input) {
        const auto b = static_cast<std::uint8_t>(c);
        const std::int16_t slot = rx_.RxSlot;
        rx_.Step(b);
        pacing_.Byte(b, rx_.RxSlot != slot, rx_.RxPos);
    }
    // The control raises the event again at once for characters still waiting.
    if (comm_.InBufferCount() > 0) return;
    inBurst_ = false;
    // Rather than wake the wait for each byte still to come, let the port keep
    // quiet until the frame can be complete.
    const double hold = pacing_.EndBurst(rx_);
    if (hold > 0 && waits_.sleeping()) holding_ = comm_.HoldInput(hold);
}

void Link::ResetPacing() {
    comm_.ReleaseInput();
    pacing_.Reset();
    inBurst_ = false;
    holding_ = false;
}

void Link::Pause(double seconds) {
    double start = 0;
    WaitFor(start, seconds, [] { return false; });
}

void Link::Drain(double quiet, double limit) {
    const double start = clock_.Now();
    for (;;) {
        const double now = clock_.Now();
        const double quietSince = std::max(start, lastArrival_);
        if (now - quietSince > quiet || now - start > limit || cancel_.requested() || broken()) {
            return;
        }
        waits_.WaitForEvents(std::min(quietSince + quiet, start + limit) - now);
    }
}

void Link::SendingPass(bool ctsWasLow, double start, double limit) {
    if (ctsWasLow) {
        waits_.WaitForEvents(std::min(kCtsPollStep, start + limit - clock_.Now()));
    } else {
        waits_.ProcessEvents();
    }
}

std::int16_t Link::SendText(const std::string& text) {
    comm_.ClearOutBuffer();
    const double start = clock_.Now();
    std::size_t i = 0;
    bool cts = true;
    while (i < text.size()) {
        if (clock_.Now() - start > kSendTextLimit) return kLinkFailed;
        SendingPass(!cts, start, kSendTextLimit);
        cts = comm_.CTSHolding();
        if (cts) {
            if (!comm_.Output(std::string(1, text[i]))) return kLinkFailed;
            ++i;
        }
    }
    return kLinkReady;
}

bool Link::SendFrame(std::span<const std::int16_t> frame, std::int16_t n) {
    if (!comm_.PortOpen()) return false;
    if (n < 0 || static_cast<std::size_t>(n) >= frame.size()) return false;
    // A bad element fails the frame before any byte of it goes out.
    for (int i = 0; i <= n; ++i) {
        if (frame[i] < 0 || frame[i] > 0xFF) return false;
    }

    comm_.ClearInBuffer();
    comm_.ClearOutBuffer();
    int checksum = kChecksumSeed;
    const InterfaceKind kind = config_.kind;

    if (kind == InterfaceKind::UsbInterface) {
        std::string text;
        text.reserve(static_cast<std::size_t>(n) + 2);
        for (int i = 0; i <= n; ++i) {
            text.push_back(static_cast<char>(frame[i]));
            checksum ^= frame[i];
        }
        text.push_back(static_cast<char>(checksum));
        return comm_.Output(text);
    }

    const double start = clock_.Now();
    int i = 0;
    bool cts = true;
    while (i <= n) {
        if (clock_.Now() - start > kFrameBytesLimit) return false;
        SendingPass(kind == InterfaceKind::TandemoPort && !cts, start, kFrameBytesLimit);
        cts = comm_.CTSHolding();
        if (kind == InterfaceKind::SerialInterface || cts) {
            if (!comm_.Output(std::string(1, static_cast<char>(frame[i])))) return false;
            checksum ^= frame[i];
            ++i;
        }
    }
    if (kind == InterfaceKind::TandemoPort) {
        while (!comm_.CTSHolding()) {
            if (clock_.Now() - start > kFrameChecksumLimit) return false;
            SendingPass(true, start, kFrameChecksumLimit);
        }
    }
    return comm_.Output(std::string(1, static_cast<char>(checksum)));
}

void Link::ClosePort() {
    if (comm_.PortOpen()) comm_.SetPortOpen(false);
}

std::int16_t Link::OpenLink(const LinkConfig& config) {
    config_ = config;
    failureText_.clear();
    failure_ = LinkFailure::None;
    ResetPacing();
    // Never opened: the system would cut the name at a NUL and open another device.
    if (std::string problem = PortNameProblem(config_.port.ToText()); !problem.empty()) {
        return Failed(LinkFailure::PortName, std::move(problem));
    }
    if (IsTcpPortText(config_.port.ToText())) return OpenTcp();
    switch (config_.kind) {
        case InterfaceKind::TandemoPort:
            return OpenTandemoPort();
        case InterfaceKind::SerialInterface:
            return OpenSerialInterface();
        case InterfaceKind::UsbInterface:
            break;
    }
    return OpenUsbInterface();
}

std::string Link::PortName() const {
    return comm_.CommPort().empty() ? PortDeviceName(config_.port) : comm_.CommPort();
}

std::int16_t Link::Failed(LinkFailure failure, std::string text) {
    failure_ = failure;
    failureText_ = std::move(text);
    return kLinkFailed;
}

std::int16_t Link::PortFailure(const std::string& what) {
    return Failed(LinkFailure::Port,
                  "Die Schnittstelle " + PortName() + " " + what + ": " + comm_.ErrorText());
}

std::int16_t Link::UnitSilent() {
    return Failed(LinkFailure::UnitSilent,
                  "Die Tandemo/Centrova-Einheit an der Schnittstelle " + PortName() +
                      " antwortet nicht.\rIst sie angeschlossen und eingeschaltet?");
}

namespace {
std::string Refused(const std::string& setting) {
    return "lässt die Einstellung " + setting + " nicht zu";
}
constexpr const char* kCannotOpen = "kann nicht geöffnet werden";
}  // namespace

std::int16_t Link::OpenSerialInterface() {
    const long number = ComPortNumber(config_.port);
    if (number != 1 && number != 2) return Failed(LinkFailure::PortRestricted, kComPortRestriction);
    if (!comm_.PortOpen()) comm_.SetCommPort(PortDeviceName(config_.port));
    if (!comm_.SetRTSEnable(true)) return PortFailure(Refused("RTS"));
    comm_.SetInputMode(kInputModeText);
    const std::string lineSettings = config_.baudRate == kLocoNetRate
                                         ? std::string(kLocoNetOpenSettings)
                                         : std::to_string(config_.baudRate) + kLineFormat81;
    if (!comm_.SetSettings(lineSettings)) return PortFailure(Refused(lineSettings));
    comm_.SetInputLen(1);
    if (!comm_.PortOpen() && !comm_.SetPortOpen(true)) return PortFailure(kCannotOpen);
    comm_.ClearInBuffer();
    if (config_.baudRate == kLocoNetRate) {
        const std::int16_t base = number == 1 ? kCom1Base : kCom2Base;
        const std::int16_t lcr = io_.Inp32(static_cast<std::int16_t>(base + kLineControl));
        io_.Out32(static_cast<std::int16_t>(base + kLineControl),
                  static_cast<std::int16_t>(lcr | kDivisorLatchAccess));
        io_.Out32(static_cast<std::int16_t>(base + kDivisorLow), kLocoNetDivisor);
        io_.Out32(static_cast<std::int16_t>(base + kDivisorHigh), 0);
        io_.Out32(static_cast<std::int16_t>(base + kLineControl), lcr);
        if (!io_.LastWriteTookEffect()) return PortFailure(Refused("16457 Bit/s"));
    }
    comm_.SetSThreshold(kSendThreshold);
    comm_.SetRThreshold(kReceiveThreshold);
    return kLinkReady;
}

std::int16_t Link::OpenUsbInterface() {
    if (!comm_.PortOpen()) comm_.SetCommPort(PortDeviceName(config_.port));
    comm_.SetInputMode(kInputModeText);
    if (!comm_.SetSettings(kUsbSettings)) return PortFailure(Refused(kUsbSettings));
    comm_.SetInputLen(0);
    if (!comm_.SetHandshaking(kHandshakingNone)) return PortFailure(Refused("Handshaking 0"));
    if (!comm_.PortOpen() && !comm_.SetPortOpen(true)) return PortFailure(kCannotOpen);
    comm_.ClearInBuffer();
    comm_.SetSThreshold(kSendThreshold);
    comm_.SetRThreshold(kReceiveThreshold);
    return kLinkReady;
}

std::int16_t Link::OpenTcp() {
    if (std::string problem = TcpPortProblem(config_); !problem.empty()) {
        return Failed(LinkFailure::PortName, std::move(problem));
    }
    // Messages go out whole, as to the USB interface.
    config_.kind = InterfaceKind::UsbInterface;
    if (!comm_.PortOpen()) comm_.SetCommPort(config_.port.ToText());
    comm_.SetInputLen(0);
    if (!comm_.PortOpen() && !comm_.SetPortOpen(true)) {
        return Failed(LinkFailure::Port, comm_.ErrorText());
    }
    comm_.ClearInBuffer();
    comm_.SetRThreshold(kReceiveThreshold);
    return kLinkReady;
}

bool Link::broken() {
    if (failure_ == LinkFailure::Broken) return true;
    if (!comm_.PortOpen()) return false;
    std::string why = comm_.Broken();
    if (why.empty()) return false;
    Failed(LinkFailure::Broken, std::move(why));
    return true;
}

std::int16_t Link::OpenTandemoPort() {
    if (!comm_.PortOpen()) comm_.SetCommPort(PortDeviceName(config_.port));
    if (!comm_.SetSettings(kTandemoStartSettings))
        return PortFailure(Refused(kTandemoStartSettings));
    if (!comm_.PortOpen() && !comm_.SetPortOpen(true)) return PortFailure(kCannotOpen);
    comm_.SetInputMode(kInputModeText);
    comm_.SetInputLen(kTandemoPromptInputLen);

    if (!comm_.SetBreak(true)) return PortFailure(Refused("Break"));
    Pause(kBreakHold);
    if (!comm_.SetBreak(false)) return PortFailure(Refused("Break"));
    Pause(kShortPause);

    if (SendText(std::string(kTandemoRateCommand) + kCarriageReturn) != 0) return UnitSilent();
    if (!AwaitPrompt()) return UnitSilent();
    Pause(kShortPause);

    comm_.SetPortOpen(false);
    if (!comm_.SetSettings(kTandemoFrameSettings))
        return PortFailure(Refused(kTandemoFrameSettings));
    if (!comm_.SetPortOpen(true)) return PortFailure(kCannotOpen);

    if (SendText(std::string(kTandemoFrameModeCommand) + kCarriageReturn) != 0) {
        return UnitSilent();
    }
    if (!AwaitPrompt()) return UnitSilent();

    comm_.SetPortOpen(false);
    comm_.SetInputLen(1);
    if (!comm_.SetPortOpen(true)) return PortFailure(kCannotOpen);
    comm_.SetSThreshold(kSendThreshold);
    comm_.SetRThreshold(kReceiveThreshold);
    return kLinkReady;
}

bool Link::AwaitPrompt() {
    // No event processing here: the unit's answer must not reach the receive
    // handler. The port itself blocks until characters arrive, so the loop
    // sleeps instead of spinning.
    std::string reply;
    const double start = clock_.Now();
    for (;;) {
        if (reply.find(kPromptChar) != std::string::npos) return true;
        if (clock_.Now() - start > kPromptLimit) return false;
        if (comm_.InBufferCount() > 0) {
            reply += comm_.Input();
        } else {
            comm_.WaitForInput(kPromptPollStep);
        }
    }
}

}  // namespace cv2
