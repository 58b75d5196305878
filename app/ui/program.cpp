#include "app/ui/program.h"

#include "app/backup_procedure.h"
#include "app/restore_procedure.h"

namespace cv2 {

Program::Program(MessageBoxes& boxes, FileDialog& fileDialog, std::string settingsPath,
                 const KeyTable& keys, std::function<void()> quit)
    : boxes_(boxes),
      fileDialog_(fileDialog),
      keys_(keys),
      link_(platform_->comm1(), platform_->io(), platform_->clock(), platform_->events(), boxes,
            settings_, keys_.ServiceKey),
      device_(link_, keys_),
      mainWin_(settings_, platform_->comm1(), boxes, fileDialog, std::move(settingsPath), std::move(quit)) {
    mainWin_.onReadDF = [this] { RunBackup(); };
    mainWin_.onWriteDF = [this] { RunRestore(); };
}

void Program::EndRequested() {
    endRequested_ = true;
    link_.cancellation().Request();
    if (!mainWin_.ProcedureRunning()) mainWin_.SaveSettingsAndQuit();
}

void Program::EndIfRequested() {
    // The signal handler cancels the run itself, before the event loop passes
    // the request on: a cancelled run is an end requested.
    if (endRequested_ || link_.cancellation().requested()) mainWin_.SaveSettingsAndQuit();
}

void Program::RunBackup() {
    BackupProcedure(mainWin_, settings_, link_, device_, mainWin_.progress(), boxes_).Run();
    EndIfRequested();
}

void Program::RunRestore() {
    RestoreProcedure(mainWin_, settings_, link_, device_, mainWin_.progress(), boxes_, fileDialog_)
        .Run();
    // The chosen file is the one in use now: the label names it.
    mainWin_.ShowSettings();
    EndIfRequested();
}

}  // namespace cv2
