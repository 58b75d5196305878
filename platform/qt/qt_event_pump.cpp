#include "platform/qt/qt_event_pump.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace cv2 {

QtEventPump::QtEventPump(int tickMs) {
    tick_.setInterval(tickMs);
    tick_.setTimerType(Qt::PreciseTimer);
    // The timer only has to wake the loop; it does nothing itself.
    QObject::connect(&tick_, &QTimer::timeout, [] {});
}

void QtEventPump::ProcessEvents() {
    if (!tick_.isActive()) tick_.start();
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace cv2
