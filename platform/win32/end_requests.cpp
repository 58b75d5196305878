#include "platform/end_requests.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/staged_file.h"
#include "platform/win32/end_request_wake.h"

namespace cv2 {

namespace {

// A console window being closed, the user logging off or the system shutting
// down end the process once the handler returns (after five seconds at the
// latest): the handler waits that long for the run to end through its course.
constexpr DWORD kCloseGraceMs = 4500;

volatile LONG requests = 0;
Cancellation* volatile target = nullptr;
char secondRequestText[96] = {};
HANDLE wakeEvent = nullptr;
std::function<void()> onRequest;

BOOL WINAPI OnConsoleControl(DWORD kind) {
    if (InterlockedExchange(&requests, 1) != 0) {
        StagedFile::DiscardAllNow();
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), secondRequestText,
                  static_cast<DWORD>(std::strlen(secondRequestText)), &written, nullptr);
        std::_Exit(kExitCancelled);
    }
    if (Cancellation* cancel = target) cancel->Request();
    if (wakeEvent) SetEvent(wakeEvent);
    if (kind == CTRL_CLOSE_EVENT || kind == CTRL_LOGOFF_EVENT || kind == CTRL_SHUTDOWN_EVENT) {
        Sleep(kCloseGraceMs);
    }
    return TRUE;  // handled: the program ends through its own course
}

}  // namespace

HANDLE EndRequestWakeEvent() { return wakeEvent; }

void HandEndRequestOver() {
    ResetEvent(wakeEvent);
    if (onRequest) onRequest();
}

void WatchEndRequests(const char* program, Cancellation& cancel,
                      std::function<void()> onRequestCall) {
    std::snprintf(secondRequestText, sizeof secondRequestText, "\r\n%s: sofort beendet.\r\n",
                  program);
    onRequest = std::move(onRequestCall);
    target = &cancel;
    if (requests) cancel.Request();
    if (!wakeEvent) {
        // Manual reset: the wait that wakes on it leaves it set for the pass
        // that hands the request over.
        wakeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    }
}

void StopWatchingEndRequests() {
    target = nullptr;
    onRequest = nullptr;
}

bool EndRequested() { return requests != 0; }

}  // namespace cv2
