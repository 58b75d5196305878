#include "link/frame_pacing.h"

#include <algorithm>
#include <cmath>

namespace cv2 {

namespace {

// A hold ends this many byte times after the frame's last byte is due, so a
// byte that comes a little late does not cost a wake of its own.
constexpr double kSlackBytes = 0.25;
// A probe's hold ends this many byte times before the last byte is due; the
// wait then wakes for the last bytes as they come and so measures the frame.
// Each probe in a row that finds its frame complete already ends twice as early.
constexpr double kProbeEarlyBytes = 2.0;
// After this many such probes the next frame is listened to from its start.
constexpr int kFailedProbesBeforeListening = 3;
// Frames in a row that say the pace is slower before it is taken as slower.
constexpr int kSlowerFramesToLearn = 3;
// A frame measured over fewer bytes says too little about the pace.
constexpr int kMinMeasuredBytes = 6;
// A probe needs a frame with this many bytes still to come: on a shorter one
// the hold it shortens saves little.
constexpr int kProbeMinBytes = 8;
// Weight of what was learned before against a new measurement.
constexpr double kKeep = 0.75;
// A measurement this far off the pace means another rate: learning starts afresh.
constexpr double kNewRate = 0.25;
// A measurement this close to the pace finds it steady: the next probe may wait longer.
constexpr double kSteady = 0.03;
// Frames between probes: few while the pace is new, more while it holds.
constexpr int kFirstProbeGap = 4;
constexpr int kLongestProbeGap = 128;
// Slower than 1,000 bit/s is no line rate but a pause inside the frame.
constexpr double kSlowestPace = 0.01;

}  // namespace

void FramePacing::Reset() { *this = FramePacing{}; }

void FramePacing::BeginBurst(double now, bool onArrival) {
    // How late the wait wakes after the hold's end is due is about how late it
    // wakes after a byte arrives: the first sight of a frame is that late too.
    if (!onArrival && holdEnd_ > 0 && now >= holdEnd_) {
        const double late = now - holdEnd_;
        wakeLatency_ = wakeLatency_ > 0 ? wakeLatency_ * kKeep + late * (1 - kKeep) : late;
    }
    holdEnd_ = 0;
    now_ = now;
    onArrival_ = onArrival;
    completion_ = {};
    completedUnmeasured_ = false;
}

void FramePacing::Byte(std::uint8_t b, bool completed, std::int16_t length) {
    // A byte after the completing one arrived later: when the frame was
    // complete is then not known.
    completion_.valid = false;
    if (b & 0x80) {
        tracking_ = false;  // a frame still in progress is abandoned
        opcode_ = b;
    }
    if (!completed) return;
    if (opcode_ >= 0xE0) lengths_[opcode_ & 0x1F] = length;
    if (!tracking_) return;
    tracking_ = false;
    completion_ = {exact_ && onArrival_, now_ - firstSeen_, length - bytesSeen_};
    completedPlan_ = plan_;
    completedUnmeasured_ = true;
}

double FramePacing::EndBurst(const ReceiveAssembler& rx) {
    if (completedUnmeasured_) {
        Learn(completion_, completedPlan_);
        completedUnmeasured_ = false;
    }
    if (!rx.RxInFrame) {
        tracking_ = false;
        return 0;
    }
    if (!tracking_) FirstSight(rx);
    if (plan_ == Plan::Listen) return 0;
    const int total = ExpectedLength(rx);
    // The last byte wakes the wait as early as a timer could.
    if (total - rx.RxPos < 2) return 0;
    const double margin =
        plan_ == Plan::Probe ? -std::ldexp(kProbeEarlyBytes, failedProbes_) : kSlackBytes;
    // The newest byte of the first sight arrived about a wake's latency before it.
    const double arrived = firstSeen_ - std::min(wakeLatency_, pace_);
    const double due = arrived + (total - bytesSeen_ + margin) * pace_;
    const double hold = due - now_;
    // Shorter than a byte time saves nothing over waking for the byte.
    if (!(hold > pace_)) return 0.0;
    holdEnd_ = due;
    return hold;
}

void FramePacing::FirstSight(const ReceiveAssembler& rx) {
    tracking_ = true;
    exact_ = onArrival_;
    firstSeen_ = now_;
    bytesSeen_ = rx.RxPos;
    if (pace_ <= 0 || listenNext_) {
        plan_ = Plan::Listen;
    } else if (!exact_) {
        // Its first bytes came while a hold ran past the last frame's end: the
        // pace may be too slow, so the next frame checks it.
        plan_ = Plan::Hold;
        framesSinceProbe_ = probeGap_;
    } else {
        const bool probeDue = framesSinceProbe_ >= probeGap_;
        plan_ =
            probeDue && ExpectedLength(rx) - rx.RxPos >= kProbeMinBytes ? Plan::Probe : Plan::Hold;
    }
}

int FramePacing::ExpectedLength(const ReceiveAssembler& rx) const {
    // 0 for an opcode not seen yet: the wait then wakes for the length byte.
    return rx.RxExpected != kLengthFollows ? rx.RxExpected : lengths_[opcode_ & 0x1F];
}

void FramePacing::Learn(const Sample& s, Plan plan) {
    if (!(s.valid && s.bytes >= kMinMeasuredBytes && s.seconds > 0)) {
        // A frame complete when its hold ended tells nothing, but that the pace
        // holds. A probe that found its frame complete already (the pace too
        // slow, or the frame's first bytes late) is tried again earlier on the
        // next frame, and after a few the next frame is listened to; so is the
        // frame after a listened one that could not be measured.
        if (plan == Plan::Hold) {
            if (!s.valid) slowerFrames_ = 0;
            ++framesSinceProbe_;
        } else if (plan == Plan::Listen || ++failedProbes_ >= kFailedProbesBeforeListening) {
            listenNext_ = true;
        }
        return;
    }
    const double sample = s.seconds / s.bytes;
    if (sample > kSlowestPace) return;
    const double before = pace_;
    const auto near = [](double a, double b) { return std::abs(a - b) <= kNewRate * b; };
    // A frame whose last bytes came after its hold was measured only because
    // it was late, and one much slower than the pace more likely had a sender
    // pause inside it than a slower line: only such frames again and again move
    // the pace. Too slow a pace would delay every frame; too fast a one costs
    // a wake now and then.
    const bool slower =
        plan == Plan::Hold || (before > 0 && sample > before && !near(sample, before));
    if (slower && ++slowerFrames_ < kSlowerFramesToLearn) {
        ++framesSinceProbe_;
        return;
    }
    if (before == 0 || !near(sample, before)) {
        sumSeconds_ = s.seconds;
        sumBytes_ = s.bytes;
    } else {
        sumSeconds_ = sumSeconds_ * kKeep + s.seconds;
        sumBytes_ = sumBytes_ * kKeep + s.bytes;
    }
    pace_ = sumSeconds_ / sumBytes_;
    listenNext_ = false;
    failedProbes_ = 0;
    slowerFrames_ = 0;
    framesSinceProbe_ = 0;
    const bool steady = before > 0 && std::abs(sample - before) <= kSteady * before;
    probeGap_ = steady ? std::min(2 * probeGap_, kLongestProbeGap) : kFirstProbeGap;
}

}  // namespace cv2
