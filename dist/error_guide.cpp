// Prints the user guide's list of error messages as Markdown: every step, kind
// and detail text of the messages, each with what it means and what to do.
// The texts come from the program's own tables; the explanations live here and
// must cover exactly those entries, or the program stops with the mismatch.
#include <cstdio>
#include <iostream>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "device/device.h"
#include "device/error_table.h"
#include "device/key_file.h"

namespace {

struct Explanation {
    int number;
    std::string_view meaning;
    std::string_view advice;
};

constexpr Explanation kStepHelp[] = {
    {1, "Die Datenbank-Kennung (Versionswörter) der Zentrale wird gelesen.",
     "Meist mit „keine gültige Version“: die Zentrale hat eine Datenbank, die dieses Programm "
     "nicht kennt. Nichts wurde verändert; Firmware der Zentrale prüfen."},
    {2, "Lange Datensätze werden gelesen.", "Wie bei „Read LongData“."},
    {10, "Die Seriennummer der Zentrale wird gelesen.", "Wie bei „Bootloader starten“."},
    {11, "Die Zentrale wird in den Bootloader geschaltet (erster Befehl jedes Laufs).",
     "Die Zentrale ist nicht erreichbar: Kabel, Schnittstellenart, Port und Baudrate prüfen, "
     "Zentrale aus- und wieder einschalten, dann neu versuchen; `cv2cli info` prüft die "
     "Verbindung, ohne etwas zu verändern."},
    {12, "Der Bootloader wird beendet (letzter Schritt).",
     "Die Daten sind übertragen; die Zentrale aus- und wieder einschalten. Nach einer "
     "Rückübertragung sicherheitshalber wiederholen."},
    {13, "Die Datenbank-Version der Zentrale wird geprüft.",
     "Die Zentrale hat eine andere Datenbank-Version: die Sicherung passt nicht zu ihr."},
    {14, "Die Datenbank-Version in der Sicherungsdatei wird geprüft.",
     "Die Datei ist keine gültige Sicherung oder beschädigt; eine andere Sicherung wählen. "
     "In die Zentrale wurde nichts geschrieben."},
    {15, "Das Display der Zentrale wird gelöscht.", "Wie bei „Bootloader starten“."},
    {16, "Die Schreibmarke im Display wird gesetzt.", "Wie bei „Bootloader starten“."},
    {17, "Ein Text wird ins Display geschrieben.", "Wie bei „Bootloader starten“."},
    {21, "Lange Datensätze (z. B. Loks) werden aus der Zentrale gelesen.",
     "Verbindung prüfen und die Sicherung wiederholen; die Datei ist unvollständig."},
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
     "Zentrale aus- und wieder einschalten; die Daten sind übertragen."},
};

constexpr Explanation kKindHelp[] = {
    {10, "Ein Befehl an die Zentrale.", ""},
    {11, "Eine Seite des Programmspeichers (SAM Flash) wird geschrieben.", ""},
    {12, "Eine Seite des Programmspeichers (SAM Flash) wird gelesen.", ""},
    {13, "Eine Seite des Datenspeichers wird gelesen.", ""},
    {14, "Eine Seite des Datenspeichers wird geschrieben.", ""},
    {16, "Ein Datenblock von 16 Bytes wird gesendet.", ""},
};

constexpr Explanation kDetailHelp[] = {
    {11, "Die Zentrale hat den Befehl abgelehnt oder falsch beantwortet.",
     "Zentrale aus- und wieder einschalten und neu beginnen. Kommt es wieder, mit "
     "`cv2sim` prüfen, ob Programm und Schnittstelle zusammenpassen."},
    {12, "Der Rahmen konnte nicht an die Schnittstelle gegeben werden.",
     "Schnittstelle abgezogen oder gestört: Kabel und USB-Stecker prüfen, Programm neu starten."},
    {13, "Binnen 2 Sekunden kam keine Antwort über LocoNet.",
     "LocoNet-Kabel, Schnittstellenart und Baudrate prüfen; ist die Zentrale eingeschaltet?"},
    {31, "Das FS-Modul antwortet nicht.", "Sitz und Stromversorgung des FS-Moduls prüfen."},
    {32, "Das FS-Modul hat das Schreiben nicht bestätigt.",
     "Rückübertragung wiederholen; bleibt der Fehler, ist das Modul defekt."},
    {99, "Eine Datenbank-Version ist nicht die erwartete.",
     "Zentrale und Sicherung passen nicht zusammen oder die Datei ist beschädigt."},
};

