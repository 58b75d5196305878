#include "app/elapsed_time.h"

#include <cfenv>
#include <cmath>

namespace cv2 {

double ElapsedMinutes(double start, double end) {
    const double minutes = (end - start) / 60.0;
    // nearbyint rounds half to even under the default rounding mode; make sure
    // that is the mode in force.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double hundredths = std::nearbyint(minutes * 100.0);
    std::fesetround(previous);
    return hundredths / 100.0;
}

std::string ElapsedTimeText(ProcedureHost& host, double minutes) {
    return " Zeit: " + host.FormatNumber(minutes) + " min";
}

}  // namespace cv2
