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
class Win32PlatformStack final : public PlatformStack {
public:
    Clock& clock() override { return clock_; }
    EventPump& events() override { return pump_; }
    SerialControl& comm1() override { return comm1_; }
    PortIo& io() override { return io_; }
    TcpSocket* socket() override { return &socket_; }

private:
    Win32Clock clock_;
    Win32SerialControl comm1_;
    Win32TcpSocket socket_;
    Win32EventPump pump_{comm1_, &socket_};
    UartPortIo io_{comm1_.DivisorRateSink()};
};

}  // namespace

std::unique_ptr<PlatformStack> MakePlatformStack() {
    return std::make_unique<Win32PlatformStack>();
}

}  // namespace cv2
