// The options window: interface, baud rate and COM port. Modeless; while it is
// active the main window's transfer buttons are disabled. It shows the state of
// OptionsLogic and hands every click to it. Opening it, or moving to it from
// another window of the program, shows the settings afresh, and the machine's
// serial ports as suggestions for the COM port box, which still takes any text.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "platform/port_list.h"
#include "settings/options_logic.h"
#include "settings/settings.h"

class QCompleter;
class QPushButton;
class QRadioButton;

namespace cv2 {

class MainWinLogic;
class PortNameBox;

class OptWin : public QWidget {
    Q_OBJECT
public:
    explicit OptWin(MainWinLogic& mainWin);

    const OptionsLogic& logic() const { return logic_; }

    // Where the suggestions come from: the serial ports found on this machine.
    std::function<std::vector<PortEntry>()> listPorts;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void Activate();
    void Mirror();
    void OkClicked();
    void OfferPorts();

    MainWinLogic& mainWin_;
    OptionsLogic logic_;
    bool awayFromProgram_ = false;

    PortNameBox* ComPortTxT = nullptr;
    QCompleter* portSuggestions_ = nullptr;
    std::array<QRadioButton*, kInterfaceCount> UpDevOpt{};
    std::array<QRadioButton*, kBaudRates.size()> BdrtOpt{};
    QPushButton* OK_But = nullptr;
};

}  // namespace cv2
