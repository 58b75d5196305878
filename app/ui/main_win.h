// The main window: the settings in use, the two transfer buttons, the status
// line, the progress bar and the menus. It starts the program (settings loaded
// and shown) and ends it (settings written, then out at once, whatever runs).
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "app/main_win_texts.h"
#include "app/progress.h"
#include "app/window_program.h"
#include "settings/settings.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;

namespace cv2 {

class FileDialog;
class MessageBoxes;
class OptWin;
class SerialControl;

class MainWin : public QMainWindow, public MainWindow, public ProgressView {
    Q_OBJECT
public:
    // quit ends the program; it is called right after the settings file is
    // written and in the program never returns.
    MainWin(Settings& settings, SerialControl& comm1, MessageBoxes& boxes, FileDialog& fileDialog,
            std::string settingsPath, std::function<void()> quit, QWidget* parent = nullptr);
    ~MainWin() override;

    // The backup and restore procedures, run inside the click of their button.
    std::function<void()> onReadDF;
    std::function<void()> onWriteDF;

    void ShowSettings() override;
    void SaveSettingsAndQuit() override;
    // The options window is done (O.K. or close box): the buttons come back,
    // unless a procedure is still running and will enable them at its end.
    void OptionsClosed();
    // Opens the options window, modeless and without owner.
    OptWin* ShowOptions();
    // Opens the notice window modally; returns when it is closed.
    void ShowNotice();
    bool ProcedureRunning() const override { return guard_.running(); }

    // MainWindow
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

    // What the procedures are wired to.
    Settings& settings() { return settings_; }
    SerialControl& comm1() { return comm1_; }
    MessageBoxes& boxes() { return boxes_; }
    FileDialog& fileDialog() { return fileDialog_; }
    Progress& progress() override { return progress_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void RunProcedure(const std::function<void()>& procedure);

    Settings& settings_;
    SerialControl& comm1_;
    MessageBoxes& boxes_;
    FileDialog& fileDialog_;
    std::string settingsPath_;
    std::function<void()> quit_;
    Progress progress_{*this};
    ProcedureGuard guard_;
    std::unique_ptr<OptWin> optWin_;

    QLabel* ComPortNrTxt = nullptr;
    QLabel* BdRtTxt = nullptr;
    QLabel* DF_FileTxt = nullptr;
    QLabel* ComTxt = nullptr;
    QPushButton* ReadDF_But = nullptr;
    QPushButton* WriteDF_But = nullptr;
    QWidget* ProzBalkenWeiss = nullptr;
    QWidget* ProzBalken = nullptr;
    QLabel* ProzTxt = nullptr;
    QMenu* Datei_menu = nullptr;
};

}  // namespace cv2
