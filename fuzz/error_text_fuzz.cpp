// ErrorText over every 32-bit status: the input is read as a code (and its
// sign flipped), and the text must be built only of the table entries for the
// code's own fields, each on its line.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "device/device.h"
#include "device/error_text.h"
#include "device/status_table.h"
#include "fuzz/fuzz_check.h"

using cv2::fuzz::Check;

namespace {

void CheckCode(cv2::StatusCode code) {
    const std::string text = cv2::ErrorText(code);
    Check(!text.empty() && text.front() == '\r' && text.size() < 256);
    // The texts of the code's own fields; negative fields have none.
    const std::string_view step = cv2::StepText(code / 10000);
    const std::string_view kind = cv2::KindText((code / 100) % 100);
    const std::string_view detail = cv2::DetailText(code % 100);
    // Every line is empty or one of those texts; a later step runs on into the
    // next text there is (the kind's, else the detail's).
    const std::string runOn = std::string(step) + std::string(kind.empty() ? detail : kind);
    std::size_t start = 1;
    while (start < text.size()) {
        std::size_t end = text.find('\r', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line(text.data() + start, end - start);
        Check(line.empty() || line == step || line == kind || line == detail || line == runOn);
        start = end + 1;
    }
    // A code whose fields all have texts names each of them.
    if (!step.empty() && !kind.empty() && !detail.empty()) {
        Check(text.find(step) != std::string::npos && text.find(kind) != std::string::npos &&
              text.find(detail) != std::string::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, data, size < sizeof bits ? size : sizeof bits);
    const auto code = static_cast<cv2::StatusCode>(bits);
    CheckCode(code);
    CheckCode(static_cast<cv2::StatusCode>(bits ^ 0x80000000u));
    static bool edges = false;
    if (!edges) {
        edges = true;
        for (cv2::StatusCode c : {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1, INT32_MAX}) {
            CheckCode(c);
        }
    }
    return 0;
}
