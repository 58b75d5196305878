// The serial link: opening the port for the chosen interface kind, the waiting
// helpers, sending frames with their checksum, and the receive event handler.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "link/frame_pacing.h"
#include "link/link_config.h"
#include "link/receive_assembler.h"
#include "link/wait_events.h"
#include "platform/cancellation.h"
#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/port_io.h"
#include "platform/serial_control.h"

namespace cv2 {

// Why the link could not be set up.
enum class LinkFailure {
    None,
    PortName,        // the name cannot name a port (a control character in it)
    PortRestricted,  // the serial interface works on COM1 or COM2 only
    Port,            // the port could not be opened or refused a setting
    UnitSilent,      // the Tandemo/Centrova unit did not answer its dialogue
    Broken,          // an open connection broke (over TCP: the server ended it or refused)
};

class Link {
public:
    // Registers Comm1_OnComm as the serial control's receive event handler.
    Link(SerialControl& comm, PortIo& io, Clock& clock, EventPump& events);
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Opens and configures the port for the interface kind. 0: ready; 1: not,
    // failure() says how and failureText() why, in German.
    std::int16_t OpenLink(const LinkConfig& config);
    // Takes over a port that is already open and set up for this configuration.
    void Adopt(const LinkConfig& config) {
        config_ = config;
        ResetPacing();
    }
    LinkFailure failure() const { return failure_; }
    // True once the open connection has broken; failureText() then says why.
    bool broken();
    const std::string& failureText() const { return failureText_; }
    // Waits more than the given seconds while processing events; a cancelled
    // run does not wait.
    void Pause(double seconds);

    // How a wait ended.
    enum class WaitEnd { Ready, TimedOut, Cancelled };
    // Waits, processing events, until ready() holds, more than limit seconds
    // have passed since the wait began (stored in start), or the run is
    // cancelled; a wait that must run its course (the module's programming
    // off after a cancel) passes cancellable = false. ready() is asked first:
    // what has come counts, also at the limit.
    template <typename Ready>
    WaitEnd WaitFor(double& start, double limit, Ready ready, bool cancellable = true) {
        start = clock_.Now();
        for (;;) {
            if (ready()) return WaitEnd::Ready;
            // On a broken connection nothing more can come.
            if (broken()) return WaitEnd::TimedOut;
            if (cancellable && cancel_.requested()) return WaitEnd::Cancelled;
            if (clock_.Now() - start > limit) return WaitEnd::TimedOut;
            waits_.WaitPass(clock_, start, limit);
        }
    }
    // Waits, processing events, until no byte has arrived for `quiet` seconds,
    // at most `limit` seconds, or the run is cancelled: what a request
    // answered late may still send comes and goes before the next request.
    void Drain(double quiet, double limit);
    // Sends the text character by character under CTS; 0 sent, 1 time-out.
    std::int16_t SendText(const std::string& text);
    // Sends frame[0..n] and the checksum; true when it was handed to the port.
    bool SendFrame(std::span<const std::int16_t> frame, std::int16_t n);
    // The serial control's receive event.
    void Comm1_OnComm(int commEvent);
    // Closes the port if it is open.
    void ClosePort();

    ReceiveAssembler& rx() { return rx_; }
    Clock& clock() { return clock_; }
    // The event processing for every wait on the link (see WaitEvents).
    EventPump& events() { return waits_; }
    SerialControl& comm() { return comm_; }
    // Set from outside (a signal handler may) to end the run in progress.
    Cancellation& cancellation() { return cancel_; }

private:
    std::int16_t OpenTandemoPort();
    std::int16_t OpenSerialInterface();
    std::int16_t OpenUsbInterface();
    // LocoNet over TCP: the port text names the server; rate and kind do not apply.
    std::int16_t OpenTcp();
    // Waits for a text containing "]" without processing events; true when it came.
    bool AwaitPrompt();
    // Keeps why the port could not be set up; returns the set-up's failure status.
    std::int16_t PortFailure(const std::string& what);
    std::int16_t Failed(LinkFailure failure, std::string text);
    // The Tandemo/Centrova unit did not take a command text or did not prompt.
    std::int16_t UnitSilent();
    std::string PortName() const;
    // One pass of a sending loop: events only, or, while CTS is low, a short
    // sleep (CTS raises no event) that ends no later than the loop's limit.
    void SendingPass(bool ctsWasLow, double start, double limit);

    // A new line: nothing held, the pace learned afresh.
    void ResetPacing();

    SerialControl& comm_;
    PortIo& io_;
    Clock& clock_;
    WaitEvents waits_;
    LinkConfig config_;
    ReceiveAssembler rx_;
    FramePacing pacing_;
    bool inBurst_ = false;    // a burst taken one character per receive event goes on
    bool holding_ = false;    // the port holds input; its next receive event ends the hold
    double lastArrival_ = 0;  // when the receive event last took bytes
    Cancellation cancel_;
    std::string failureText_;
    LinkFailure failure_ = LinkFailure::None;
};

}  // namespace cv2
