#include "device/error_help.h"

#include "device/status_table.h"

namespace cv2 {

namespace {

const StepMessage* StepRow(int step) {
    for (const StepMessage& m : StepMessages()) {
        if (static_cast<int>(m.step) == step) return &m;
    }
    return nullptr;
}

// A step's advice, or the one of the step it refers to.
std::string_view AdviceOfStep(int step) {
    const StepMessage* m = StepRow(step);
    if (!m) return {};
    if (m->sameAdviceAs != Step::None) return AdviceOfStep(static_cast<int>(m->sameAdviceAs));
    return m->advice;
}

// The step's advice where it depends on the detail; empty otherwise.
std::string_view AdviceForDetail(int step, int detail) {
    for (int wanted : {detail, static_cast<int>(Detail::None)}) {
        for (const StepDetailAdvice& a : StepDetailAdvices()) {
            if (static_cast<int>(a.step) != step || static_cast<int>(a.detail) != wanted) continue;
            return a.sameAdviceAs != Step::None ? AdviceOfStep(static_cast<int>(a.sameAdviceAs))
                                                : a.advice;
        }
    }
    return {};
}

}  // namespace

std::string ErrorAdvice(StatusCode status) {
    std::string_view advice = AdviceForDetail(StepOf(status), DetailOf(status));
    if (advice.empty()) advice = AdviceOfStep(StepOf(status));
    if (advice.empty()) {
        for (const DetailMessage& m : DetailMessages()) {
            if (static_cast<int>(m.detail) == DetailOf(status)) advice = m.advice;
        }
    }
    return std::string(advice);
}

}  // namespace cv2
