// The restore: writes a backup file back into the station, section by section
// in file order, after the user has chosen the file and agreed to overwrite
// the active database. A file from another station is adapted to the target
// when the user agrees: its identity bytes and FS module key go into the data.
#pragma once

#include "app/procedure_course.h"
#include "platform/file_dialog.h"

namespace cv2 {

// Titles of the two questions a restore asks, so that a host without windows
// can tell them apart: the overwrite of the active database, and a file from
// a station with another serial number.
inline constexpr const char* kOverwriteQuestionTitle = "CV-2 - Sicherung";
inline constexpr const char* kOtherStationTitle = "Achtung";

// Reads the file a restore is to bring into the station and checks it in
// memory: Done with image filled, or FileUnusable with the reason (status
// 140099 when its version words are not valid). Nothing else reads it.
ProcedureResult LoadRestoreFile(const std::string& path, BackupImage& image);

class RestoreProcedure {
public:
    RestoreProcedure(ProcedureHost& host, Settings& settings, Link& link, Device& device,
                     Progress& progress, MessageBoxes& boxes, FileDialog& fileDialog)
        : parts_{host, settings, link, device, progress, boxes}, fileDialog_(fileDialog) {}

    // The click on "Datenbank in die CV2 übertragen": from the open dialog to
    // the closed port, on the caller's thread.
    ProcedureResult Run();

    // The file as the caller has read and checked it already (LoadRestoreFile),
    // so that it is read once: a pipe or FIFO gives its bytes only once.
    void UseLoadedFile(const BackupImage* image) { loaded_ = image; }

private:
    ProcedureParts parts_;
    FileDialog& fileDialog_;
    const BackupImage* loaded_ = nullptr;
};

}  // namespace cv2
