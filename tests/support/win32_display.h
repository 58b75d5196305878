// Whether windows can be shown here: Wine outside a display (xvfb) has none,
// and the tests that need windows skip.
#pragma once

#include <windows.h>

namespace cv2 {

inline bool WindowsCanBeShown() {
    HWND probe =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (probe) DestroyWindow(probe);
    return probe != nullptr;
}

}  // namespace cv2
