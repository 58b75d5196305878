// The backup and restore procedures wired to the simulated station on a fake clock, with a
// window stand-in that records what the procedure did to it.
#pragma once

#include <string>

#include "app/backup_procedure.h"
#include "app/restore_procedure.h"
#include "tests/support/fake_host.h"
#include "tests/transfer/station_rig.h"

namespace cv2::testing {

struct BackupRig : StationRig {
    explicit BackupRig(station::StationOptions options = InstantStation())
        : StationRig(std::move(options)) {
        settings.BackupFileName = path;
    }
    FakeFileDialog dialog;
    test::FakeHost host{settings, dialog, link};
    Progress progressDisplay{host};
    BackupProcedure backup{host, settings, link, device, progressDisplay, boxes};
    RestoreProcedure restore{host, settings, link, device, progressDisplay, boxes, dialog};

    // Restores the file at path, answering the file dialog with it.
    ProcedureResult Restore(const std::string& file) {
        dialog.answers.push_back(file);
        return restore.Run();
    }
};

}  // namespace cv2::testing
