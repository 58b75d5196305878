// The window program put together on the Win32 API: the program below the
// windows (platform, link, device, the procedures) and the native main window
// over it, as the Qt program does with its own.
#pragma once

#include <functional>
#include <string>

#include "app/win32/main_win.h"
#include "app/window_program.h"

namespace cv2 {

class Program {
public:
    // The dialogs come from outside so a test can answer them; keys are the
    // station's keys for every command; quit ends the program after the
    // settings file is written.
    Program(MessageBoxes& boxes, FileDialog& fileDialog, std::string settingsPath,
            const KeyTable& keys, std::function<void()> quit);

    MainWin& mainWin() { return mainWin_; }
    Settings& settings() { return core_.settings(); }
    Link& link() { return core_.link(); }
    void EndRequested() { core_.EndRequested(); }

private:
    WindowProgram core_;
    MainWin mainWin_;
};

}  // namespace cv2
