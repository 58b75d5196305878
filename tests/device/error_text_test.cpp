// The German message of a status code: step, kind and detail spelled out, each
// line ended by a single carriage return.
#include <gtest/gtest.h>

#include <string>

#include "device/device.h"
#include "device/error_text.h"

namespace cv2::test {
namespace {

TEST(ErrorText, MessagesOfStepKindAndDetail) {
    // '#' stands for each CR, so a failure shows where lines end.
    // clang-format off
    const std::pair<StatusCode, const char*> cases[] = {
        // Codes of the command layer.
        {13, "## Timeout: kein Antwort auf LocoNet! #"},
        {1012, "## LocoNet Message gesendet:# Senden nicht möglich!#"},
        {101011, "#Seriennummer lesen: LocoNet Message gesendet:# keine Antwort!#"},
        {150013, "#Display löschen: Timeout: kein Antwort auf LocoNet! #"},
        {221411, "#Write LongData: Datenflash schreiben:# keine Antwort!#"},
        // Steps one and two end their line; later steps run on.
        {10013, "#Datenbank ID lesen : # Timeout: kein Antwort auf LocoNet! #"},
        {21311, "#lange Datensätze lesen : # Datenflash lesen:# keine Antwort!#"},
        {120000, "#Bootloader beenden:"},
        {140099, "#Datenbank Version im Backup File: keine gültige Version!#"},
        {300031, "#FS Modul Prog. on: Modul antwortet nicht!#"},
        {331032, "#FS Modul Prog. off: LocoNet Message gesendet:# Programmierung fehlgeschlagen!#"},
        // Every kind text.
        {1000, "## LocoNet Message gesendet:#"}, {1100, "## SAM Flash schreiben:#"},
        {1200, "## SAM Flash lesen:#"}, {1300, "## Datenflash lesen:#"},
        {1400, "## Datenflash schreiben:#"}, {1600, "## Daten senden:#"},
        // Fields without text add nothing, steps not even a line end.
        {30000, "#"}, {90000, "#"}, {180000, "#"}, {200000, "#"}, {290000, "#"}, {340000, "#"},
        {990000, "#"}, {2140000, "#"}, {151500, "#Display löschen:"}, {98, "##"}, {100, "##"},
        {1010, "## LocoNet Message gesendet:#"},
        // Negative codes truncate towards zero: kind and detail have no text,
        // nor has a negative step, which adds no line end either.
        {-1, "##"}, {-1011, "##"}, {-9999, "##"}, {-10000, "#"}, {-151013, "#"},
    };
    // clang-format on
    for (const auto& [code, expected] : cases) {
        std::string shown = ErrorText(code);
        for (char& c : shown) {
            if (c == '\r') c = '#';
        }
        EXPECT_EQ(shown, expected) << code;
    }
}

}  // namespace
}  // namespace cv2::test
