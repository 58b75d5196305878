// What every fuzz target uses: a check that stops the run at once, so the
// fuzzer keeps the input that broke a property.
#pragma once

#include <cstdlib>

namespace cv2::fuzz {

inline void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace cv2::fuzz
