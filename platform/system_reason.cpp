#include "platform/system_reason.h"

#include <cerrno>

namespace cv2 {

std::string SystemReason(int err) {
    switch (err) {
        case ENOENT:
            return "Datei oder Ordner gibt es nicht";
        case EACCES:
        case EPERM:
            return "keine Berechtigung";
        case EISDIR:
            return "das ist ein Ordner";
        case ENOTDIR:
            return "ein Teil des Pfads ist kein Ordner";
        case ENOSPC:
            return "der Datenträger ist voll";
        case EROFS:
            return "der Datenträger ist schreibgeschützt";
        case EIO:
            return "Ein-/Ausgabefehler des Datenträgers";
        case EBADF:
            return "die Datei ist nicht geöffnet";
        case ENAMETOOLONG:
            return "der Name ist länger, als das System erlaubt";
        case ELOOP:
            return "die Verknüpfungen (symbolische Links) bilden einen Kreis";
        case ENXIO:
        case ENODEV:
            return "das Gerät gibt es nicht (nicht angeschlossen oder falscher Name)";
        case EBUSY:
        case ETXTBSY:
            return "die Datei ist belegt: ein anderes Programm benutzt sie";
        case ENOTTY:
            return "das ist keine serielle Schnittstelle";
        case EMFILE:
        case ENFILE:
            return "zu viele Dateien sind gleichzeitig geöffnet";
        case EFBIG:
            return "die Datei wird zu groß für den Datenträger";
#ifdef EDQUOT
        case EDQUOT:
            return "der Speicherplatz des Benutzers ist aufgebraucht";
#endif
        case ENOMEM:
            return "nicht genug Arbeitsspeicher";
        case EINTR:
            return "unterbrochen";
        default:
            // Said in the program's own words; the number lets a helper look it up.
            return "Fehler des Systems (Nummer " + std::to_string(err) + ")";
    }
}

}  // namespace cv2
