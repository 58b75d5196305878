#include "app/win32/program.h"

namespace cv2 {

Program::Program(MessageBoxes& boxes, FileDialog& fileDialog, std::string settingsPath,
                 const KeyTable& keys, std::function<void()> quit)
    : core_(boxes, fileDialog, keys),
      mainWin_(core_.settings(), core_.comm1(), fileDialog, std::move(settingsPath),
               std::move(quit)) {
    core_.Attach(mainWin_);
    mainWin_.onReadDF = [this] { core_.RunBackup(); };
    mainWin_.onWriteDF = [this] { core_.RunRestore(); };
    mainWin_.onEndSession = [this] { core_.EndRequested(); };
}

}  // namespace cv2
