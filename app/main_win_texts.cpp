#include "app/main_win_texts.h"

namespace cv2 {

std::string MainWinCaption(int major, int minor, int revision) {
    return "CV2 Sicherung - Ver.: " + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(revision);
}

std::string FileNamePart(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string NoticeText() {
    const std::string crlf = "\r\n";
    const std::string blankLine = crlf + crlf;
    // Within a paragraph the pieces join without a gap: each ends in a blank
    // where the sentence goes on.
    // clang-format off
    return std::string("Es wird nur die aktive (sichtbare) Datenbank auf dem PC gesichert. ")
        + blankLine
        + "Sollen die aktive Datenbank und die Datenbank aus dem Kopierspeicher gesichert werden, "
        + "so muss zunächst die Datensicherung für die aktive Datenbank durchgeführt werden. "
        + blankLine
        + "Nun in der Centrova 2 die aktive Datenbank gegen die Datenbank aus dem Kopierspeicher tauschen "
        + "und erneut eine Datensicherung mit einem neuen Dateinamen durchführen. "
        + blankLine
        + "Durch das Übertragen einer Sicherungsdatei vom PC auf die CV-2 wird die aktive (sichtbare) Datenbank "
        + "überschrieben. Soll auch die zweite Sicherungsdatei vom PC auf die CV-2 übertragen werden, so muss "
        + "zunächst die zuerst übertragene Datenbank in den Kopierspeicher der CV-2 gelegt werden, bevor die zweite Sicherungsdatei übertragen wird. "
        + blankLine
        + "Es werden keine Sonderoptionen gesichert.";
    // clang-format on
}

}  // namespace cv2
