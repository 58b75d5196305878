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
    virtual Clock& clock() = 0;
    virtual EventPump& events() = 0;
    virtual SerialControl& comm1() = 0;
    virtual PortIo& io() = 0;
    // The connection for LocoNet over TCP; nothing where the platform has none.
    virtual TcpSocket* socket() { return nullptr; }
};

// The system's own stack. A program without windows gets its event loop with
// it; a window program has started one before and keeps it.
std::unique_ptr<PlatformStack> MakePlatformStack();

}  // namespace cv2
