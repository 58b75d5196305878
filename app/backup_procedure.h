// The backup: copies the station's database and FS module entries into the
// backup file, section by section in file order, showing each section in the
// status line; the first failing step ends the run with one message box.
#pragma once

#include "app/procedure_course.h"

namespace cv2 {

class BackupProcedure {
public:
    BackupProcedure(ProcedureHost& host, Settings& settings, Link& link, Device& device,
                    Progress& progress, MessageBoxes& boxes)
        : parts_{host, settings, link, device, progress, boxes} {}

    // The click on "Datenbank auf dem PC sichern": runs from the file choice
    // (when no file is set) to the closed port, on the caller's thread.
    ProcedureResult Run();

private:
    ProcedureParts parts_;
};

}  // namespace cv2
