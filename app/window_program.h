// The window program below its windows: the system's platform stack, the
// settings, the link and device layers, and the backup and restore run from
// the main window's buttons. Each toolkit's program puts its main window on
// top, which runs RunBackup and RunRestore through its ProcedureGuard.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "app/procedure_guard.h"
#include "app/procedure_host.h"
#include "app/progress.h"
#include "device/device.h"
#include "link/link.h"
#include "link/port_switch.h"
#include "platform/platform_stack.h"
#include "settings/settings.h"

namespace cv2 {

class FileDialog;
class MessageBoxes;

// What the program needs of its main window beyond what the procedures need.
class MainWindow : public ProcedureHost {
public:
    virtual void ShowSettings() = 0;
    // Writes the settings file and ends the program; does not return in the program.
    virtual void SaveSettingsAndQuit() = 0;
    virtual Progress& progress() = 0;
    virtual bool ProcedureRunning() const = 0;
};

// The settings file read at start-up into settings; a port name that was
// refused while reading it is told in a box (the default port is in use).
void LoadSettingsAtStart(const std::string& path, Settings& settings, MessageBoxes& boxes);

class WindowProgram {
public:
    // The dialogs come from outside so a test can answer them; keys are the
    // station's keys for every command.
    WindowProgram(MessageBoxes& boxes, FileDialog& fileDialog, const KeyTable& keys);

    // The main window, once it is built over settings() and comm1().
    void Attach(MainWindow& window) { window_ = &window; }

    Settings& settings() { return settings_; }
    Link& link() { return link_; }
    // The port the link drives: the serial port, or a LocoNet server over TCP.
    SerialControl& comm1() { return ports_; }

    // The clicks of ReadDF_But and WriteDF_But.
    void RunBackup();
    void RunRestore();

    // The system asks the program to end (a signal, the session ends): a
    // transfer in progress is cancelled and ends through its own course (port
    // closed, a backup's old file whole); then, or at once when idle, the
    // settings are saved and the program ends.
    void EndRequested();

private:
    // After a transfer: an end requested meanwhile is carried out now.
    void EndIfRequested();

    MessageBoxes& boxes_;
    FileDialog& fileDialog_;
    std::unique_ptr<PlatformStack> platform_ = MakePlatformStack();
    PortSwitch ports_{platform_->comm1(), platform_->socket(), platform_->clock(),
                      platform_->events()};
    Settings settings_;
    KeyTable keys_;
    Link link_;
    Device device_;
    MainWindow* window_ = nullptr;
};

// A window program: the program below the windows with the main window Window
// on top, built over its settings and serial port, its transfer buttons
// running the procedures. Window is built from (settings, comm1, boxes,
// fileDialog, settingsPath, quit) and has its MainWinLogic as logic().
template <class Window>
class ProgramWith {
public:
    // The dialogs come from outside so a test can answer them; keys are the
    // station's keys for every command; quit ends the program after the
    // settings file is written.
    ProgramWith(MessageBoxes& boxes, FileDialog& fileDialog, std::string settingsPath,
                const KeyTable& keys, std::function<void()> quit)
        : core_(boxes, fileDialog, keys),
          mainWin_(core_.settings(), core_.comm1(), boxes, fileDialog, std::move(settingsPath),
                   std::move(quit)) {
        core_.Attach(mainWin_.logic());
        mainWin_.logic().onReadDF = [this] { core_.RunBackup(); };
        mainWin_.logic().onWriteDF = [this] { core_.RunRestore(); };
    }

    Window& mainWin() { return mainWin_; }
    Settings& settings() { return core_.settings(); }
    Link& link() { return core_.link(); }
    void EndRequested() { core_.EndRequested(); }

private:
    WindowProgram core_;
    Window mainWin_;
};

}  // namespace cv2
