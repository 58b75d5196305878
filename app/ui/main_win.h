// The main window: the settings in use, the two transfer buttons, the status
// line, the progress bar and the menus, as Qt widgets. What they do is
// MainWinLogic's; the window creates, lays out and shows them.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "app/main_win_logic.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;

namespace cv2 {

class FileDialog;
class MessageBoxes;
class OptWin;
class SerialControl;

class MainWin : public QMainWindow, public MainWinView {
    Q_OBJECT
public:
    // quit ends the program; it is called right after the settings file is
    // written and in the program never returns.
    MainWin(Settings& settings, SerialControl& comm1, MessageBoxes& boxes, FileDialog& fileDialog,
            std::string settingsPath, std::function<void()> quit, QWidget* parent = nullptr);
    ~MainWin() override;

    MainWinLogic& logic() { return logic_; }

    // Opens the options window, modeless and without owner.
    OptWin* ShowOptions();

    // MainWinView: texts, the windows it opens, enabled states and the bar.
    void SetCaption(const std::string& text) override;
    // A port name too long for its label shows its end, and whole as a tooltip.
    void SetLabel(MainWinLabel label, const std::string& text) override;
    void OpenOptions() override { ShowOptions(); }
    void OpenNotice() override;
    void SetButtonsEnabled(bool enabled) override;
    void SetDateiMenuEnabled(bool enabled) override;
    void SetBarWidth(double twips) override;
    void SetPercentText(const std::string& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();

    MainWinLogic logic_;
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
