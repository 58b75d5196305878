#include "device/error_help.h"

#include "device/error_table.h"

namespace cv2 {

namespace {

constexpr ErrorExplanation kStepHelp[] = {
    {1, "Die Datenbank-Kennung (Versionswörter) der Zentrale wird gelesen.",
     "Mit „keine gültige Version“: die Zentrale hat eine Datenbank, die dieses Programm nicht "
     "kennt. Nichts wurde verändert; Firmware der Zentrale prüfen. Mit „Timeout“ oder „keine "
     "Antwort“: wie bei „Bootloader starten“."},
    {2, "Lange Datensätze werden gelesen.", "Wie bei „Read LongData“."},
    {10, "Die Seriennummer der Zentrale wird gelesen.", "Wie bei „Bootloader starten“."},
    {11, "Die Zentrale wird in den Bootloader geschaltet (erster Befehl jedes Laufs).",
     "Die Zentrale ist nicht erreichbar: Kabel, Schnittstellenart, Port und Baudrate prüfen, "
     "Zentrale aus- und wieder einschalten, dann neu versuchen; `cv2cli info` prüft die "
     "Verbindung, ohne etwas zu verändern."},
    {12, "Der Bootloader wird beendet (letzter Schritt).",
     "Alle Abschnitte sind übertragen: eine Sicherung ist vollständig gespeichert, eine "
     "Rückübertragung ganz geschrieben. Die Zentrale ist aber vielleicht noch im Bootloader: "
     "aus- und wieder einschalten. Nach einer Rückübertragung diese sicherheitshalber "
     "wiederholen."},
    {13, "Die Datenbank-Version der Zentrale wird geprüft.",
     "Die Zentrale hat eine andere Datenbank-Version: die Sicherung passt nicht zu ihr."},
    {14, "Die Datenbank-Version in der Sicherungsdatei wird geprüft.",
     "Die Datei ist keine gültige Sicherung oder beschädigt; eine andere Sicherung wählen. "
     "In die Zentrale wurde nichts geschrieben."},
    {15, "Das Display der Zentrale wird gelöscht.", "Wie bei „Bootloader starten“."},
    {16, "Die Schreibmarke im Display wird gesetzt.", "Wie bei „Bootloader starten“."},
    {17, "Ein Text wird ins Display geschrieben.", "Wie bei „Bootloader starten“."},
    {21, "Lange Datensätze (z. B. Loks) werden aus der Zentrale gelesen.",
     "Verbindung prüfen und die Sicherung wiederholen; die frühere Sicherungsdatei bleibt dabei "
     "unverändert erhalten."},
    {22, "Lange Datensätze werden in die Zentrale geschrieben.",
     "Verbindung prüfen und die Rückübertragung wiederholen: die Datenbank der Zentrale ist "
     "jetzt nur zum Teil geschrieben."},
    {23, "Kurze Datensätze werden aus der Zentrale gelesen.", "Wie bei „Read LongData“."},
    {24, "Kurze Datensätze werden in die Zentrale geschrieben.", "Wie bei „Write LongData“."},
    {25, "Ganze Seiten (z. B. Fahrstraßen) werden aus der Zentrale gelesen.",
     "Wie bei „Read LongData“."},
    {26, "Ganze Seiten werden in die Zentrale geschrieben.", "Wie bei „Write LongData“."},
    {27, "Die ID-Tabelle wird aus der Zentrale gelesen.", "Wie bei „Read LongData“."},
    {28, "Die ID-Tabelle wird in die Zentrale geschrieben.", "Wie bei „Write LongData“."},
    {30, "Das FS-Modul wird in den Programmiermodus geschaltet.",
     "Ist ein FS-Modul eingebaut und eingeschaltet? Ohne Modul endet jeder Lauf hier."},
    {31, "Einträge des FS-Moduls werden gelesen.", "Wie bei „FS Modul Prog. on“."},
    {32, "Einträge werden ins FS-Modul geschrieben.",
     "Wie bei „FS Modul Prog. on“; die Datenbank der Zentrale ist schon geschrieben."},
    {33, "Der Programmiermodus des FS-Moduls wird beendet.",
     "Zentrale aus- und wieder einschalten. Eine Rückübertragung ist damit vollständig; eine "
     "Sicherung wurde nicht gespeichert (die frühere Datei ist unverändert) und ist zu "
     "wiederholen."},
};

constexpr ErrorExplanation kKindHelp[] = {
    {10, "Ein Befehl an die Zentrale.", ""},
    {11, "Eine Seite des Programmspeichers (SAM Flash) wird geschrieben.", ""},
    {12, "Eine Seite des Programmspeichers (SAM Flash) wird gelesen.", ""},
    {13, "Eine Seite des Datenspeichers wird gelesen.", ""},
    {14, "Eine Seite des Datenspeichers wird geschrieben.", ""},
    {16, "Ein Datenblock von 16 Bytes wird gesendet.", ""},
};

constexpr ErrorExplanation kDetailHelp[] = {
    {11,
     "Die erwartete Antwort der Zentrale blieb aus: sie hat den Befehl nicht bestätigt "
     "(abgelehnt oder anders beantwortet), oder nach dem Start des Bootloaders kam ihre "
     "Bestätigung nicht.",
     "Zentrale aus- und wieder einschalten und neu beginnen. Kommt es wieder, mit "
     "`cv2sim` prüfen, ob Programm und Schnittstelle zusammenpassen."},
    {12, "Der Rahmen konnte nicht an die Schnittstelle gegeben werden.",
     "Schnittstelle abgezogen oder gestört: Kabel und USB-Stecker prüfen, Programm neu starten."},
    {13,
     "Binnen 2 Sekunden kam keine Antwort über LocoNet, auch nicht auf die einmal wiederholte "
     "Anfrage.",
     "LocoNet-Kabel, Schnittstellenart und Baudrate prüfen; ist die Zentrale eingeschaltet?"},
    {14,
     "Mehr als 100 Antworten der Zentrale gingen während des Laufs verloren; jede verlorene "
     "Antwort kostet 2 Sekunden Wartezeit und eine Wiederholung der Anfrage.",
     "Das LocoNet ist überlastet oder gestört: andere Geräte und Programme am LocoNet während "
     "des Laufs ruhen lassen, Kabel und Schnittstelle prüfen und neu versuchen."},
    {31, "Das FS-Modul antwortet nicht.", "Sitz und Stromversorgung des FS-Moduls prüfen."},
    {32, "Das FS-Modul hat das Schreiben nicht bestätigt.",
     "Rückübertragung wiederholen; bleibt der Fehler, ist das Modul defekt."},
    {99, "Eine Datenbank-Version ist nicht die erwartete.",
     "Zentrale und Sicherung passen nicht zusammen oder die Datei ist beschädigt."},
};

// A step whose advice depends on what went wrong: for its detail (or, with
// kAnyDetail, for every other one) this advice, in place of the step's own,
// which the user guide shows and which names the cases together.
struct DetailAdvice {
    int step;
    int detail;
    std::string_view advice;
};
constexpr int kAnyDetail = -1;
constexpr int kInvalidVersion = 99;

constexpr DetailAdvice kDetailAdvice[] = {
    // A station that does not answer while its version is read has said
    // nothing about its database.
    {1, kInvalidVersion,
     "Die Zentrale hat eine Datenbank, die dieses Programm nicht kennt. Nichts wurde verändert; "
     "Firmware der Zentrale prüfen."},
    {1, kAnyDetail, "Wie bei „Bootloader starten“."},
};

constexpr std::string_view kSeeAlso = "Wie bei „";

std::string_view AdviceOf(std::span<const ErrorExplanation> table, int number) {
    for (const ErrorExplanation& e : table) {
        if (e.number == number) return e.advice;
    }
    return {};
}

// "Wie bei „Read LongData“." names another step by its text: that step's advice.
std::string_view Resolved(std::string_view advice) {
    if (!advice.starts_with(kSeeAlso)) return advice;
    const std::string_view name =
        advice.substr(kSeeAlso.size(), advice.find("“") - kSeeAlso.size());
    for (const ErrorField& step : ErrorSteps()) {
        if (step.text.starts_with(name)) return AdviceOf(kStepHelp, step.number);
    }
    return advice;
}

// The advice for this step and detail, where it depends on the detail; empty otherwise.
std::string_view AdviceForDetail(int step, int detail) {
    for (int wanted : {detail, kAnyDetail}) {
        for (const DetailAdvice& d : kDetailAdvice) {
            if (d.step == step && d.detail == wanted) return d.advice;
        }
    }
    return {};
}

}  // namespace

std::span<const ErrorExplanation> StepExplanations() { return kStepHelp; }
std::span<const ErrorExplanation> KindExplanations() { return kKindHelp; }
std::span<const ErrorExplanation> DetailExplanations() { return kDetailHelp; }

std::string ErrorAdvice(StatusCode status) {
    std::string_view step = Resolved(AdviceForDetail(status / 10000, status % 100));
    if (step.empty()) step = Resolved(AdviceOf(kStepHelp, status / 10000));
    return std::string(step.empty() ? AdviceOf(kDetailHelp, status % 100) : step);
}

}  // namespace cv2
