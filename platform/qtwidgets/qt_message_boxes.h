// Message boxes over QMessageBox, shown over the active window. Their standard
// buttons speak German once Qt's German translation is installed.
#pragma once

#include "platform/message_box.h"

namespace cv2 {

class QtMessageBoxes : public MessageBoxes {
public:
    BoxAnswer Show(const std::string& text, const std::string& title, BoxButtons buttons,
                   BoxIcon icon) override;
};

}  // namespace cv2
