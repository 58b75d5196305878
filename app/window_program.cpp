#include "app/window_program.h"

#include "app/backup_procedure.h"
#include "app/restore_procedure.h"
#include "platform/message_box.h"
#include "settings/settings_file.h"

namespace cv2 {

namespace {

constexpr const char* kProgramTitle = "CV2 Sicherung";

}  // namespace

void LoadSettingsAtStart(const std::string& path, Settings& settings, MessageBoxes& boxes) {
    if (const SettingsLoad load = LoadSettings(path, settings); !load.refused.empty()) {
        boxes.Show("Die Einstellungsdatei " + path + " nennt eine Schnittstelle, die es nicht " +
                       "geben kann.\r" + load.refused,
                   kProgramTitle, BoxButtons::Ok, BoxIcon::Exclamation);
    }
}

WindowProgram::WindowProgram(MessageBoxes& boxes, FileDialog& fileDialog, const KeyTable& keys)
    : boxes_(boxes),
      fileDialog_(fileDialog),
      keys_(keys),
      link_(ports_, platform_->io(), platform_->clock(), platform_->events()),
      device_(link_, keys_) {}

void WindowProgram::EndRequested() {
    link_.cancellation().Request();
    if (window_ && !window_->ProcedureRunning()) window_->SaveSettingsAndQuit();
}

void WindowProgram::EndIfRequested() {
    // Only an end request cancels a run (the signal handler itself, before the
    // event loop passes the request on), and nothing takes it back.
    if (link_.cancellation().requested()) window_->SaveSettingsAndQuit();
}

void WindowProgram::RunBackup() {
    BackupProcedure(*window_, settings_, link_, device_, window_->progress(), boxes_).Run();
    EndIfRequested();
}

void WindowProgram::RunRestore() {
    RestoreProcedure(*window_, settings_, link_, device_, window_->progress(), boxes_, fileDialog_)
        .Run();
    // The chosen file is the one in use now: the label names it.
    window_->ShowSettings();
    EndIfRequested();
}

}  // namespace cv2
