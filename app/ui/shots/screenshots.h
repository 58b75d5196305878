// Pictures of a backup and a restore under way for the user guide: the main
// window in the middle of a backup, the restore's questions and a failure box,
// drawn offscreen with the program's own texts.
#pragma once

#include <QDir>

namespace cv2 {

class MainWin;

// Saves the pictures into dir; false when one could not be written.
bool RenderProcedureScreenshots(const QDir& dir, MainWin& mainWin);

}  // namespace cv2
