// Requests from outside to end the program: Ctrl-C (SIGINT), Ctrl-\ (SIGQUIT),
// SIGTERM, and SIGHUP (the terminal closed, the connection dropped); each platform
// implements them (platform/qt: signals woken through the event loop). The first one cancels
// the run in progress, so that it ends through its own course (port closed,
// the module out of programming mode, a backup's old file whole); a second one
// ends the program at once.
#pragma once

#include <functional>

#include "platform/cancellation.h"

namespace cv2 {

// Installs the handlers. The handler sets cancel itself, so that every wait
// sees it, and wakes the event loop, which then calls onRequest (may be
// empty). A second request removes a backup's work copy, writes
// "<program>: sofort beendet." to standard error and ends with exit code 130.
void WatchEndRequests(const char* program, Cancellation& cancel, std::function<void()> onRequest);
// The cancellation goes away: requests no longer reach it.
void StopWatchingEndRequests();
// True once a request has come.
bool EndRequested();

}  // namespace cv2
