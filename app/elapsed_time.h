// The elapsed-time text a backup leaves in the status line: the minutes since
// the start, rounded to two decimals, in the user's number format.
#pragma once

#include <string>

#include "app/procedure_host.h"

namespace cv2 {

// (end - start) / 60, rounded to two decimals with ties to the even digit.
double ElapsedMinutes(double start, double end);

// " Zeit: " + the minutes in the host's number format + " min".
std::string ElapsedTimeText(ProcedureHost& host, double minutes);

}  // namespace cv2
