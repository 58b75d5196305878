#include "app/file_choice.h"

namespace cv2 {

std::string ChooseBackupFile(FileDialog& dialog, const std::string& extension, int DialogMode,
                             const std::string& currentName) {
    const bool open = DialogMode == 0;
    const std::string title = open ? "Sicherungsdatei öffnen..." : "Sicherungsdatei speichern...";
    const std::string pattern = "*." + extension;
    try {
        return dialog.Show(open ? FileDialogMode::Open : FileDialogMode::Save, title, currentName,
                           "CV2 Datenflash (" + pattern + ")", pattern);
    } catch (...) {
        // A dialog that fails leaves the file name as it was.
        return currentName;
    }
}

void LoadMenuFileChoice(FileDialog& dialog, Settings& settings) {
    settings.BackupFileName =
        ChooseBackupFile(dialog, kBackupExtension, kDialogModeSave, settings.BackupFileName);
}

}  // namespace cv2
