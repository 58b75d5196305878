// The German message for a status code: the step, kind and detail fields of
// the code each spelled out from a fixed table.
#include <string>
#include <string_view>

#include "device/device.h"

namespace cv2 {

namespace {

constexpr char kCR = '\r';

std::string_view StepText(int step) {
    switch (step) {
        case 1:
            return "Datenbank ID lesen : ";
        case 2:
            return "lange Datensätze lesen : ";
        case 10:
            return "Seriennummer lesen:";
        case 11:
            return "Bootloader starten:";
        case 12:
            return "Bootloader beenden:";
        case 13:
            return "Datenbank Version CVII:";
        case 14:
            return "Datenbank Version im Backup File:";
        case 15:
            return "Display löschen:";
        case 16:
            return "Displaycurser setzen:";
        case 17:
            return "Displaytext schreiben:";
        case 21:
            return "Read LongData:";
        case 22:
            return "Write LongData:";
        case 23:
            return "Read ShortData:";
        case 24:
            return "Write ShortData:";
        case 25:
            return "Read Page:";
        case 26:
            return "Write Page:";
        case 27:
            return "Read ID Tab.:";
        case 28:
            return "Write ID Tab.:";
        case 30:
            return "FS Modul Prog. on:";
        case 31:
            return "FS Modul Read :";
        case 32:
            return "FS Modul Write :";
        case 33:
            return "FS Modul Prog. off:";
        default:
            return {};
    }
}

// Steps 0..2 end their line; the later steps run on into the kind text.
constexpr int kLastStepWithOwnLine = 2;
constexpr int kFirstStepRunningOn = 10;

std::string_view KindText(int kind) {
    switch (kind) {
        case 10:
            return " LocoNet Message gesendet:";
        case 11:
            return " SAM Flash schreiben:";
        case 12:
            return " SAM Flash lesen:";
        case 13:
            return " Datenflash lesen:";
        case 14:
            return " Datenflash schreiben:";
        case 16:
            return " Daten senden:";
        default:
            return {};
    }
}

std::string_view DetailText(int detail) {
    switch (detail) {
        case 11:
            return " keine Antwort!";
        case 12:
            return " Senden nicht möglich!";
        case 13:
            return " Timeout: kein Antwort auf LocoNet! ";
        case 31:
            return " Modul antwortet nicht!";
        case 32:
            return " Programmierung fehlgeschlagen!";
        case 99:
            return " keine gültige Version!";
        default:
            return {};
    }
}

}  // namespace

std::string ErrorText(StatusCode code) {
    // Truncating division: a negative code gives negative fields, which have no text.
    const int step = code / 10000;
    const int kind = (code / 100) % 100;
    const int detail = code % 100;

    std::string text(1, kCR);
    if (step >= 0 && step <= kLastStepWithOwnLine) {
        // Step 0 has no text: its line is empty.
        text += StepText(step);
        text += kCR;
    } else if (step >= kFirstStepRunningOn) {
        text += StepText(step);
    }
    if (const auto k = KindText(kind); !k.empty()) {
        text += k;
        text += kCR;
    }
    if (const auto d = DetailText(detail); !d.empty()) {
        text += d;
        text += kCR;
    }
    return text;
}

}  // namespace cv2
