// The backup: copies the station's database and FS module entries into the
// backup file, section by section in file order, showing each section in the
// status line; the first failing step ends the run with one message box.
#pragma once

#include <cstdint>
#include <vector>

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

    // Later runs read the station into image instead of the backup file (no
    // file choice, nothing written to disk); nullptr goes back to the file.
    void ReadIntoMemory(std::vector<std::uint8_t>* image) { image_ = image; }

private:
    ProcedureParts parts_;
    std::vector<std::uint8_t>* image_ = nullptr;
};

}  // namespace cv2
