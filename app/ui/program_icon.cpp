#include "app/ui/program_icon.h"

namespace cv2 {

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 256}) {
        icon.addFile(QString(":/icons/cv2sicherung-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace cv2
