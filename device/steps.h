// The steps of a run that a status code names, step * 10000 of
// step * 10000 + kind * 100 + detail, each with the text its message begins
// with: one table for the codes the commands and sections add and for the
// words ErrorText and the user guide give them.
#pragma once

#include <string_view>

#include "device/error_table.h"
#include "device/status.h"

namespace cv2 {

enum class Step : int {
    None = 0,        // the extra data: a failing command's own code is left
    DatabaseId = 1,  // the station's version words
    LongData = 2,
    SerialNumber = 10,
    BootloaderStart = 11,
    BootloaderEnd = 12,
    DatabaseVersion = 13,
    FileVersion = 14,  // the backup file's version words
    DisplayClear = 15,
    DisplayCursor = 16,
    DisplayText = 17,
    ReadLongData = 21,  // group sections (locomotives, groups, boosters)
    WriteLongData = 22,
    ReadShortData = 23,  // routes
    WriteShortData = 24,
    ReadPage = 25,  // page sections (accessories, feedback, TALIX)
    WritePage = 26,
    ReadIdTable = 27,
    WriteIdTable = 28,
    FsProgOn = 30,
    FsRead = 31,
    FsWrite = 32,
    FsProgOff = 33,
};

inline constexpr ErrorField kStepTable[] = {
    {static_cast<int>(Step::DatabaseId), "Datenbank ID lesen : "},
    {static_cast<int>(Step::LongData), "lange Datensätze lesen : "},
    {static_cast<int>(Step::SerialNumber), "Seriennummer lesen:"},
    {static_cast<int>(Step::BootloaderStart), "Bootloader starten:"},
    {static_cast<int>(Step::BootloaderEnd), "Bootloader beenden:"},
    {static_cast<int>(Step::DatabaseVersion), "Datenbank Version CVII:"},
    {static_cast<int>(Step::FileVersion), "Datenbank Version im Backup File:"},
    {static_cast<int>(Step::DisplayClear), "Display löschen:"},
    {static_cast<int>(Step::DisplayCursor), "Displaycurser setzen:"},
    {static_cast<int>(Step::DisplayText), "Displaytext schreiben:"},
    {static_cast<int>(Step::ReadLongData), "Read LongData:"},
    {static_cast<int>(Step::WriteLongData), "Write LongData:"},
    {static_cast<int>(Step::ReadShortData), "Read ShortData:"},
    {static_cast<int>(Step::WriteShortData), "Write ShortData:"},
    {static_cast<int>(Step::ReadPage), "Read Page:"},
    {static_cast<int>(Step::WritePage), "Write Page:"},
    {static_cast<int>(Step::ReadIdTable), "Read ID Tab.:"},
    {static_cast<int>(Step::WriteIdTable), "Write ID Tab.:"},
    {static_cast<int>(Step::FsProgOn), "FS Modul Prog. on:"},
    {static_cast<int>(Step::FsRead), "FS Modul Read :"},
    {static_cast<int>(Step::FsWrite), "FS Modul Write :"},
    {static_cast<int>(Step::FsProgOff), "FS Modul Prog. off:"},
};

// The step's part of a status code.
constexpr StatusCode StepCode(Step step) { return static_cast<StatusCode>(step) * 10000; }
// The step a status code names (0 for none).
constexpr int StepOf(StatusCode status) { return status / 10000; }

// A command that failed inside a step carries that step in its code; a
// status of 0 stays 0.
constexpr void AddStep(Step step, StatusCode& Status) {
    if (Status != 0) Status += StepCode(step);
}

}  // namespace cv2
