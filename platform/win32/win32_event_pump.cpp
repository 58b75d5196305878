#include "platform/win32/win32_event_pump.h"

#include "platform/win32/end_request_wake.h"

namespace cv2 {

bool Win32EventPump::Dispatch() {
    bool any = false;
    if (HANDLE wake = EndRequestWakeEvent();
        wake && WaitForSingleObject(wake, 0) == WAIT_OBJECT_0) {
        HandEndRequestOver();
        any = true;
    }
    any = port_.DeliverInput() || any;
    if (socket_) any = socket_->Deliver() || any;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Left for the program's own message loop to end on.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        any = true;
    }
    return any;
}

void Win32EventPump::WaitForEvents(double seconds) {
    if (Dispatch()) return;
    HANDLE handles[3];
    DWORD count = 0;
    if (HANDLE port = port_.WakeEvent()) handles[count++] = port;
    if (HANDLE connection = socket_ ? socket_->WakeEvent() : nullptr) handles[count++] = connection;
    if (HANDLE wake = EndRequestWakeEvent()) handles[count++] = wake;
    MsgWaitForMultipleObjectsEx(count, handles, static_cast<DWORD>(SleepMilliseconds(seconds)),
                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    Dispatch();
}

}  // namespace cv2
