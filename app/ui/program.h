// The window program put together: the program below the windows (platform,
// link, device, the procedures) and the Qt main window over it. main() and the
// end-to-end test build the same thing.
#pragma once

#include "app/ui/main_win.h"
#include "app/window_program.h"

namespace cv2 {

using Program = ProgramWith<MainWin>;

}  // namespace cv2
