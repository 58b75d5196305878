#include "app/procedure_course.h"

#include "app/elapsed_time.h"
#include "device/error_text.h"

namespace cv2 {

namespace {

constexpr std::int16_t kCursorColumn = 10;
constexpr std::int16_t kCursorRow = 50;

constexpr const char* kPortRestrictionTitle = "CV2 Sicherung";

// How many answers a run gave up on, each after a whole reply wait.
std::string AnswersLostText(Device& device) {
    const int lost = device.frames().tally().repeats + 1;
    return std::to_string(lost) + " Antworten der Zentrale gingen verloren, jede nach " +
           std::to_string(static_cast<int>(kReplyWaitSeconds)) + " Sekunden Wartezeit.\r";
}

}  // namespace

bool StartStation(ProcedureParts& parts, const char* greeting, StatusCode& Status) {
    parts.host.SetComTxt(" Datenbank prüfen");
    // A run counts what it meets on the bus afresh.
    parts.device.frames().tally() = {};
    parts.device.BootloaderStart(Status);
    if (Status != 0) return false;
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
    // Whatever step met it, a broken connection to the server ended the run.
    if (Status != 0 && parts.link.failure() == LinkFailure::Broken) {
        Status += Code(Detail::ServerBroken) - DetailOf(Status);
    }
    ProcedureResult result{Outcome::Failed, Status, {}};
    if (Status == 0) {
        result.message = file.errorText();
    } else if (parts.link.failure() == LinkFailure::Broken) {
        result.message = ErrorText(Status) + parts.link.failureText() + "\r";
    } else if (!parts.link.failureText().empty()) {
        result.message = parts.link.failureText();
    } else {
        result.message = ErrorText(Status);
        if (Status % 100 == kAnswersLost) result.message += AnswersLostText(parts.device);
    }
    if (!note.empty()) result.message += note + "\r";
    if (parts.link.failure() == LinkFailure::PortRestricted) {
        // The interface's port restriction is a hint rather than a failure of
        // the run: a box of its own, in place of the failure box.
        parts.boxes.Show(result.message, kPortRestrictionTitle, BoxButtons::Ok,
                         BoxIcon::Exclamation);
    } else {
        parts.boxes.Show(result.message, title, BoxButtons::Ok, BoxIcon::Critical);
    }
    return result;
}

void ShowElapsedTime(ProcedureParts& parts, double start) {
    parts.host.SetComTxt(
        ElapsedTimeText(parts.host, ElapsedMinutes(start, parts.link.clock().Now())));
}

}  // namespace cv2
