// A record of what went over the line: every frame sent and received on one
// line each (milliseconds since the start, direction, hex bytes, and for a
// received frame what it was: echo, answer, another device's message ...),
// other bytes such as the interface's text dialogue as bursts, and the port
// set-up steps.
// Each line is flushed at once, so a run that hangs or is killed leaves its
// trace up to that moment.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>

#include "device/frame_recogniser.h"
#include "platform/clock.h"
#include "platform/port_io.h"
#include "platform/serial_control.h"

namespace cv2::cli {

class FrameTrace {
public:
    FrameTrace(std::FILE* out, const Clock& clock);
    ~FrameTrace();

    void Sent(const std::string& bytes) { Feed(tx_, bytes); }
    void Received(const std::string& bytes) { Feed(rx_, bytes); }
    // What the oldest received frame not yet written was; its line follows.
    void Label(FrameRole role);
    // A set-up step of the port; ends any burst still open.
    void Step(const std::string& text);
    // Writes what is still held back (a frame or burst not yet complete).
    void Flush();
    // The system's error of the first line that could not be written; 0 when none.
    int writeError() const { return writeError_; }

private:
    struct Direction {
        const char* tag;
        std::string pending;
        double start = 0;
        int expected = 0;  // frame length once known; 0: a burst of other bytes
    };
    void Feed(Direction& d, const std::string& bytes);
    void Emit(Direction& d);
    // Writes the received lines up to the first frame still waiting for what it was.
    void WriteLabelled();
    // Received frames still waiting for what they were, written without it.
    void EmitUnlabelled();
    void Line(double at, const char* tag, const std::string& text);

    std::FILE* out_;
    const Clock& clock_;
    double origin_;
    Direction tx_{"TX", {}, 0, 0}, rx_{"RX", {}, 0, 0};
    struct Held {
        double at;
        std::string text;
        bool waiting;  // a complete frame not yet labelled
    };
    std::deque<Held> unlabelled_;
    int writeError_ = 0;
};

// The serial control with every call that moves bytes or changes the port
// written to the trace, then passed on unchanged.
class TracingSerialControl : public SerialControl {
public:
    TracingSerialControl(SerialControl& inner, FrameTrace& trace) : inner_(inner), trace_(trace) {}

    void SetCommPort(const std::string& portName) override;
    std::string CommPort() const override { return inner_.CommPort(); }
    bool SetSettings(const std::string& settings) override;
    std::string Settings() const override { return inner_.Settings(); }
    bool PortOpen() const override { return inner_.PortOpen(); }
    bool SetPortOpen(bool open) override;
    std::string ErrorText() const override { return inner_.ErrorText(); }
    std::string Broken() const override { return inner_.Broken(); }
    void SetInputMode(int mode) override { inner_.SetInputMode(mode); }
    void SetInputLen(int length) override { inner_.SetInputLen(length); }
    int InBufferCount() const override { return inner_.InBufferCount(); }
    void ClearInBuffer() override { inner_.ClearInBuffer(); }
    void ClearOutBuffer() override { inner_.ClearOutBuffer(); }
    std::string Input() override;
    bool WaitForInput(double seconds) override { return inner_.WaitForInput(seconds); }
    bool HoldInput(double seconds) override { return inner_.HoldInput(seconds); }
    void ReleaseInput() override { inner_.ReleaseInput(); }
    bool Output(const std::string& bytes) override;
    bool CTSHolding() const override { return inner_.CTSHolding(); }
    bool SetRTSEnable(bool on) override;
    bool SetBreak(bool on) override;
    bool SetHandshaking(int mode) override;
    void SetRThreshold(int count) override { inner_.SetRThreshold(count); }
    void SetSThreshold(int count) override { inner_.SetSThreshold(count); }
    void SetOnComm(std::function<void(int)> handler) override {
        inner_.SetOnComm(std::move(handler));
    }

private:
    bool Result(const std::string& step, bool ok);
    SerialControl& inner_;
    FrameTrace& trace_;
};

// The UART register writes of the serial interface's set-up, traced.
class TracingPortIo : public PortIo {
public:
    TracingPortIo(PortIo& inner, FrameTrace& trace) : inner_(inner), trace_(trace) {}
    std::int16_t Inp32(std::int16_t address) override;
    void Out32(std::int16_t address, std::int16_t value) override;
    bool LastWriteTookEffect() const override { return inner_.LastWriteTookEffect(); }

private:
    PortIo& inner_;
    FrameTrace& trace_;
};

}  // namespace cv2::cli
