// What the backup and restore procedures need of the main window: the status
// line, the buttons and menu, the port, and the file choice. The window
// implements it; tests and the command-line tool supply their own.
#pragma once

#include <string>

namespace cv2 {

class ProcedureHost {
public:
    virtual ~ProcedureHost() = default;
    virtual void DisableButtons() = 0;
    virtual void EnableButtons() = 0;
    virtual void SetDateiMenuEnabled(bool enabled) = 0;
    virtual void ClosePort() = 0;
    // The status line ComTxt (UTF-8).
    virtual void SetComTxt(const std::string& text) = 0;
    // The "Datei" file choice: save dialog, result into BackupFileName, label refreshed.
    virtual void LoadMenu() = 0;
    // A number in the general number format of the user's locale (no fixed
    // decimals; a German system writes a decimal comma), for the elapsed time.
    virtual std::string FormatNumber(double value) = 0;
};

}  // namespace cv2
