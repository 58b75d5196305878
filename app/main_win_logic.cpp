#include "app/main_win_logic.h"

#include "app/file_choice.h"
#include "app/main_win_texts.h"
#include "app/window_design.h"
#include "platform/message_box.h"
#include "platform/number_format.h"
#include "platform/serial_control.h"
#include "settings/settings_file.h"

namespace cv2 {

MainWinLogic::MainWinLogic(MainWinView& view, Settings& settings, SerialControl& comm1,
                           MessageBoxes& boxes, FileDialog& fileDialog, std::string settingsPath,
                           std::function<void()> quit)
    : view_(view),
      settings_(settings),
      comm1_(comm1),
      boxes_(boxes),
      fileDialog_(fileDialog),
      settingsPath_(std::move(settingsPath)),
      quit_(std::move(quit)) {}

void MainWinLogic::Start() {
    progress_.SetProgress(0);
    view_.SetCaption(MainWinCaption(CV2_VERSION_MAJOR, CV2_VERSION_MINOR, CV2_VERSION_PATCH));
    LoadSettingsAtStart(settingsPath_, settings_, boxes_);
    ShowSettings();
}

void MainWinLogic::ChooseOptions() {
    if (!guard_.running()) view_.OpenOptions();
}

void MainWinLogic::OptionsClosed() {
    if (!guard_.running()) EnableButtons();
}

bool MainWinLogic::ConfirmOptions(const OptionsLogic& options) {
    if (const std::string problem = options.Confirm(settings_); !problem.empty()) {
        boxes_.Show(problem, design::kOptionsTitle, BoxButtons::Ok, BoxIcon::Exclamation);
        return false;
    }
    ShowSettings();
    return true;
}

void MainWinLogic::ShowSettings() {
    view_.SetLabel(MainWinLabel::BaudRate, std::to_string(settings_.BaudRate));
    view_.SetLabel(MainWinLabel::ComPort, settings_.ComPort.ToText());
    ShowFileName();
}

void MainWinLogic::ShowFileName() {
    view_.SetLabel(MainWinLabel::FileName, FileNamePart(settings_.BackupFileName));
}

void MainWinLogic::SaveSettingsAndQuit() {
    // A file that cannot be written does not keep the program from ending.
    SaveSettings(settingsPath_, settings_);
    if (quit_) quit_();
}

void MainWinLogic::ClosePort() {
    if (comm1_.PortOpen()) comm1_.SetPortOpen(false);
}

void MainWinLogic::LoadMenu() {
    // A cancel gives the empty name, which clears the file in use.
    LoadMenuFileChoice(fileDialog_, settings_);
    ShowFileName();
}

std::string MainWinLogic::FormatNumber(double value) { return LocaleNumber(value); }

double MainWinLogic::BackgroundWidth() const { return design::kProzBalkenWeiss.width; }

}  // namespace cv2
