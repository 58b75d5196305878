// How fast the bytes of a frame come in, learned from the frames themselves,
// and how long a sleeping wait may leave the port unwatched while the rest of
// a frame is on its way: woken for every byte of a frame that trickles in at
// its line rate, a wait spends more on waking than on the frame.
#pragma once

#include <array>
#include <cstdint>

#include "link/receive_assembler.h"

namespace cv2 {

class FramePacing {
public:
    // Forgets the pace and the frame lengths (a new line, perhaps another rate).
    void Reset();

    // A burst of characters taken from the port at `now`. onArrival: the port
    // woke for them as they came (nothing held them back), so the newest of
    // them arrived about now.
    void BeginBurst(double now, bool onArrival);
    // After the assembler's per-byte step on b; completed: b completed a frame
    // of `length` bytes.
    void Byte(std::uint8_t b, bool completed, std::int16_t length);
    // After the burst: how many seconds the port may keep a sleeping wait from
    // waking for the rest of the frame in progress; 0: wake as bytes arrive.
    double EndBurst(const ReceiveAssembler& rx);

    // Seconds per byte of a frame; 0 while unknown.
    double pace() const { return pace_; }

private:
    // How the frame in progress is waited for.
    enum class Plan {
        Listen,  // wake for every arrival: learns the pace exactly
        Hold,    // sleep until just after its last byte is due
        Probe,   // sleep until shortly before its last bytes, then listen: checks the pace
    };
    struct Sample {
        bool valid = false;
        double seconds = 0;
        int bytes = 0;
    };

    void Learn(const Sample& s, Plan plan);
    void FirstSight(const ReceiveAssembler& rx);
    // The frame's total length: known, or for a variable-length frame whose
    // length byte is still due, the length its opcode had last time (0: none).
    int ExpectedLength(const ReceiveAssembler& rx) const;

    double now_ = 0;
    bool onArrival_ = false;

    // The frame in progress as first seen: when, with how many bytes in.
    bool tracking_ = false;
    bool exact_ = false;  // first seen on arrival
    double firstSeen_ = 0;
    int bytesSeen_ = 0;
    std::uint8_t opcode_ = 0;
    Plan plan_ = Plan::Listen;

    // A frame completed in this burst by its newest byte.
    Sample completion_;
    Plan completedPlan_ = Plan::Listen;
    bool completedUnmeasured_ = false;

    // Pace as a weighted sum of measured frames.
    double sumSeconds_ = 0, sumBytes_ = 0, pace_ = 0;
    // When the last hold asked for ends (0: none), and how late the wait wakes
    // after such an end, on average.
    double holdEnd_ = 0;
    double wakeLatency_ = 0;
    int framesSinceProbe_ = 0, probeGap_ = 0, failedProbes_ = 0, slowerFrames_ = 0;
    bool listenNext_ = false;

    // Last total length of each variable-length opcode 0xE0..0xFF; 0: not seen.
    std::array<std::int16_t, 32> lengths_{};
};

}  // namespace cv2
