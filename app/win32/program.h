// The window program put together on the Win32 API: the program below the
// windows (platform, link, device, the procedures) and the native main window
// over it, as the Qt program does with its own.
#pragma once

#include "app/win32/main_win.h"
#include "app/window_program.h"

namespace cv2 {

using Program = ProgramWith<MainWin>;

}  // namespace cv2
