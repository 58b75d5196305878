// The system under a program, put together in one place: the monotonic clock,
// the event processing every wait runs on, the serial port and the UART
// register access beside it, and the TCP connection to a LocoNet server. The window program and
// cv2cli both take theirs from MakePlatformStack; the tests build the fakes instead.
#pragma once

#include <memory>

#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/port_io.h"
#include "platform/serial_control.h"
#include "platform/tcp_socket.h"

namespace cv2 {

class PlatformStack {
public:
    virtual ~PlatformStack() = default;
    PlatformStack(const PlatformStack&) = delete;
    PlatformStack& operator=(const PlatformStack&) = delete;

    Clock& clock() { return clock_; }
    EventPump& events() { return events_; }
    SerialControl& comm1() { return comm1_; }
    PortIo& io() { return io_; }
    // The connection for LocoNet over TCP.
    TcpSocket* socket() { return socket_; }

protected:
    // Each system's stack builds its parts before this and hands them over.
    PlatformStack(Clock& clock, EventPump& events, SerialControl& comm1, PortIo& io,
                  TcpSocket* socket)
        : clock_(clock), events_(events), comm1_(comm1), io_(io), socket_(socket) {}

private:
    Clock& clock_;
    EventPump& events_;
    SerialControl& comm1_;
    PortIo& io_;
    TcpSocket* socket_;
};

// The system's own stack. A program without windows gets its event loop with
// it; a window program has started one before and keeps it.
std::unique_ptr<PlatformStack> MakePlatformStack();

}  // namespace cv2
