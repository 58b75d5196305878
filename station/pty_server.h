// Serves a station on a pseudo-terminal: the program opens the slave side like
// any serial port; bytes written there reach the station, and its answers are
// written back when the wire model says they are due, on the real clock.
#pragma once

#include <csignal>
#include <deque>
#include <string>

#include "station/command_station.h"
#include "station/request_marks.h"
#include "station/station_wire.h"

namespace cv2::station {

class PtyServer {
public:
    PtyServer(CommandStation& station, Speed speed) : station_(station), wire_(station, speed) {}
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the pseudo-terminal in raw mode; false with the reason in error.
    bool Open(std::string& error);
    const std::string& slavePath() const { return slavePath_; }
    // Prints the request count on stdout each time that many more requests came
    // (0: never), so that a benchmark can time a stretch of a run.
    void MarkEvery(int requests) { marks_.Every(requests); }

    // Serves until stop becomes non-zero. waitMask is the signal mask while
    // waiting (the stop signals unblocked), so a signal ends the wait at once.
    // Returns 0, or 1 after an I/O failure (reason in error).
    int Run(const volatile std::sig_atomic_t& stop, const sigset_t* waitMask, std::string& error);

private:
    double Now() const;
    double PcByteTime() const;

    CommandStation& station_;
    StationWire wire_;
    int master_ = -1;
    int slave_ = -1;  // held open so the line survives the program closing its side
    std::string slavePath_;
    std::deque<Delivery> due_;
    std::string sending_;  // part of a delivery the line did not take yet
    RequestMarks marks_;
};

}  // namespace cv2::station
