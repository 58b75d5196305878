// The German message of a status code: step, kind and detail spelled out, each
// line ended by a single carriage return.
#include <gtest/gtest.h>

#include <string>

#include "device/device.h"

namespace cv2::test {
namespace {

// Writes the message with '#' for each CR, so a failure shows where lines end.
std::string Shown(StatusCode code) {
    std::string s = ErrorText(code);
    for (char& c : s) {
        if (c == '\r') c = '#';
    }
    return s;
}

TEST(ErrorText, CodesOfTheCommandLayer) {
    EXPECT_EQ(Shown(13), "## Timeout: kein Antwort auf LocoNet! #");
    EXPECT_EQ(Shown(1012), "## LocoNet Message gesendet:# Senden nicht möglich!#");
    EXPECT_EQ(Shown(101011), "#Seriennummer lesen: LocoNet Message gesendet:# keine Antwort!#");
    EXPECT_EQ(Shown(150013), "#Display löschen: Timeout: kein Antwort auf LocoNet! #");
    EXPECT_EQ(Shown(221411), "#Write LongData: Datenflash schreiben:# keine Antwort!#");
}

TEST(ErrorText, StepsOneAndTwoEndTheirLine) {
    EXPECT_EQ(Shown(10013), "#Datenbank ID lesen : # Timeout: kein Antwort auf LocoNet! #");
    EXPECT_EQ(Shown(21311), "#lange Datensätze lesen : # Datenflash lesen:# keine Antwort!#");
}

TEST(ErrorText, LaterStepsRunOnWithoutLineEnd) {
    EXPECT_EQ(Shown(120000), "#Bootloader beenden:");
    EXPECT_EQ(Shown(140099), "#Datenbank Version im Backup File: keine gültige Version!#");
    EXPECT_EQ(Shown(300031), "#FS Modul Prog. on: Modul antwortet nicht!#");
    EXPECT_EQ(Shown(331032),
              "#FS Modul Prog. off: LocoNet Message gesendet:# Programmierung "
              "fehlgeschlagen!#");
}

TEST(ErrorText, EveryKindText) {
    const std::pair<int, const char*> kinds[] = {
        {10, " LocoNet Message gesendet:"}, {11, " SAM Flash schreiben:"},
        {12, " SAM Flash lesen:"},          {13, " Datenflash lesen:"},
        {14, " Datenflash schreiben:"},     {16, " Daten senden:"},
    };
    for (const auto& [kind, text] : kinds) {
        EXPECT_EQ(Shown(kind * 100), std::string("##") + text + "#");
    }
}

TEST(ErrorText, FieldsWithoutTextAddNothing) {
    // Steps 3..9, 18..20, 29 and above 33 add not even a line end.
    for (int step : {3, 9, 18, 20, 29, 34, 99, 214}) EXPECT_EQ(Shown(step * 10000), "#") << step;
    EXPECT_EQ(Shown(151500), "#Display löschen:");  // kind 15
    EXPECT_EQ(Shown(1010), "## LocoNet Message gesendet:#");
    EXPECT_EQ(Shown(98), "##");
    EXPECT_EQ(Shown(100), "##");
}

TEST(ErrorText, NegativeCodesTruncateTowardsZero) {
    // Kind and detail turn negative and have no text.
    EXPECT_EQ(Shown(-1), "##");
    EXPECT_EQ(Shown(-1011), "##");
    EXPECT_EQ(Shown(-9999), "##");
    // A negative step has no text and no line end either.
    EXPECT_EQ(Shown(-10000), "#");
    EXPECT_EQ(Shown(-151013), "#");
}

}  // namespace
}  // namespace cv2::test
