#include "app/restore_procedure.h"

#include <cstdint>

#include "app/file_choice.h"
#include "app/procedure_texts.h"
#include "device/error_text.h"
#include "transfer/fs_module.h"
#include "transfer/section_readers.h"
#include "transfer/section_writers.h"

namespace cv2 {

namespace {

constexpr const char* kDisplayGreeting = "Datenbank schreiben";

struct Patch {
    std::int16_t bytes[4] = {kNoIdentityPatch, kNoIdentityPatch, kNoIdentityPatch,
                             kNoIdentityPatch};
    std::int32_t routeKey = kNoRoutePatch;
};

void WriteSection(const Section& s, const Patch& patch, Device& device, BackupFile& file,
                  StatusCode& Status) {
    switch (s.kind) {
        case SectionKind::IdTable:
            WriteIdTable(device, file, patch.bytes[0], patch.bytes[1], patch.bytes[2],
                         patch.bytes[3], Status);
            break;
        case SectionKind::ExtraData:
            WriteExtraData(device, file, Status);
            break;
        case SectionKind::Group:
            WriteGroupSection(device, file, s, Status);
            break;
        case SectionKind::Page:
            WritePageSection(device, file, s, Status);
            break;
        case SectionKind::Route:
            WriteRouteSection(device, file, s, patch.routeKey, Status);
            break;
        case SectionKind::FsModule:
            RestoreFsModule(device, file, Status);
            break;
        case SectionKind::Serial:
        case SectionKind::VersionWords:
            break;
    }
}

}  // namespace

ProcedureResult LoadRestoreFile(const std::string& path, BackupImage& image) {
    image = LoadBackupImage(path);
    if (!image.error.empty()) return {Outcome::FileUnusable, 0, image.error};
    if (const StatusCode version = CheckImageVersion(image.bytes); version != 0) {
        return {Outcome::FileUnusable, version, ErrorText(version)};
    }
    return {};
}

ProcedureResult RestoreProcedure::Run() {
    ProcedureHost& host = parts_.host;
    Settings& settings = parts_.settings;
    settings.BackupFileName =
        ChooseBackupFile(fileDialog_, kBackupExtension, 0, settings.BackupFileName);
    if (settings.BackupFileName.empty()) return {Outcome::NoFile, 0, {}};

    // The file is read once, here, and checked in memory: what reaches the
    // station is what was checked, whatever happens to the file meanwhile. A
    // file that cannot be restored never puts the station into its bootloader.
    BackupImage image;
    if (loaded_) image = *loaded_;
    if (ProcedureResult refused =
            loaded_ ? ProcedureResult{} : LoadRestoreFile(settings.BackupFileName, image);
        refused.outcome != Outcome::Done) {
        parts_.boxes.Show(refused.message, kRestoreFailureTitle, BoxButtons::Ok, BoxIcon::Critical);
        return refused;
    }
    if (parts_.boxes.Show(kOverwriteQuestion, kOverwriteQuestionTitle, BoxButtons::YesNo,
                          BoxIcon::None) != BoxAnswer::Yes) {
        return {Outcome::Declined, 0, {}};
    }

    const double start = parts_.link.clock().Now();
    parts_.progress.ResetProgress();
    host.DisableButtons();

    StatusCode Status = 0;
    BackupFile file(parts_.progress);
    bool declined = false;
    std::uint32_t fileSerial = 0, stationSerial = 0;
    auto failed = [&] { return Status != 0 || file.failed(); };
    auto run = [&]() -> bool {
        Status = parts_.link.OpenLink(LinkConfigOf(settings));
        if (failed()) return false;
        file.OpenMemory(image.bytes);
        if (!StartStation(parts_, kDisplayGreeting, Status) || failed()) return false;

        double serial = 0;
        Patch patch;
        std::int16_t station[4] = {};
        parts_.device.ReadSerialNumber(serial, station[0], station[1], station[2], station[3],
                                       Status);
        if (failed()) return false;
        fileSerial = file.GetLong();
        stationSerial = static_cast<std::uint32_t>(serial);
        if (static_cast<double>(fileSerial) != serial) {
            if (parts_.boxes.Show(kOtherStationQuestion, kOtherStationTitle, BoxButtons::YesNo,
                                  BoxIcon::Critical) != BoxAnswer::Yes) {
                declined = true;
                return false;
            }
            ReadFsModuleKey(parts_.device, patch.routeKey, Status);
            if (failed()) return false;
            for (int i = 0; i < 4; ++i) patch.bytes[i] = station[i];
        }
        CheckDatabaseVersion(parts_.device, file, VersionMode::Restore, Status);
        if (failed()) return false;
        CheckFileVersion(file, Status);
        if (failed()) return false;

        const bool sections = ForEachSection(host, true, [&](const Section& section) {
            WriteSection(section, patch, parts_.device, file, Status);
            return !failed();
        });
        return sections && FinishStation(parts_, Status) && !failed();
    };

    ProcedureResult result;
    if (run()) {
        file.Close();
        host.EnableButtons();
        ShowElapsedTime(parts_, start);
    } else {
        // The station keeps what was written up to the failure and stays in its
        // bootloader; a declined file from another station ends without a box.
        if (declined && !parts_.link.cancellation().requested()) {
            result = {Outcome::Declined, 0, {}};
        } else {
            result = ReportFailure(parts_, kRestoreFailureTitle, Status, file);
        }
        file.Close();
        host.EnableButtons();
    }
    host.ClosePort();
    result.fileSerial = fileSerial;
    result.stationSerial = stationSerial;
    return result;
}

}  // namespace cv2
