#include "platform/end_requests.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "platform/staged_file.h"

namespace cv2 {

namespace {

volatile std::sig_atomic_t requests = 0;
Cancellation* volatile target = nullptr;
char secondRequestText[96] = {};
int wakePipe[2] = {-1, -1};
std::function<void()> onRequest;
QSocketNotifier* wakeNotifier = nullptr;

void OnSignal(int) {
    if (requests) {
        StagedFile::DiscardAllNow();
#ifndef _WIN32
        [[maybe_unused]] auto n = write(2, secondRequestText, std::strlen(secondRequestText));
#endif
        std::_Exit(kExitCancelled);
    }
    requests = 1;
    if (Cancellation* cancel = target) cancel->Request();
#ifndef _WIN32
    if (wakePipe[1] >= 0) {
        [[maybe_unused]] auto n = write(wakePipe[1], "!", 1);
    }
#endif
}

}  // namespace

void WatchEndRequests(const char* program, Cancellation& cancel,
                      std::function<void()> onRequestCall) {
    std::snprintf(secondRequestText, sizeof secondRequestText, "\n%s: sofort beendet.\n", program);
    onRequest = std::move(onRequestCall);
    target = &cancel;
    if (requests) cancel.Request();
#ifdef _WIN32
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
#else
    if (wakePipe[0] < 0 && pipe(wakePipe) == 0) {
        for (int fd : wakePipe) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
    if (!wakeNotifier && wakePipe[0] >= 0) {
        wakeNotifier =
            new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(wakeNotifier, &QSocketNotifier::activated, [] {
            char buffer[16];
            while (read(wakePipe[0], buffer, sizeof buffer) > 0) {
            }
            if (onRequest) onRequest();
        });
    }
    // Without SA_RESTART, so a question waiting for input returns at once.
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    // Ctrl-\ (SIGQUIT) is a user's request to end as much as Ctrl-C is; by
    // default it would end the program at once, leaving the port's lock and
    // the work copy behind.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(signal, &sa, nullptr);
#endif
}

void StopWatchingEndRequests() {
    target = nullptr;
    onRequest = nullptr;
}

bool EndRequested() { return requests != 0; }

}  // namespace cv2
