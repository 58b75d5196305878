// A number as the user's locale writes it, in its general format (no fixed
// decimals, no grouping; a German system writes a decimal comma): the
// elapsed minutes of a run in the window and on the command line.
#pragma once

#include <string>

namespace cv2 {

// Each platform implements it (platform/qt: the system locale Qt reads).
std::string LocaleNumber(double value);

}  // namespace cv2
