// The message boxes and the open and save dialogs on the Win32 API, for a
// window program: each modal to the owner window (none: to the program).
#pragma once

#include <windows.h>

#include "platform/file_dialog.h"
#include "platform/message_box.h"

namespace cv2 {

class Win32MessageBoxes : public MessageBoxes {
public:
    explicit Win32MessageBoxes(HWND owner = nullptr) : owner_(owner) {}
    // The window the boxes are modal to, once it exists.
    void SetOwner(HWND owner) { owner_ = owner; }
    BoxAnswer Show(const std::string& text, const std::string& title, BoxButtons buttons,
                   BoxIcon icon) override;

private:
    HWND owner_;
};

class Win32FileDialog : public FileDialog {
public:
    explicit Win32FileDialog(HWND owner = nullptr) : owner_(owner) {}
    void SetOwner(HWND owner) { owner_ = owner; }
    std::string Show(FileDialogMode mode, const std::string& title, const std::string& presetName,
                     const std::string& filterDescription,
                     const std::string& filterPattern) override;

private:
    HWND owner_;
};

}  // namespace cv2
