// The event processing on Windows: a pass delivers the port's received
// characters, what the TCP connection signalled and the thread's window
// messages; a wait sleeps in one MsgWaitForMultipleObjects on the port's read,
// the connection's event, the end-request event and the message queue, so
// nothing polls and no timer runs while nothing waits.
#pragma once

#include "platform/event_pump.h"
#include "platform/win32/win32_serial_control.h"
#include "platform/win32/win32_tcp_socket.h"

namespace cv2 {

class Win32EventPump : public EventPump {
public:
    Win32EventPump(Win32SerialControl& port, Win32TcpSocket* socket = nullptr)
        : port_(port), socket_(socket) {}
    void ProcessEvents() override { Dispatch(); }
    void WaitForEvents(double seconds) override;

private:
    // True when anything was delivered.
    bool Dispatch();
    Win32SerialControl& port_;
    Win32TcpSocket* socket_;
};

}  // namespace cv2
