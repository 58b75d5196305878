// The backup: copies the station's database and FS module entries into the
// backup file, section by section in file order, showing each section in the
// status line; the first failing step ends the run with one message box.
#pragma once

#include "app/procedure_host.h"
#include "app/progress.h"
#include "device/device.h"
#include "link/link.h"
#include "platform/message_box.h"
#include "settings/settings.h"

namespace cv2 {

class BackupProcedure {
public:
    BackupProcedure(ProcedureHost& host, Settings& settings, Link& link, Device& device,
                    Progress& progress, MessageBoxes& boxes)
        : host_(host),
          settings_(settings),
          link_(link),
          device_(device),
          progress_(progress),
          boxes_(boxes) {}

    // The click on "Datenbank auf dem PC sichern": runs from the file choice
    // (when no file is set) to the closed port, on the caller's thread.
    void Run();

private:
    ProcedureHost& host_;
    Settings& settings_;
    Link& link_;
    Device& device_;
    Progress& progress_;
    MessageBoxes& boxes_;
};

}  // namespace cv2
