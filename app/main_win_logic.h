// What the main window does, without its controls: start-up (settings read and
// shown), the transfer buttons with one procedure at a time, the file menu,
// the options guard, the status line and the bar, and the end that writes the
// settings. Each toolkit's main window creates, lays out and paints the
// controls and is this logic's view.
#pragma once

#include <functional>
#include <string>

#include "app/procedure_guard.h"
#include "app/progress.h"
#include "app/window_program.h"
#include "settings/options_logic.h"
#include "settings/settings.h"

namespace cv2 {

class FileDialog;
class MessageBoxes;
class SerialControl;

// The main window's texts that change while the program runs.
enum class MainWinLabel { ComPort, BaudRate, FileName, Status };

// What the logic changes on screen; the toolkit's main window implements it.
class MainWinView {
public:
    virtual ~MainWinView() = default;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetLabel(MainWinLabel label, const std::string& text) = 0;
    // Both transfer buttons at once.
    virtual void SetButtonsEnabled(bool enabled) = 0;
    virtual void SetDateiMenuEnabled(bool enabled) = 0;
    // The bar's width in twips of its white background's width, and the percentage.
    virtual void SetBarWidth(double twips) = 0;
    virtual void SetPercentText(const std::string& text) = 0;
    // Opens the options window, modeless and without owner.
    virtual void OpenOptions() = 0;
    // Opens the notice window modally; returns when it is closed.
    virtual void OpenNotice() = 0;
};

class MainWinLogic : public MainWindow, private ProgressView {
public:
    // quit ends the program; it is called right after the settings file is
    // written and in the program never returns.
    MainWinLogic(MainWinView& view, Settings& settings, SerialControl& comm1, MessageBoxes& boxes,
                 FileDialog& fileDialog, std::string settingsPath, std::function<void()> quit);

    // The backup and restore procedures, run inside the click of their button.
    std::function<void()> onReadDF;
    std::function<void()> onWriteDF;

    // Start-up, once the view's controls exist: empty bar, caption with the
    // version, settings read and shown.
    void Start();

    // What the user does in the main window.
    void ClickReadDF() { guard_.Run(onReadDF); }
    void ClickWriteDF() { guard_.Run(onWriteDF); }
    // "Datei": the file choice (LoadMenu).
    void ChooseFile() { LoadMenu(); }
    // "Optionen": refused while a procedure runs (the restore leaves the menu
    // usable, and its settings must not change under it).
    void ChooseOptions();
    void ChooseNotice() { view_.OpenNotice(); }
    // "Beenden" and every close request: nothing cancels the end.
    void ChooseEnd() { SaveSettingsAndQuit(); }

    // The options window opened (the buttons are locked while it is open) and
    // is done (O.K. or close box): the buttons come back, unless a procedure
    // is still running and will enable them at its end.
    void OptionsOpened() { DisableButtons(); }
    void OptionsClosed();
    // O.K. in the options window: its choices into the settings, and the
    // settings shown. A port text that cannot name a port is refused in a box
    // and nothing is stored: false, the window stays open with the text to correct.
    bool ConfirmOptions(const OptionsLogic& options);

    Settings& settings() { return settings_; }
    MessageBoxes& boxes() { return boxes_; }

    // MainWindow
    void ShowSettings() override;
    void SaveSettingsAndQuit() override;
    Progress& progress() override { return progress_; }
    bool ProcedureRunning() const override { return guard_.running(); }
    void DisableButtons() override { view_.SetButtonsEnabled(false); }
    void EnableButtons() override { view_.SetButtonsEnabled(true); }
    void SetDateiMenuEnabled(bool enabled) override { view_.SetDateiMenuEnabled(enabled); }
    void ClosePort() override;
    void SetComTxt(const std::string& text) override { view_.SetLabel(MainWinLabel::Status, text); }
    void LoadMenu() override;
    std::string FormatNumber(double value) override;

private:
    // ProgressView
    void SetBarWidth(double twips) override { view_.SetBarWidth(twips); }
    double BackgroundWidth() const override;
    void SetPercentText(const std::string& text) override { view_.SetPercentText(text); }

    void ShowFileName();

    MainWinView& view_;
    Settings& settings_;
    SerialControl& comm1_;
    MessageBoxes& boxes_;
    FileDialog& fileDialog_;
    std::string settingsPath_;
    std::function<void()> quit_;
    Progress progress_{*this};
    ProcedureGuard guard_;
};

}  // namespace cv2
