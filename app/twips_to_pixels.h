// Window layouts are designed in twips (1/1440 inch); a toolkit draws them in
// pixels at the screen's resolution in dots per inch.
#pragma once

#include <cmath>

namespace cv2 {

constexpr double kTwipsPerInch = 1440.0;

inline int TwipsToPixels(double twips, int dpi) {
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

}  // namespace cv2
