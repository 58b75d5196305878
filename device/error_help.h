// What each step, kind and detail of a status code means to a user and what
// to do about it: the user guide's list of messages is printed from these
// tables, and cv2cli gives a failure's advice from them.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "device/status.h"

namespace cv2 {

struct ErrorExplanation {
    int number;
    std::string_view meaning;
    std::string_view advice;  // may be "Wie bei „<step>“." for another step's advice
};

std::span<const ErrorExplanation> StepExplanations();
std::span<const ErrorExplanation> KindExplanations();
std::span<const ErrorExplanation> DetailExplanations();

// One line of what to do after a failure with this status: its step's advice
// (another step's where it refers to one), else its detail's; empty when
// neither has any.
std::string ErrorAdvice(StatusCode status);

}  // namespace cv2
