// Every message a status code can spell, one row each: the step that failed,
// the kind of transfer and what went wrong, each with its text (as the failure
// box shows it), what it means and what to do. ErrorText, cv2cli's advice and
// the user guide's list of messages all read these rows.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "device/status.h"

namespace cv2 {

struct StepMessage {
    Step step;
    std::string_view text;
    std::string_view meaning;
    // Its own advice, or none when it takes another step's (sameAdviceAs),
    // with adviceTail after it.
    std::string_view advice;
    Step sameAdviceAs = Step::None;
    std::string_view adviceTail = {};
};

struct KindMessage {
    Kind kind;
    std::string_view text;
    std::string_view meaning;
};

struct DetailMessage {
    Detail detail;
    std::string_view text;
    std::string_view meaning;
    std::string_view advice;
};

// A step whose advice depends on what went wrong: for this detail (Detail::None:
// for every other one) this advice, or another step's, in place of the step's
// own, which the guide shows and which names the cases together.
struct StepDetailAdvice {
    Step step;
    Detail detail;
    std::string_view advice;
    Step sameAdviceAs = Step::None;
};

std::span<const StepMessage> StepMessages();
std::span<const KindMessage> KindMessages();
std::span<const DetailMessage> DetailMessages();
std::span<const StepDetailAdvice> StepDetailAdvices();

// The text of a code's part by its number; empty for a number without one.
std::string_view StepText(int step);
std::string_view KindText(int kind);
std::string_view DetailText(int detail);

// A step's advice as the guide writes it: its own, or "Wie bei „<other step>“"
// and the tail.
std::string AdviceAsWritten(const StepMessage& message);

}  // namespace cv2
