#include "platform/qt/qt_event_pump.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace cv2 {

void QtEventPump::ProcessEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtEventPump::WaitForEvents(double seconds) {
    // Started with the pass and killed at its end, so an idle program is not
    // woken by a timer left over from its last wait.
    const int timer = startTimer(SleepMilliseconds(seconds), Qt::PreciseTimer);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (timer != 0) killTimer(timer);
}

}  // namespace cv2
