#include "app/ui/program.h"

namespace cv2 {

Program::Program(MessageBoxes& boxes, FileDialog& fileDialog, std::string settingsPath,
                 const KeyTable& keys, std::function<void()> quit)
    : core_(boxes, fileDialog, keys),
      mainWin_(core_.settings(), core_.comm1(), boxes, fileDialog, std::move(settingsPath),
               std::move(quit)) {
    core_.Attach(mainWin_);
    mainWin_.onReadDF = [this] { core_.RunBackup(); };
    mainWin_.onWriteDF = [this] { core_.RunRestore(); };
}

}  // namespace cv2
