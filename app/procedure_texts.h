// The failure titles and the restore's questions, in one place for the
// procedures and for the pictures of the user guide (the questions' titles are
// beside the restore).
#pragma once

namespace cv2 {

inline constexpr const char* kBackupFailureTitle = "Fehler beim Speichern der Datenbank";
inline constexpr const char* kRestoreFailureTitle = "Fehler beim Laden der Datenbank";
inline constexpr const char* kOverwriteQuestion =
    " Soll die aktive Datenbank in der CV-2 überschrieben werden?";
inline constexpr const char* kOtherStationQuestion =
    "Die CentrovaII hat eine andere Serienummer, \r"
    "wie die im Datenfile abgespeicherte Seriennummer!\r"
    " Sollen die Daten in dieser Centrova überschrieben werden? ";

}  // namespace cv2
