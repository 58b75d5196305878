// The German message for a status code: the step, kind and detail fields of
// the code each spelled out from a fixed table.
#include "device/error_text.h"

#include <string>
#include <string_view>

#include "device/device.h"
#include "device/error_table.h"
#include "device/steps.h"

namespace cv2 {

namespace {

constexpr char kCR = '\r';

constexpr ErrorField kKinds[] = {
    {10, " LocoNet Message gesendet:"}, {11, " SAM Flash schreiben:"},  {12, " SAM Flash lesen:"},
    {13, " Datenflash lesen:"},         {14, " Datenflash schreiben:"}, {16, " Daten senden:"},
};

constexpr ErrorField kDetails[] = {
    {11, " keine Antwort!"},
    {12, " Senden nicht möglich!"},
    {13, " Timeout: kein Antwort auf LocoNet! "},
    {14, " zu viele Antworten verloren!"},
    {31, " Modul antwortet nicht!"},
    {32, " Programmierung fehlgeschlagen!"},
    {99, " keine gültige Version!"},
};

// A number without an entry has no text.
std::string_view Lookup(std::span<const ErrorField> table, int number) {
    for (const ErrorField& f : table) {
        if (f.number == number) return f.text;
    }
    return {};
}

// Steps 0..2 end their line; the later steps run on into the kind text.
constexpr int kLastStepWithOwnLine = 2;
constexpr int kFirstStepRunningOn = 10;

}  // namespace

std::span<const ErrorField> ErrorSteps() { return kStepTable; }
std::span<const ErrorField> ErrorKinds() { return kKinds; }
std::span<const ErrorField> ErrorDetails() { return kDetails; }
std::string_view ErrorStepText(int step) { return Lookup(kStepTable, step); }

std::string ErrorText(StatusCode code) {
    // Truncating division: a negative code gives negative fields, which have no text.
    const int step = code / 10000;
    const int kind = (code / 100) % 100;
    const int detail = code % 100;

    std::string text(1, kCR);
    if (step >= 0 && step <= kLastStepWithOwnLine) {
        // Step 0 has no text: its line is empty.
        text += Lookup(kStepTable, step);
        text += kCR;
    } else if (step >= kFirstStepRunningOn) {
        text += Lookup(kStepTable, step);
    }
    if (const auto k = Lookup(kKinds, kind); !k.empty()) {
        text += k;
        text += kCR;
    }
    if (const auto d = Lookup(kDetails, detail); !d.empty()) {
        text += d;
        text += kCR;
    }
    return text;
}

}  // namespace cv2
