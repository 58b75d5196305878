// The program's icon, a database standing on a piece of track: drawn for the
// windows' title bars (16 px) and in larger sizes for task bars and the desktop.
#pragma once

#include <QIcon>

namespace cv2 {

QIcon ProgramIcon();

}  // namespace cv2
