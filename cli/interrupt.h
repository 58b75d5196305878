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

// The real clock, moved far ahead once the run is interrupted.
class InterruptibleClock : public Clock {
public:
    explicit InterruptibleClock(const Clock& real) : real_(real) {}
    double Now() const override;

private:
    const Clock& real_;
};

}  // namespace cv2::cli
