// The open and save dialogs over QFileDialog: title, preset file, one filter;
// no overwrite question, no existence check, no default extension.
#pragma once

#include "platform/file_dialog.h"

namespace cv2 {

class QtFileDialog : public FileDialog {
public:
    std::string Show(FileDialogMode mode, const std::string& title, const std::string& presetName,
                     const std::string& filterDescription,
                     const std::string& filterPattern) override;
};

}  // namespace cv2
