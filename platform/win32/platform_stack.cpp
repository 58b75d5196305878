#include "platform/platform_stack.h"

#include "platform/uart_port_io.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_serial_control.h"
#include "platform/win32/win32_tcp_socket.h"

namespace cv2 {

namespace {

// No program reaches a UART's registers on Windows. The register writes of
// the serial interface's 16666 bit/s set-up are emulated, and the rate the
// divisor gives (115200/7 = 16457 bit/s) goes into the open port's DCB, where
// its driver picks the divisor itself (7 on a 16550 UART, as for 16666).
// LastWriteTookEffect is false when the port refuses that DCB.
struct Win32Parts {
    Win32Clock winClock;
    Win32SerialControl winComm1;
    Win32TcpSocket winSocket;
    Win32EventPump winPump{winComm1, &winSocket};
    UartPortIo uartIo{winComm1.DivisorRateSink()};
};

// The parts are built before the stack that hands them out.
class Win32PlatformStack final : private Win32Parts, public PlatformStack {
public:
    Win32PlatformStack() : PlatformStack(winClock, winPump, winComm1, uartIo, &winSocket) {}
};

}  // namespace

std::unique_ptr<PlatformStack> MakePlatformStack() {
    return std::make_unique<Win32PlatformStack>();
}

}  // namespace cv2