// Each table entry has one explanation, and each explanation one entry.
bool Covers(const char* what, std::span<const cv2::ErrorField> fields,
            std::span<const Explanation> help) {
    std::set<int> texts, explained;
    for (const auto& f : fields) texts.insert(f.number);
    for (const auto& h : help) explained.insert(h.number);
    bool ok = true;
    for (int n : texts) {
        if (!explained.count(n)) {
            std::cerr << what << ' ' << n << ": keine Erklärung\n";
            ok = false;
        }
    }
    for (int n : explained) {
        if (!texts.count(n)) {
            std::cerr << what << ' ' << n << ": Erklärung ohne Meldungstext\n";
            ok = false;
        }
    }
    return ok;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.back() == ' ')) {
        s = s.front() == ' ' ? s.substr(1) : s.substr(0, s.size() - 1);
    }
    return s;
}

// The message as the box shows it: each CR a line of its own, without the
// empty first and last lines.
std::string AsLines(std::string_view text) {
    while (!text.empty() && text.front() == '\r') text.remove_prefix(1);
    while (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    std::string out;
    for (char c : text) out += c == '\r' ? std::string("<br>") : std::string(1, c);
    return out;
}

// The bootloader start is the first command of every run, and the first one a
// station with keys of its own refuses when the program has the built-in ones.
std::string KeysNote() {
    return "Zeigt `cv2cli --version` „Schlüssel: eingebaute Testwerte“, antwortet nur die "
           "simulierte Zentrale. " +
           cv2::OwnKeysAdvice();
}

// note: appended to the advice of entry noteFor.
void PrintTable(const char* heading, const char* column, std::span<const cv2::ErrorField> fields,
                std::span<const Explanation> help, bool withAdvice, int noteFor = -1,
                const std::string& note = {}) {
    std::cout << "\n## " << heading << "\n\n| " << column << " | Text | Bedeutung |"
              << (withAdvice ? " Was tun |" : "") << "\n|---|---|---|" << (withAdvice ? "---|" : "")
              << '\n';
    for (const auto& f : fields) {
        for (const auto& h : help) {
            if (h.number != f.number) continue;
            std::cout << "| " << f.number << " | „" << Trimmed(f.text) << "“ | " << h.meaning
                      << " |";
            if (withAdvice) {
                std::cout << ' ' << h.advice << (h.number == noteFor ? " " + note : "") << " |";
            }
            std::cout << '\n';
        }
    }
}

}  // namespace

int main() {
    if (!Covers("Schritt", cv2::ErrorSteps(), kStepHelp) ||
        !Covers("Art", cv2::ErrorKinds(), kKindHelp) ||
        !Covers("Ursache", cv2::ErrorDetails(), kDetailHelp)) {
        return 1;
    }
    std::cout
        << "<!-- Erzeugt von cv2_error_guide (make docs); nicht von Hand ändern. -->\n"
           "# Fehlermeldungen\n\n"
           "Bricht eine Sicherung oder Rückübertragung ab, zeigt das Programm ein Fenster "
           "„Fehler beim Speichern der Datenbank“ bzw. „Fehler beim Laden der Datenbank“ "
           "(`cv2cli`: dieselbe Meldung im Terminal, Exit-Status 1). Die Meldung setzt sich "
           "aus bis zu drei Teilen zusammen: dem **Schritt**, der gerade lief, der **Art** der "
           "Übertragung und der **Ursache**. Die Zahl dahinter ist "
           "Schritt · 10000 + Art · 100 + Ursache.\n\n"
           "Beispiele:\n\n| Code | Meldung |\n|---|---|\n";
    for (cv2::StatusCode code : {101011, 110013, 221411, 10099, 140099, 300031}) {
        std::cout << "| " << code << " | " << AsLines(cv2::ErrorText(code)) << " |\n";
    }
    std::cout << "\nWas zu tun ist, steht beim Schritt; bei „Ursache“ steht, was meist dahinter "
                 "steckt. Was bis zum Abbruch in die Zentrale geschrieben wurde, bleibt dort: "
                 "eine abgebrochene Rückübertragung immer ganz wiederholen. Eine Sicherung, die "
                 "abbricht, lässt die vorhandene Sicherungsdatei unverändert.\n\n"
                 "Eine Datei, deren Versionsangaben nicht gültig sind (140099), lehnt die "
                 "Rückübertragung ab, bevor die Schnittstelle geöffnet wird (`cv2cli`: "
                 "Exit-Status 2). Ein Lauf, den Strg+C, SIGTERM oder SIGHUP beendet, zeigt keine "
                 "dieser Meldungen: `cv2cli` schreibt „Abgebrochen.“ mit dem Schritt, in dem er "
                 "stand, und endet mit Exit-Status 130.\n";
    PrintTable("Schritt", "Schritt", cv2::ErrorSteps(), kStepHelp, true,
               cv2::kStepBootloaderStart / 10000, KeysNote());
    PrintTable("Art der Übertragung", "Art", cv2::ErrorKinds(), kKindHelp, false);
    PrintTable("Ursache", "Ursache", cv2::ErrorDetails(), kDetailHelp, true);
    return std::cout.flush() ? 0 : 1;
}
