#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/number_format.h"
#include "platform/win32/wide_text.h"

namespace cv2 {

std::string LocaleNumber(double value) {
    // The general format with 15 significant digits and no grouping; only
    // the decimal separator is the user's (a comma on a German system).
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    std::string number = text;
    wchar_t separator[8] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) <= 1) {
        return number;
    }
    if (const std::size_t dot = number.find('.'); dot != std::string::npos) {
        number.replace(dot, 1, Utf8(separator));
    }
    return number;
}

}  // namespace cv2
