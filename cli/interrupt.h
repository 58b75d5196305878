// Ending a run from outside: the first Ctrl-C (SIGINT) or SIGTERM makes every
// wait of the run see its time limit passed, so the procedure ends through
// its failure path (file closed, port closed); a second one ends the program
// at once.
#pragma once

#include "platform/clock.h"

namespace cv2::cli {

void InstallInterruptHandlers();
bool Interrupted();
// A descriptor that becomes readable when the run is interrupted, so a wait
// sleeping in the event loop wakes at once rather than at its time limit;
// -1 where there is none. Read it empty with DrainInterruptWake().
int InterruptWakeFd();
void DrainInterruptWake();

// The real clock until the run is interrupted; from then on every reading lies
// further ahead than any wait is long, so a wait in progress ends, and so does
// every wait begun later: a pause that ends early fails nothing by itself, and
// the run must not go on at full length after it.
class InterruptibleClock : public Clock {
public:
    explicit InterruptibleClock(const Clock& real) : real_(real) {}
    double Now() const override;

private:
    const Clock& real_;
    mutable double jumped_ = 0.0;
};

}  // namespace cv2::cli
