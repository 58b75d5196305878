// The platform's file dialog as the file choice needs it: title, preset name,
// one filter entry, open or save; the chosen path, or empty on cancel.
#pragma once

#include <string>

namespace cv2 {

enum class FileDialogMode { Open, Save };

class FileDialog {
public:
    virtual ~FileDialog() = default;
    // filterDescription is shown ("CV2 Datenflash (*.CDF)"), filterPattern selects ("*.CDF").
    // Returns the full path, or an empty string when the user cancelled.
    virtual std::string Show(FileDialogMode mode, const std::string& title,
                             const std::string& presetName, const std::string& filterDescription,
                             const std::string& filterPattern) = 0;
};

}  // namespace cv2
