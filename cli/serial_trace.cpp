#include "cli/serial_trace.h"

#include <cerrno>

#include "link/loconet.h"

namespace cv2::cli {

namespace {

constexpr char kCarriageReturn = '\r';

const char* RoleText(FrameRole role) {
    switch (role) {
        case FrameRole::Echo:
            return "Echo";
        case FrameRole::Answer:
            return "Antwort";
        case FrameRole::Confirmation:
            return "Bestätigung";
        case FrameRole::Foreign:
            return "anderes Gerät";
        case FrameRole::Discarded:
            return "verworfen";
    }
    return "";
}

std::string Hex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : bytes) {
        const auto b = static_cast<std::uint8_t>(c);
        if (!out.empty()) out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

// Bytes of a text dialogue also shown as text: printable ASCII, CR as \r.
std::string Printable(const std::string& bytes) {
    std::string text;
    for (char c : bytes) {
        if (c == kCarriageReturn) {
            text += "\\r";
        } else if (c >= 0x20 && c < 0x7F) {
            text += c;
        } else {
            return {};
        }
    }
    return text;
}

std::string HexWord(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%X", value & 0xFFFF);
    return text;
}

}  // namespace

FrameTrace::FrameTrace(std::FILE* out, const Clock& clock)
    : out_(out), clock_(clock), origin_(clock.Now()) {}

FrameTrace::~FrameTrace() { Flush(); }

void FrameTrace::Feed(Direction& d, const std::string& bytes) {
    // Bytes of one direction end what the other left open: an answer follows a request.
    Emit(&d == &tx_ ? rx_ : tx_);
    if (&d == &tx_) EmitUnlabelled();
    for (char c : bytes) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b & 0x80) {
            Emit(d);
            d.expected = FrameLength(b);
        }
        if (d.pending.empty()) d.start = clock_.Now();
        d.pending += c;
        if (d.expected == kLengthFollows && d.pending.size() == 2) {
            // A length no frame can have: the rest is shown as a burst.
            d.expected = (b < 2 || b > kLongestFrame) ? 0 : b;
        }
        const bool frameDone =
            d.expected > 0 && d.pending.size() == static_cast<std::size_t>(d.expected);
        if (frameDone || (d.expected == 0 && c == kCarriageReturn)) Emit(d);
    }
}

void FrameTrace::Emit(Direction& d) {
    if (d.pending.empty()) return;
    std::string text = Hex(d.pending);
    const bool complete =
        d.expected > 0 && d.pending.size() == static_cast<std::size_t>(d.expected);
    if (d.expected == 0) {
        if (const std::string printable = Printable(d.pending); !printable.empty()) {
            text += "  \"" + printable + "\"";
        }
    } else if (!complete) {
        text += "  (unvollständig)";
    }
    if (&d == &rx_) {
        // A complete frame is written once the receive path has said what it
        // was; whatever came after it waits behind it.
        unlabelled_.push_back({d.start, text, complete});
        WriteLabelled();
    } else {
        Line(d.start, d.tag, text);
    }
    d.pending.clear();
    d.expected = 0;
}

void FrameTrace::Label(FrameRole role) {
    for (Held& held : unlabelled_) {
        if (!held.waiting) continue;
        held.text += std::string("  (") + RoleText(role) + ")";
        held.waiting = false;
        break;
    }
    WriteLabelled();
}

void FrameTrace::WriteLabelled() {
    while (!unlabelled_.empty() && !unlabelled_.front().waiting) {
        Line(unlabelled_.front().at, rx_.tag, unlabelled_.front().text);
        unlabelled_.pop_front();
    }
}

void FrameTrace::EmitUnlabelled() {
    for (Held& held : unlabelled_) held.waiting = false;
    WriteLabelled();
}

void FrameTrace::Step(const std::string& text) {
    Flush();
    Line(clock_.Now(), "--", text);
}

void FrameTrace::Flush() {
    Emit(tx_);
    Emit(rx_);
    EmitUnlabelled();
}

void FrameTrace::Line(double at, const char* tag, const std::string& text) {
    const bool written =
        std::fprintf(out_, "%10.1f %s %s\n", (at - origin_) * 1000.0, tag, text.c_str()) >= 0 &&
        std::fflush(out_) == 0;
    if (!written && writeError_ == 0) writeError_ = errno != 0 ? errno : EIO;
}

bool TracingSerialControl::Result(const std::string& step, bool ok) {
    trace_.Step(step + (ok ? "" : ": " + inner_.ErrorText()));
    return ok;
}

void TracingSerialControl::SetCommPort(const std::string& portName) {
    trace_.Step("Schnittstelle " + portName);
    inner_.SetCommPort(portName);
}

bool TracingSerialControl::SetSettings(const std::string& settings) {
    return Result("Einstellungen " + settings, inner_.SetSettings(settings));
}

bool TracingSerialControl::SetPortOpen(bool open) {
    return Result(open ? "öffnen" : "schließen", inner_.SetPortOpen(open));
}

std::string TracingSerialControl::Input() {
    std::string bytes = inner_.Input();
    if (!bytes.empty()) trace_.Received(bytes);
    return bytes;
}

bool TracingSerialControl::Output(const std::string& bytes) {
    trace_.Sent(bytes);
    return inner_.Output(bytes) || Result("senden", false);
}

bool TracingSerialControl::SetRTSEnable(bool on) {
    return Result(on ? "RTS an" : "RTS aus", inner_.SetRTSEnable(on));
}

bool TracingSerialControl::SetBreak(bool on) {
    return Result(on ? "Break an" : "Break aus", inner_.SetBreak(on));
}

bool TracingSerialControl::SetHandshaking(int mode) {
    return Result("Handshaking " + std::to_string(mode), inner_.SetHandshaking(mode));
}

std::int16_t TracingPortIo::Inp32(std::int16_t address) {
    const std::int16_t value = inner_.Inp32(address);
    trace_.Step("UART " + HexWord(address) + " -> " + HexWord(value));
    return value;
}

void TracingPortIo::Out32(std::int16_t address, std::int16_t value) {
    trace_.Step("UART " + HexWord(address) + " <- " + HexWord(value));
    inner_.Out32(address, value);
}

}  // namespace cv2::cli
