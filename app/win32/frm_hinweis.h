// The notice window on the Win32 API: what a backup covers and how to back up
// and restore both databases of the station. Modal, owned by the main window,
// text only; closed with its close box (or Escape).
#pragma once

#include "app/win32/native_window.h"

namespace cv2 {

class FrmHinweis : public NativeWindow {
public:
    explicit FrmHinweis(HWND owner);
    ~FrmHinweis() override;

    // Shows the window with the owner disabled and returns when it is closed.
    void RunModal();
    // Ends RunModal as the close box does.
    void Close() { closed_ = true; }

    enum : int { kText1 = 401 };
    HWND control(int id) const { return GetDlgItem(hwnd(), id); }

protected:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The largest font size, from the designed one down, that shows the whole
    // text in the box without scrolling.
    void FitFont(HWND text);

    HWND owner_;
    HFONT font_ = nullptr;
    bool closed_ = false;
};

}  // namespace cv2
