#include "device/status_table.h"

namespace cv2 {

namespace {

constexpr StepMessage kSteps[] = {
    {Step::DatabaseId,
     "Datenbank ID lesen : ", "Die Datenbank-Kennung (Versionswörter) der Zentrale wird gelesen.",
     "Mit „keine gültige Version“: die Zentrale hat eine Datenbank, die dieses Programm nicht "
     "kennt. Nichts wurde verändert; Firmware der Zentrale prüfen. Mit „Timeout“ oder „keine "
     "Antwort“: wie bei „Bootloader starten“."},
    {Step::LongData,
     "lange Datensätze lesen : ",
     "Lange Datensätze werden gelesen.",
     {},
     Step::ReadLongData},
    {Step::SerialNumber,
     "Seriennummer lesen:",
     "Die Seriennummer der Zentrale wird gelesen.",
     {},
     Step::BootloaderStart},
    {Step::BootloaderStart, "Bootloader starten:",
     "Die Zentrale wird in den Bootloader geschaltet (erster Befehl jedes Laufs).",
     "Die Zentrale ist nicht erreichbar: Kabel, Schnittstellenart, Port und Baudrate prüfen, "
     "Zentrale aus- und wieder einschalten, dann neu versuchen; `cv2cli info` prüft die "
     "Verbindung, ohne etwas zu verändern."},
    {Step::BootloaderEnd, "Bootloader beenden:", "Der Bootloader wird beendet (letzter Schritt).",
     "Alle Abschnitte sind übertragen: eine Sicherung ist vollständig gespeichert, eine "
     "Rückübertragung ganz geschrieben. Die Zentrale ist aber vielleicht noch im Bootloader: "
     "aus- und wieder einschalten. Nach einer Rückübertragung diese sicherheitshalber "
     "wiederholen."},
    {Step::DatabaseVersion,
     "Datenbank Version CVII:", "Die Datenbank-Version der Zentrale wird geprüft.",
     "Die Zentrale hat eine andere Datenbank-Version: die Sicherung passt nicht zu ihr."},
    {Step::FileVersion, "Datenbank Version im Backup File:",
     "Die Datenbank-Version in der Sicherungsdatei wird geprüft.",
     "Die Datei ist keine gültige Sicherung oder beschädigt; eine andere Sicherung wählen. "
     "In die Zentrale wurde nichts geschrieben."},
    {Step::DisplayClear,
     "Display löschen:",
     "Das Display der Zentrale wird gelöscht.",
     {},
     Step::BootloaderStart},
    {Step::DisplayCursor,
     "Displaycurser setzen:",
     "Die Schreibmarke im Display wird gesetzt.",
     {},
     Step::BootloaderStart},
    {Step::DisplayText,
     "Displaytext schreiben:",
     "Ein Text wird ins Display geschrieben.",
     {},
     Step::BootloaderStart},
    {Step::ReadLongData,
     "Read LongData:", "Lange Datensätze (z. B. Loks) werden aus der Zentrale gelesen.",
     "Verbindung prüfen und die Sicherung wiederholen; die frühere Sicherungsdatei bleibt dabei "
     "unverändert erhalten."},
    {Step::WriteLongData, "Write LongData:", "Lange Datensätze werden in die Zentrale geschrieben.",
     "Verbindung prüfen und die Rückübertragung wiederholen: die Datenbank der Zentrale ist "
     "jetzt nur zum Teil geschrieben."},
    {Step::ReadShortData,
     "Read ShortData:",
     "Kurze Datensätze werden aus der Zentrale gelesen.",
     {},
     Step::ReadLongData},
    {Step::WriteShortData,
     "Write ShortData:",
     "Kurze Datensätze werden in die Zentrale geschrieben.",
     {},
     Step::WriteLongData},
    {Step::ReadPage,
     "Read Page:",
     "Ganze Seiten (z. B. Fahrstraßen) werden aus der Zentrale gelesen.",
     {},
     Step::ReadLongData},
    {Step::WritePage,
     "Write Page:",
     "Ganze Seiten werden in die Zentrale geschrieben.",
     {},
     Step::WriteLongData},
    {Step::ReadIdTable,
     "Read ID Tab.:",
     "Die ID-Tabelle wird aus der Zentrale gelesen.",
     {},
     Step::ReadLongData},
    {Step::WriteIdTable,
     "Write ID Tab.:",
     "Die ID-Tabelle wird in die Zentrale geschrieben.",
     {},
     Step::WriteLongData},
    {Step::FsProgOn, "FS Modul Prog. on:", "Das FS-Modul wird in den Programmiermodus geschaltet.",
     "Ist ein FS-Modul eingebaut und eingeschaltet? Ohne Modul endet jeder Lauf hier."},
    {Step::FsRead, "FS Modul Read :", "Einträge des FS-Moduls werden gelesen.", {}, Step::FsProgOn},
    {Step::FsWrite,
     "FS Modul Write :",
     "Einträge werden ins FS-Modul geschrieben.",
     {},
     Step::FsProgOn,
     "; die Datenbank der Zentrale ist schon geschrieben."},
    {Step::FsProgOff, "FS Modul Prog. off:", "Der Programmiermodus des FS-Moduls wird beendet.",
     "Zentrale aus- und wieder einschalten. Eine Rückübertragung ist damit vollständig; eine "
     "Sicherung wurde nicht gespeichert (die frühere Datei ist unverändert) und ist zu "
     "wiederholen."},
};

constexpr KindMessage kKinds[] = {
    {Kind::Message, " LocoNet Message gesendet:", "Ein Befehl an die Zentrale."},
    {Kind::SamFlashWrite,
     " SAM Flash schreiben:", "Eine Seite des Programmspeichers (SAM Flash) wird geschrieben."},
    {Kind::SamFlashRead,
     " SAM Flash lesen:", "Eine Seite des Programmspeichers (SAM Flash) wird gelesen."},
    {Kind::DataFlashRead, " Datenflash lesen:", "Eine Seite des Datenspeichers wird gelesen."},
    {Kind::DataFlashWrite,
     " Datenflash schreiben:", "Eine Seite des Datenspeichers wird geschrieben."},
    {Kind::SendData, " Daten senden:", "Ein Datenblock von 16 Bytes wird gesendet."},
};

constexpr DetailMessage kDetails[] = {
    {Detail::NoAnswer, " keine Antwort!",
     "Die erwartete Antwort der Zentrale blieb aus: sie hat den Befehl nicht bestätigt "
     "(abgelehnt oder anders beantwortet), oder nach dem Start des Bootloaders kam ihre "
     "Bestätigung nicht.",
     "Zentrale aus- und wieder einschalten und neu beginnen. Kommt es wieder, mit "
     "`cv2sim` prüfen, ob Programm und Schnittstelle zusammenpassen."},
    {Detail::SendFailed, " Senden nicht möglich!",
     "Der Rahmen konnte nicht an die Schnittstelle gegeben werden.",
     "Schnittstelle abgezogen oder gestört: Kabel und USB-Stecker prüfen, Programm neu starten."},
    {Detail::TimedOut, " Timeout: kein Antwort auf LocoNet! ",
     "Binnen 2 Sekunden kam keine Antwort über LocoNet, auch nicht auf die einmal wiederholte "
     "Anfrage.",
     "LocoNet-Kabel, Schnittstellenart und Baudrate prüfen; ist die Zentrale eingeschaltet?"},
    {Detail::AnswersLost, " zu viele Antworten verloren!",
     "Mehr als 100 Antworten der Zentrale gingen während des Laufs verloren; jede verlorene "
     "Antwort kostet 2 Sekunden Wartezeit und eine Wiederholung der Anfrage.",
     "Das LocoNet ist überlastet oder gestört: andere Geräte und Programme am LocoNet während "
     "des Laufs ruhen lassen, Kabel und Schnittstelle prüfen und neu versuchen."},
    {Detail::ServerBroken, " Verbindung zum LocoNet-Server unterbrochen!",
     "Über das Netzwerk (LocoNet über TCP): der LocoNet-Server hat die Verbindung beendet, oder "
     "er konnte eine Nachricht nicht auf das LocoNet senden (SENT ERROR); die Meldung nennt "
     "den Server und seinen Grund.",
     "Läuft das Programm, das den LocoNet-Server stellt, noch, und ist sein Interface am "
     "LocoNet? Server und Netzwerk prüfen und neu beginnen; eine frühere Sicherungsdatei ist "
     "unverändert."},
    {Detail::ModuleSilent, " Modul antwortet nicht!", "Das FS-Modul antwortet nicht.",
     "Sitz und Stromversorgung des FS-Moduls prüfen."},
    {Detail::ProgrammingFailed, " Programmierung fehlgeschlagen!",
     "Das FS-Modul hat das Schreiben nicht bestätigt.",
     "Rückübertragung wiederholen; bleibt der Fehler, ist das Modul defekt."},
    {Detail::InvalidVersion, " keine gültige Version!",
     "Eine Datenbank-Version ist nicht die erwartete.",
     "Zentrale und Sicherung passen nicht zusammen oder die Datei ist beschädigt."},
};

constexpr StepDetailAdvice kStepDetailAdvice[] = {
    // A station that does not answer while its version is read has said
    // nothing about its database.
    {Step::DatabaseId, Detail::InvalidVersion,
     "Die Zentrale hat eine Datenbank, die dieses Programm nicht kennt. Nichts wurde verändert; "
     "Firmware der Zentrale prüfen."},
    {Step::DatabaseId, Detail::None, {}, Step::BootloaderStart},
};

template <typename Row, typename Key>
std::string_view TextOf(std::span<const Row> rows, Key Row::*key, int number) {
    for (const Row& r : rows) {
        if (static_cast<int>(r.*key) == number) return r.text;
    }
    return {};
}

// A step's name as another step's advice names it: its text without the colon.
std::string_view Name(Step step) {
    std::string_view text = StepText(static_cast<int>(step));
    while (!text.empty() && (text.back() == ' ' || text.back() == ':')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::span<const StepMessage> StepMessages() { return kSteps; }
std::span<const KindMessage> KindMessages() { return kKinds; }
std::span<const DetailMessage> DetailMessages() { return kDetails; }
std::span<const StepDetailAdvice> StepDetailAdvices() { return kStepDetailAdvice; }

std::string_view StepText(int step) { return TextOf(StepMessages(), &StepMessage::step, step); }
std::string_view KindText(int kind) { return TextOf(KindMessages(), &KindMessage::kind, kind); }
std::string_view DetailText(int detail) {
    return TextOf(DetailMessages(), &DetailMessage::detail, detail);
}

std::string AdviceAsWritten(const StepMessage& message) {
    if (message.sameAdviceAs == Step::None) return std::string(message.advice);
    const std::string tail = message.adviceTail.empty() ? "." : std::string(message.adviceTail);
    return "Wie bei „" + std::string(Name(message.sameAdviceAs)) + "“" + tail;
}

}  // namespace cv2
