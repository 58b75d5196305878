#include "app/backup_procedure.h"

#include <cstdint>
#include <string>

#include "app/procedure_texts.h"
#include "transfer/fs_module.h"
#include "transfer/section_readers.h"

namespace cv2 {

namespace {

constexpr const char* kDisplayGreeting = "Datenbank lesen";

// Under the failure of the bootloader's end, what became of the backup.
std::string SavedNote(const std::string& path) {
    return "Die Sicherung ist vollständig in " + path +
           " gespeichert. Die CV2 ist vielleicht noch im Bootloader: bitte aus- und wieder "
           "einschalten.";
}

void ReadSection(const Section& s, Device& device, BackupFile& file, StatusCode& Status) {
    switch (s.kind) {
        case SectionKind::IdTable:
            ReadIdTable(device, file, Status);
            break;
        case SectionKind::ExtraData:
            ReadExtraData(device, file, Status);
            break;
        case SectionKind::Group:
            ReadGroupSection(device, file, s, Status);
            break;
        case SectionKind::Page:
            ReadPageSection(device, file, s, Status);
            break;
        case SectionKind::Route:
            ReadRouteSection(device, file, s, Status);
            break;
        case SectionKind::FsModule:
            BackupFsModule(device, file, Status);
            break;
        case SectionKind::Serial:
        case SectionKind::VersionWords:
            break;
    }
}

}  // namespace

ProcedureResult BackupProcedure::Run() {
    ProcedureHost& host = parts_.host;
    Settings& settings = parts_.settings;
    if (!image_ && settings.BackupFileName.empty()) host.LoadMenu();
    if (!image_ && settings.BackupFileName.empty()) return {Outcome::NoFile, 0, {}};

    host.SetDateiMenuEnabled(false);
    const double start = parts_.link.clock().Now();
    parts_.progress.ResetProgress();
    host.DisableButtons();

    StatusCode Status = 0;
    BackupFile file(parts_.progress);
    std::string endNote;  // what became of a complete backup whose bootloader end failed
    // A step failed: the station's status, or the file could not be written.
    auto failed = [&] { return Status != 0 || file.failed(); };
    auto run = [&]() -> bool {
        Status = parts_.link.OpenLink(LinkConfigOf(settings));
        if (failed()) return false;
        if (image_) {
            image_->clear();
            file.OpenMemory(*image_);
        } else if (!file.Open(settings.BackupFileName)) {
            return false;
        }
        if (!StartStation(parts_, kDisplayGreeting, Status) || failed()) return false;

        double serial = 0;
        std::int16_t id3 = 0, id2 = 0, id1 = 0, id0 = 0;  // identity bytes: a restore's concern
        parts_.device.ReadSerialNumber(serial, id3, id2, id1, id0, Status);
        if (failed()) return false;
        file.PutLong(static_cast<std::uint32_t>(serial));
        CheckDatabaseVersion(parts_.device, file, VersionMode::Backup, Status);
        if (failed()) return false;

        const bool sections = ForEachSection(host, false, [&](const Section& section) {
            ReadSection(section, parts_.device, file, Status);
            return !failed();
        });
        if (!sections) return false;
        if (!FinishStation(parts_, Status)) {
            // Every section is read: the backup is complete and right, only the
            // station did not leave its bootloader. It is kept, and the run
            // still fails so that the station is seen to.
            if (!image_ && !parts_.link.cancellation().requested()) {
                endNote = file.Commit() ? SavedNote(settings.BackupFileName) : file.errorText();
            }
            return false;
        }
        // Only a complete run takes the place of the file that was there.
        return !failed() && file.Commit();
    };

    ProcedureResult result;
    if (run()) {
        host.EnableButtons();
        ShowElapsedTime(parts_, start);
    } else {
        // The status line keeps the section that failed; the station stays in
        // its bootloader; the file keeps what it held before the run, unless
        // only the bootloader's end failed after a complete backup.
        result = ReportFailure(parts_, kBackupFailureTitle, Status, file, endNote);
        file.Close();
        host.EnableButtons();
    }
    host.SetDateiMenuEnabled(true);
    host.ClosePort();
    return result;
}

}  // namespace cv2
