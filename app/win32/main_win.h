// The main window on the Win32 API: the settings in use, the two transfer
// buttons, the status line, the progress bar and the menus, as native
// controls. What they do is MainWinLogic's; the window creates, lays out and
// paints them.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/main_win_logic.h"
#include "app/win32/native_window.h"

namespace cv2 {

class FileDialog;
class MessageBoxes;
class OptWin;
class SerialControl;

class MainWin : public NativeWindow, public MainWinView {
public:
    // quit ends the program; it is called right after the settings file is
    // written and in the program never returns.
    MainWin(Settings& settings, SerialControl& comm1, MessageBoxes& boxes, FileDialog& fileDialog,
            std::string settingsPath, std::function<void()> quit);
    ~MainWin() override;

    MainWinLogic& logic() { return logic_; }
    // The session ends (log-off, shut-down).
    std::function<void()> onEndSession;

    // Shows the window and gives the focus to ReadDF_But.
    void Show(int showCommand);
    // Opens the options window, modeless and without owner.
    OptWin& ShowOptions();

    // The controls, for the tests.
    HWND control(int id) const { return GetDlgItem(hwnd(), id); }
    int barWidth() const { return barWidth_; }
    const std::wstring& percentText() const { return percentText_; }

    // MainWinView: the windows it opens, the texts and enabled states of the
    // controls, and the bar, which is painted with the window (the two calls
    // redraw its area).
    void OpenOptions() override { ShowOptions(); }
    void OpenNotice() override;
    void SetCaption(const std::string& text) override;
    void SetLabel(MainWinLabel label, const std::string& text) override;
    // Enabled again, the first button takes the focus when no control of the
    // window holds it (a disabled button lost it).
    void SetButtonsEnabled(bool enabled) override;
    void SetDateiMenuEnabled(bool enabled) override;
    void SetBarWidth(double twips) override;
    void SetPercentText(const std::string& text) override;

    // Control and menu identifiers.
    enum : int {
        kLabel4 = 101,
        kComPortNrTxt,
        kLabel5,
        kBdRtTxt,
        kLabel3,
        kDF_FileTxt,
        kComTxt,
        kLabel1,
        kReadDF_But,
        kWriteDF_But,
        kLoad_menu = 201,
        kOpt_menu,
        kende_menu,
        kHinweis_menu,
    };

protected:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HMENU BuildMenus();
    void BuildControls();
    void Command(int id);
    void Paint();
    void RedrawBar();

    MainWinLogic logic_;
    std::unique_ptr<OptWin> optWin_;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    HMENU Datei_menu = nullptr;
    int barWidth_ = 0;  // pixels
    std::wstring percentText_;
    HWND lastFocus_ = nullptr;
};

}  // namespace cv2
