// The German message of a status code: step, kind and detail spelled out, each
// line ended by a single carriage return.
#include "device/error_text.h"

#include <gtest/gtest.h>

#include <string>

#include "device/device.h"
#include "device/error_help.h"

namespace cv2::test {
namespace {

// The program builds every code from named parts; these are the numbers the
// guide and cv2cli's "Status" show for them.
TEST(StatusCodes, NamedPartsGiveTheNumbersUsersSee) {
    using D = Detail;
    using K = Kind;
    using S = Step;
    const std::pair<StatusCode, StatusCode> golden[] = {
        {kReplyTimedOut, 13},
        {kAnswersLost, 14},
        {kCancelled, 98},
        {kSendFailed, 1012},
        {Code(K::Message, D::NoAnswer), 1011},
        {Code(K::SamFlashWrite, D::NoAnswer), 1111},
        {Code(K::SamFlashRead, D::NoAnswer), 1211},
        {Code(K::DataFlashRead, D::NoAnswer), 1311},
        {Code(K::DataFlashWrite, D::NoAnswer), 1411},
        {Code(K::SendData, D::NoAnswer), 1611},
        {Code(S::DatabaseId, K::None, D::InvalidVersion), 10099},
        {Code(S::SerialNumber, K::Message, D::NoAnswer), 101011},
        {Code(S::FileVersion, K::None, D::InvalidVersion), 140099},
        {Code(S::FsProgOn, K::None, D::ModuleSilent), 300031},
        {Code(S::FsWrite, K::None, D::ProgrammingFailed), 320032},
        {Code(S::FsProgOff, K::None, D::TimedOut), 330013},
    };
    for (const auto& [named, number] : golden) EXPECT_EQ(named, number);
    StatusCode status = kSendFailed;
    AddStep(Step::BootloaderStart, status);
    EXPECT_EQ(status, 111012);
    EXPECT_EQ(StepOf(status), 11);
    EXPECT_EQ(KindOf(status), 10);
    EXPECT_TRUE(HasDetail(status, Detail::SendFailed));
}

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

// The advice under a failure names its cause: a station that does not answer
// needs its connection checked, whichever step it was in; an invalid version
// means another database; a bootloader end that fails keeps what was read.
TEST(ErrorAdvice, NamesTheCauseTheStatusReports) {
    const std::string connection = ErrorAdvice(110013);
    ASSERT_NE(connection.find("Kabel"), std::string::npos) << connection;
    for (StatusCode timedOut : {10013, 11311, 11012, 101011}) {
        EXPECT_EQ(ErrorAdvice(timedOut), connection) << timedOut;
    }
    EXPECT_EQ(ErrorAdvice(10099),
              "Die Zentrale hat eine Datenbank, die dieses Programm nicht kennt. Nichts wurde "
              "verändert; Firmware der Zentrale prüfen.");
    for (StatusCode ended : {120013, 121011}) {
        const std::string advice = ErrorAdvice(ended);
        EXPECT_NE(advice.find("eine Sicherung ist vollständig gespeichert"), std::string::npos)
            << advice;
        EXPECT_NE(advice.find("noch im Bootloader: aus- und wieder einschalten"), std::string::npos)
            << advice;
    }
    // Without a step of its own, the detail advises.
    EXPECT_EQ(ErrorAdvice(13).find("LocoNet-Kabel"), 0u);
}

}  // namespace
}  // namespace cv2::test
