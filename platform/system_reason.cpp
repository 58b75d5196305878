#include "platform/system_reason.h"

#include <cerrno>
#include <cstring>

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
        default:
            return std::strerror(err);
    }
}

}  // namespace cv2
