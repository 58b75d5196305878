#include "app/ui/program.h"

#include "app/backup_procedure.h"
#include "device/keys.h"

namespace cv2 {

Program::Program(MessageBoxes& boxes, FileDialog& fileDialog, std::string settingsPath,
                 std::function<void()> quit)
    : boxes_(boxes),
      link_(comm1_, io_, clock_, pump_, boxes, settings_, ServiceKey),
      device_(link_),
      mainWin_(settings_, comm1_, boxes, fileDialog, std::move(settingsPath), std::move(quit)) {
    mainWin_.onReadDF = [this] { RunBackup(); };
    // The restore comes with its own procedure; until then its button does nothing.
}

void Program::RunBackup() {
    BackupProcedure(mainWin_, settings_, link_, device_, mainWin_.progress(), boxes_).Run();
}

}  // namespace cv2
