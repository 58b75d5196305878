#include "platform/platform_stack.h"

#include <QCoreApplication>

#include "platform/qt/qt_clock.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_serial_control.h"
#include "platform/qt/qt_tcp_socket.h"
#include "platform/uart_port_io.h"

namespace cv2 {

namespace {

// The event loop of a program without windows. Qt's own loop rather than
// GLib's: while the port holds back the rest of a frame its notifier is off,
// and GLib wakes its loop once more each time a watched descriptor comes or
// goes, twice a frame.
std::unique_ptr<QCoreApplication> EventLoopIfNone() {
    if (QCoreApplication::instance()) return nullptr;
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
    static int argc = 1;
    static char name[] = "cv2";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QCoreApplication>(argc, argv);
}

// The parts, built before the stack that hands them out.
struct QtParts {
    // First: the notifiers and timers below belong to its loop.
    std::unique_ptr<QCoreApplication> app = EventLoopIfNone();
    QtClock qtClock;
    QtEventPump qtPump;
    QtSerialControl qtComm1;
    UartPortIo uartIo{qtComm1.DivisorRateSink()};
    QtTcpSocket qtSocket;
};

class QtPlatformStack final : private QtParts, public PlatformStack {
public:
    QtPlatformStack() : PlatformStack(qtClock, qtPump, qtComm1, uartIo, &qtSocket) {}
};

}  // namespace

std::unique_ptr<PlatformStack> MakePlatformStack() { return std::make_unique<QtPlatformStack>(); }

}  // namespace cv2
