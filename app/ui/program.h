// The window program put together: the system's clock, event processing and
// serial port, the link and device layers over them, the main window, and the backup
// behind its button. main() and the end-to-end test build the same thing.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/ui/main_win.h"
#include "device/device.h"
#include "link/link.h"
#include "platform/platform_stack.h"
#include "settings/settings.h"

namespace cv2 {

class FileDialog;
class MessageBoxes;

class Program {
public:
    // The dialogs come from outside so a test can answer them; keys are the
    // station's keys for every command; quit ends the program after the
    // settings file is written.
    Program(MessageBoxes& boxes, FileDialog& fileDialog, std::string settingsPath,
            const KeyTable& keys, std::function<void()> quit);

    MainWin& mainWin() { return mainWin_; }
    Settings& settings() { return settings_; }
    Link& link() { return link_; }

    // The system asks the program to end (SIGTERM, SIGHUP, the session ends):
    // a transfer in progress is cancelled and ends through its own course
    // (port closed, a backup's old file whole); then, or at once when idle,
    // the settings are saved and the program ends.
    void EndRequested();

private:
    void RunBackup();
    void RunRestore();
    // After a transfer: an end requested meanwhile is carried out now.
    void EndIfRequested();

    MessageBoxes& boxes_;
    FileDialog& fileDialog_;
    std::unique_ptr<PlatformStack> platform_ = MakePlatformStack();
    Settings settings_;
    KeyTable keys_;
    Link link_;
    Device device_;
    MainWin mainWin_;
    bool endRequested_ = false;
};

}  // namespace cv2
