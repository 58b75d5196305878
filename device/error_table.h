// The three tables ErrorText spells a status code from: the step that failed,
// the kind of transfer under way and what went wrong. The user guide's list of
// messages is printed from the same tables.
#pragma once

#include <span>
#include <string_view>

namespace cv2 {

struct ErrorField {
    int number;
    std::string_view text;
};

std::span<const ErrorField> ErrorSteps();
std::span<const ErrorField> ErrorKinds();
std::span<const ErrorField> ErrorDetails();
// The text of one step ("Read LongData:"); empty for a number without one.
std::string_view ErrorStepText(int step);

}  // namespace cv2
