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
#include "device/error_help.h"
#include "device/error_text.h"
#include "device/key_file.h"
#include "device/status.h"
#include "device/status_table.h"

namespace {

int StatusNumber(const cv2::StepMessage& m) { return static_cast<int>(m.step); }
int StatusNumber(const cv2::KindMessage& m) { return static_cast<int>(m.kind); }
int StatusNumber(const cv2::DetailMessage& m) { return static_cast<int>(m.detail); }

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

// A table of the guide: number, text and meaning of each part, with its advice.
template <typename Row>
void PrintTable(const char* heading, const char* column, std::span<const Row> rows, bool withAdvice,
                std::string (*advice)(const Row&) = nullptr) {
    std::cout << "\n## " << heading << "\n\n| " << column << " | Text | Bedeutung |"
              << (withAdvice ? " Was tun |" : "") << "\n|---|---|---|" << (withAdvice ? "---|" : "")
              << '\n';
    for (const Row& r : rows) {
        std::cout << "| " << StatusNumber(r) << " | „" << Trimmed(r.text) << "“ | " << r.meaning
                  << " |";
        if (withAdvice) std::cout << ' ' << advice(r) << " |";
        std::cout << '\n';
    }
}

}  // namespace

int main() {
    std::cout
        << "<!-- Erzeugt von cv2_error_guide (make docs); nicht von Hand ändern. -->\n"
           "# Fehlermeldungen\n\n"
           "Bricht eine Sicherung oder Rückübertragung ab, zeigt das Programm ein Fenster "
           "„Fehler beim Speichern der Datenbank“ bzw. „Fehler beim Laden der Datenbank“ "
           "(`cv2cli`: dieselbe Meldung in einer Zeile, darunter „Was tun:“ mit dem Rat aus der "
           "Tabelle unten, Exit-Status 1). Die Meldung setzt sich aus bis zu drei Teilen "
           "zusammen: dem **Schritt**, der gerade lief, der **Art** der Übertragung und der "
           "**Ursache**. Das Fenster zeigt nur den Text; `cv2cli` nennt dazu den Code "
           "(„Status 110013“), der sich so zusammensetzt: Schritt · 10000 + Art · 100 + "
           "Ursache. Nennt ein Code keinen Schritt, sagt `cv2cli`, in welchem Abschnitt der "
           "Lauf stand.\n\n"
           "Beispiele:\n\n| Code | Meldung |\n|---|---|\n";
    using cv2::Code, cv2::Detail, cv2::Kind, cv2::Step;
    for (cv2::StatusCode code : {Code(Step::SerialNumber, Kind::Message, Detail::NoAnswer),
                                 Code(Step::BootloaderStart, Kind::None, Detail::TimedOut),
                                 Code(Step::WriteLongData, Kind::DataFlashWrite, Detail::NoAnswer),
                                 Code(Step::DatabaseId, Kind::None, Detail::InvalidVersion),
                                 Code(Step::FileVersion, Kind::None, Detail::InvalidVersion),
                                 Code(Step::FsProgOn, Kind::None, Detail::ModuleSilent)}) {
        std::cout << "| " << code << " | " << AsLines(cv2::ErrorText(code)) << " |\n";
    }
    std::cout << "\nWas zu tun ist, steht beim Schritt; bei „Ursache“ steht, was meist "
                 "dahintersteckt. Was bis zum Abbruch in die Zentrale geschrieben wurde, bleibt "
                 "dort: eine abgebrochene Rückübertragung immer ganz wiederholen. Eine Sicherung, "
                 "die abbricht, lässt die vorhandene Sicherungsdatei unverändert; nur wenn alle "
                 "Abschnitte gelesen sind und allein das Beenden des Bootloaders scheitert "
                 "(Schritt 12), ist die Sicherung vollständig und wird gespeichert, und die "
                 "Meldung sagt das.\n\n"
                 "Eine Datei, deren Versionsangaben nicht gültig sind (140099), lehnt die "
                 "Rückübertragung ab, bevor die Schnittstelle geöffnet wird (`cv2cli`: "
                 "Exit-Status 2). Ein Lauf, den Strg+C, Strg+\\\\, SIGTERM oder SIGHUP beendet, "
                 "zeigt keine dieser Meldungen: `cv2cli` schreibt „Abgebrochen.“ mit dem Schritt, "
                 "in dem er stand, und endet mit Exit-Status 130.\n";
    std::cout
        << "\n## Meldungen ohne Status\n\n| Meldung | Bedeutung | Was tun |\n|---|---|---|\n"
           "| „Der Schnittstellenname „…\\x00…“ enthält ein Steuerzeichen“ | Ein Portname mit "
           "einem Steuerzeichen (hier mit seinem Code gezeigt) kann keine Schnittstelle sein; das "
           "System schnitte ihn ab und öffnete ein anderes Gerät. Aus der Einstellungsdatei "
           "gelesen, gilt COM-Port 3; im Fenster „Optionen“ wird er nicht übernommen; `cv2cli` "
           "endet mit Exit-Status 2. | Den Port neu eintragen (`cv2cli ports` nennt die "
           "vorhandenen). |\n"
           "| „Die Datei … kann nicht geschrieben werden: die Arbeitskopie … kann im Ordner … "
           "nicht angelegt werden“ | Die Datei gibt es, aber neben ihr kann die Arbeitskopie "
           "nicht entstehen, in die eine Sicherung bis zu ihrem Ende geht (ein Ordner ohne "
           "Schreibrecht, ein Systemordner wie `/proc`). | Eine Datei in einem eigenen Ordner "
           "wählen. |\n"
           "| „Die Datei … kann nicht geschrieben werden: sie selbst kann nicht gelesen werden“ | "
           "Die Datei darf geschrieben, aber nicht gelesen werden; die Arbeitskopie beginnt als "
           "ihre Kopie. | Leserecht geben (`chmod u+r`) oder eine andere Datei wählen. |\n"
           "| „Warnung: Das Protokoll … ist unvollständig“ | `--trace`: die Protokolldatei ließ "
           "sich nicht (ganz) schreiben; die Sicherung selbst ist davon nicht betroffen. | Für "
           "das Protokoll einen Ort mit Platz wählen. |\n";
    PrintTable<cv2::StepMessage>("Schritt", "Schritt", cv2::StepMessages(), true,
                                 [](const cv2::StepMessage& m) {
                                     std::string advice = cv2::AdviceAsWritten(m);
                                     if (m.step == cv2::Step::BootloaderStart) {
                                         advice += " " + KeysNote();
                                     }
                                     return advice;
                                 });
    PrintTable<cv2::KindMessage>("Art der Übertragung", "Art", cv2::KindMessages(), false);
    PrintTable<cv2::DetailMessage>(
        "Ursache", "Ursache", cv2::DetailMessages(), true,
        [](const cv2::DetailMessage& m) { return std::string(m.advice); });
    return std::cout.flush() ? 0 : 1;
}
