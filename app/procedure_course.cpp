#include "app/procedure_course.h"

#include "app/elapsed_time.h"
#include "device/error_text.h"

namespace cv2 {

namespace {

constexpr std::int16_t kCursorColumn = 10;
constexpr std::int16_t kCursorRow = 50;

}  // namespace

bool StartStation(ProcedureParts& parts, const char* greeting, StatusCode& Status) {
    parts.host.SetComTxt(" Datenbank prüfen");
    parts.device.BootloaderStart(Status);
    if (Status != 0) return false;
    parts.link.rx().ClearFrames();
    parts.link.Pause(kSettleAfterStart);
    parts.device.DisplayClear(Status);
    if (Status != 0) return false;
    parts.device.DisplayCursor(kCursorColumn, kCursorRow, Status);
    if (Status != 0) return false;
    parts.device.DisplayText(greeting, Status);
    return Status == 0;
}

bool FinishStation(ProcedureParts& parts, StatusCode& Status) {
    parts.progress.CompleteProgress();
    parts.link.Pause(kSettleBeforeEnd);
    parts.device.BootloaderEnd(Status);
    return Status == 0;
}

ProcedureResult ReportFailure(ProcedureParts& parts, const char* title, StatusCode Status,
                              const BackupFile& file, const std::string& note) {
    if (parts.link.cancellation().requested()) return {Outcome::Cancelled, Status, {}};
    ProcedureResult result{Outcome::Failed, Status, {}};
    if (Status == 0) {
        result.message = file.errorText();
    } else if (!parts.link.failureText().empty()) {
        result.message = parts.link.failureText();
    } else {
        result.message = ErrorText(Status);
    }
    if (!note.empty()) result.message += note + "\r";
    if (!parts.link.failureShown()) {
        parts.boxes.Show(result.message, title, BoxButtons::Ok, BoxIcon::Critical);
    }
    return result;
}

void ShowElapsedTime(ProcedureParts& parts, double start) {
    parts.host.SetComTxt(
        ElapsedTimeText(parts.host, ElapsedMinutes(start, parts.link.clock().Now())));
}

}  // namespace cv2
