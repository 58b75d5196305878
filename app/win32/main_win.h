// The main window on the Win32 API: the settings in use, the two transfer
// buttons, the status line, the progress bar and the menus. It starts the
// program (settings loaded and shown) and ends it (settings written, then out
// at once, whatever runs).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/progress.h"
#include "app/win32/native_window.h"
#include "app/window_program.h"
#include "settings/settings.h"

namespace cv2 {

class FileDialog;
class MessageBoxes;
class OptWin;
class SerialControl;

class MainWin : public NativeWindow, public MainWindow, public ProgressView {
public:
    // quit ends the program; it is called right after the settings file is
    // written and in the program never returns.
    MainWin(Settings& settings, SerialControl& comm1, MessageBoxes& boxes, FileDialog& fileDialog,
            std::string settingsPath, std::function<void()> quit);
    ~MainWin() override;

    // The backup and restore procedures, run inside the click of their button.
    std::function<void()> onReadDF;
    std::function<void()> onWriteDF;
    // The session ends (log-off, shut-down).
    std::function<void()> onEndSession;

    // Shows the window and gives the focus to ReadDF_But.
    void Show(int showCommand);
    // The options window is done (O.K. or close box): the buttons come back,
    // unless a procedure is still running and will enable them at its end.
    void OptionsClosed();
    // Opens the options window, modeless and without owner.
    OptWin& ShowOptions();
    // Opens the notice window modally; returns when it is closed.
    void ShowNotice();

    MessageBoxes& boxes() { return boxes_; }

    // The controls, for the tests.
    HWND control(int id) const { return GetDlgItem(hwnd(), id); }
    int barWidth() const { return barWidth_; }
    const std::wstring& percentText() const { return percentText_; }

    // MainWindow
    void ShowSettings() override;
    void SaveSettingsAndQuit() override;
    Progress& progress() override { return progress_; }
    bool ProcedureRunning() const override { return guard_.running(); }
    void DisableButtons() override;
    void EnableButtons() override;
    void SetDateiMenuEnabled(bool enabled) override;
    void ClosePort() override;
    void SetComTxt(const std::string& text) override;
    void LoadMenu() override;
    std::string FormatNumber(double value) override;

    // ProgressView
    void SetBarWidth(double twips) override;
    double BackgroundWidth() const override;
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

    Settings& settings_;
    SerialControl& comm1_;
    MessageBoxes& boxes_;
    FileDialog& fileDialog_;
    std::string settingsPath_;
    std::function<void()> quit_;
    Progress progress_{*this};
    ProcedureGuard guard_;
    std::unique_ptr<OptWin> optWin_;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    HMENU Datei_menu = nullptr;
    int barWidth_ = 0;  // pixels
    std::wstring percentText_;
    HWND lastFocus_ = nullptr;
};

}  // namespace cv2
