// What the backup and the restore have in common: the parts they drive, how a
// run ended (for the window nothing more than a box, for the command-line tool
// its exit code), the station's start and end around the sections, the walk
// over the file's sections, and the one failure box.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/procedure_host.h"
#include "app/progress.h"
#include "device/device.h"
#include "link/link.h"
#include "platform/message_box.h"
#include "settings/settings.h"
#include "transfer/backup_file.h"
#include "transfer/file_layout.h"

namespace cv2 {

enum class Outcome {
    Done,          // every step succeeded
    NoFile,        // no file chosen: nothing happened
    Declined,      // the user answered No: nothing was written
    FileUnusable,  // the file is not a complete backup: nothing reached the station
    Failed,        // a step failed; status and message say which
    Cancelled,     // ended from outside (Ctrl-C, the system ending the program)
};

struct ProcedureResult {
    Outcome outcome = Outcome::Done;
    StatusCode status = 0;
    std::string message;  // the failure box's text (CR between lines)
    // A restore that compared serial numbers: the file's and the station's.
    std::uint32_t fileSerial = 0, stationSerial = 0;
};

struct ProcedureParts {
    ProcedureHost& host;
    Settings& settings;
    Link& link;
    Device& device;
    Progress& progress;
    MessageBoxes& boxes;
};

// Seconds to let the station settle after the bootloader start and before its end.
inline constexpr double kSettleAfterStart = 1.0;
inline constexpr double kSettleBeforeEnd = 0.5;

// Bootloader start, a cleared receive buffer, the settle pause and the
// greeting on the station's display. False at the first failing command.
bool StartStation(ProcedureParts& parts, const char* greeting, StatusCode& Status);
// Full bar, the settle pause and the bootloader's end.
bool FinishStation(ProcedureParts& parts, StatusCode& Status);

// Runs step for every section behind the version words, in file order, after
// showing its status text (the backup's or the restore's; an empty one keeps
// the line as it is). Stops when step returns false.
template <typename Step>
bool ForEachSection(ProcedureHost& host, bool restore, Step step) {
    for (const Section& section : kFileLayout) {
        if (section.kind == SectionKind::Serial || section.kind == SectionKind::VersionWords) {
            continue;
        }
        const std::string_view text = restore ? section.restoreText : section.backupText;
        if (!text.empty()) host.SetComTxt(std::string(text));
        if (!step(section)) return false;
    }
    return true;
}

// The failure path's box: the link's own account of a port it could not set
// up (the serial interface's port restriction as a hint box of its own), the
// file's system error, or the status code's text, with note (if any) on a line
// of its own below. No box for a run cancelled from outside: nobody is waiting
// to read it.
ProcedureResult ReportFailure(ProcedureParts& parts, const char* title, StatusCode Status,
                              const BackupFile& file, const std::string& note = {});

// The elapsed minutes since start in the status line.
void ShowElapsedTime(ProcedureParts& parts, double start);

}  // namespace cv2
