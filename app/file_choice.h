// Choosing the backup file through the platform's file dialog: open dialog for
// a restore, save dialog for a backup, one filter entry for the extension.
#pragma once

#include <string>

#include "platform/file_dialog.h"
#include "settings/settings.h"

namespace cv2 {

// Extension of backup files, without the dot.
inline constexpr const char* kBackupExtension = "CDF";
// DialogMode of the save dialog (any value other than 0).
constexpr int kDialogModeSave = 1;

// DialogMode 0: open dialog, otherwise save dialog; the dialog opens on
// currentName. Returns the chosen path, or "" when the user cancelled. Any other
// failure of the dialog is swallowed and currentName comes back unchanged.
std::string ChooseBackupFile(FileDialog& dialog, const std::string& extension, int DialogMode,
                             const std::string& currentName);

// The "Datei" menu's choice: a save dialog whose result, also an empty one,
// becomes BackupFileName.
void LoadMenuFileChoice(FileDialog& dialog, Settings& settings);

}  // namespace cv2
