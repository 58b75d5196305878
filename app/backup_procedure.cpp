#include "app/backup_procedure.h"

#include <cstdint>

#include "app/elapsed_time.h"
#include "transfer/backup_file.h"
#include "transfer/fs_module.h"
#include "transfer/section_readers.h"

namespace cv2 {

namespace {

constexpr const char* kFailureTitle = "Fehler beim Speichern der Datenbank";
constexpr const char* kDisplayGreeting = "Datenbank lesen";
constexpr std::int16_t kCursorColumn = 10;
constexpr std::int16_t kCursorRow = 50;
// Seconds to let the station settle after the bootloader start and before its end.
constexpr double kSettleAfterStart = 1.0;
constexpr double kSettleBeforeEnd = 0.5;

enum class Reader { IdTable, ExtraData, Group, Page, Route, FsModule };

// One step of the file: the status line text (nullptr keeps the previous one),
// the reader and its page range and layout.
struct Section {
    const char* text;
    Reader reader;
    std::int16_t firstPage, pageCount, perPage, tag, recordsPerRoute;
};

// In file order; the order is the file format.
constexpr Section kSections[] = {
    {" Datenbank Index", Reader::IdTable, 0, 0, 0, 0, 0},
    {" Zusatzdaten ", Reader::ExtraData, 0, 0, 0, 0, 0},
    {" Lokdaten ", Reader::Group, 7501, 500, 5, 0x00, 0},
    {" Keyboard Gruppen", Reader::Group, 7168, 64, 7, 0xC0, 0},
    {" Rückmelder Gruppen", Reader::Group, 7232, 64, 7, 0xE0, 0},
    {" TALIX Gruppen", Reader::Group, 7424, 64, 7, 0xD0, 0},
    {" Fahrstraßen Gruppen", Reader::Group, 7360, 64, 7, 0xF0, 0},
    {" Booster", Reader::Group, 7296, 64, 9, 0x88, 0},
    {" Magnetartikel", Reader::Page, 6400, 256, 32, 0, 0},
    {nullptr, Reader::Page, 6656, 256, 32, 0, 0},
    {" TALIX", Reader::Page, 6144, 256, 32, 0, 0},
    // Routes: 8 per page, 4 blocks apart, 3 blocks each.
    {" Fahrstraßen", Reader::Route, 6912, 256, 8, 4, 3},
    {nullptr, Reader::FsModule, 0, 0, 0, 0, 0},
};

void ReadSection(const Section& s, Device& device, BackupFile& file, StatusCode& Status) {
    switch (s.reader) {
        case Reader::IdTable:
            ReadIdTable(device, file, Status);
            break;
        case Reader::ExtraData:
            ReadExtraData(device, file, Status);
            break;
        case Reader::Group:
            ReadGroupSection(device, file, s.firstPage, s.pageCount, s.perPage, s.tag, Status);
            break;
        case Reader::Page:
            ReadPageSection(device, file, s.firstPage, s.pageCount, s.perPage, Status);
            break;
        case Reader::Route:
            ReadRouteSection(device, file, s.firstPage, s.pageCount, s.perPage, s.tag,
                             s.recordsPerRoute, Status);
            break;
        case Reader::FsModule:
            BackupFsModule(device, file, Status);
            break;
    }
}

}  // namespace

void BackupProcedure::Run() {
    if (settings_.BackupFileName.empty()) host_.LoadMenu();
    if (settings_.BackupFileName.empty()) return;

    host_.SetDateiMenuEnabled(false);
    const double start = link_.clock().Now();
    progress_.ResetProgress();
    host_.DisableButtons();

    StatusCode Status = 0;
    BackupFile file(progress_);
    // A step failed: the station's status, or the file could not be written.
    auto failed = [&] { return Status != 0 || file.failed(); };
    auto run = [&]() -> bool {
        Status = link_.OpenLink();
        if (failed()) return false;
        if (!file.Open(settings_.BackupFileName, BackupFile::Mode::ReadWrite)) return false;

        host_.SetComTxt(" Datenbank prüfen");
        device_.BootloaderStart(Status);
        if (failed()) return false;
        link_.rx().ClearFrames();
        link_.Pause(kSettleAfterStart);
        device_.DisplayClear(Status);
        if (failed()) return false;
        device_.DisplayCursor(kCursorColumn, kCursorRow, Status);
        if (failed()) return false;
        device_.DisplayText(kDisplayGreeting, Status);
        if (failed()) return false;

        double serial = 0;
        std::int16_t id3 = 0, id2 = 0, id1 = 0, id0 = 0;  // identity bytes: a restore's concern
        device_.ReadSerialNumber(serial, id3, id2, id1, id0, Status);
        if (failed()) return false;
        file.PutLong(static_cast<std::uint32_t>(serial));
        CheckDatabaseVersion(device_, file, kVersionModeBackup, Status);
        if (failed()) return false;

        for (const Section& section : kSections) {
            if (section.text) host_.SetComTxt(section.text);
            ReadSection(section, device_, file, Status);
            if (failed()) return false;
        }

        progress_.CompleteProgress();
        link_.Pause(kSettleBeforeEnd);
        device_.BootloaderEnd(Status);
        if (failed()) return false;
        file.Close();
        return !failed();
    };

    if (run()) {
        host_.EnableButtons();
        host_.SetComTxt(ElapsedTimeText(host_, ElapsedMinutes(start, link_.clock().Now())));
    } else {
        // The status line keeps the section that failed; the station stays in
        // its bootloader; what was written stays in the file.
        const std::string text = Status != 0 ? ErrorText(Status) : file.errorText();
        boxes_.Show(text, kFailureTitle, BoxButtons::Ok, BoxIcon::Critical);
        file.Close();
        host_.EnableButtons();
    }
    host_.SetDateiMenuEnabled(true);
    host_.ClosePort();
}

}  // namespace cv2
