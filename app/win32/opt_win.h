// The options window on the Win32 API: interface, baud rate and COM port.
// Modeless and without owner; while it is active the main window's transfer
// buttons are disabled. It shows the state of OptionsLogic and hands every
// click to it. Opening it, or moving to it from another window of the
// program, shows the settings afresh.
#pragma once

#include <array>

#include "app/win32/native_window.h"
#include "settings/options_logic.h"
#include "settings/settings.h"

namespace cv2 {

class MainWinLogic;

class OptWin : public NativeWindow {
public:
    explicit OptWin(MainWinLogic& mainWin);
    ~OptWin() override;

    // Shows and activates the window.
    void Open();
    const OptionsLogic& logic() const { return logic_; }

    // Control identifiers; the option buttons follow their first one by index.
    enum : int {
        kLabel1 = 301,
        kComPortTxT,
        kOK_But,
        kFrame1,
        kFrame2,
        kFrame3,
        kUpDevOpt = 320,
        kBdrtOpt = 330,
    };
    HWND control(int id) const { return GetDlgItem(hwnd(), id); }

protected:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void BuildControls();
    void Activate();
    void Mirror();
    void OkClicked();

    MainWinLogic& mainWin_;
    OptionsLogic logic_;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    bool mirroring_ = false;
};

}  // namespace cv2
