// What the options window does, without its widgets: the interface and baud
// rate choices, the baud rates each interface allows, the re-selection from the
// settings on every activation, and what O.K. stores. The window mirrors it.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "settings/settings.h"

namespace cv2 {

constexpr std::array<long, 4> kBaudRates = {9600, 16666, 19200, 115200};
constexpr int kBaudCount = static_cast<int>(kBaudRates.size());
constexpr int kNoSelection = -1;

class OptionsLogic {
public:
    // Activation: selects the interface of the settings (running its click rule),
    // then the baud option equal to BaudRate (even one the rule disabled; a rate
    // not offered selects nothing), and puts the COM port into the text box.
    void Activate(const Settings& s);

    // The user (or the activation) chose an interface: enables the baud rates it
    // allows and moves the selection onto an allowed one.
    void ClickInterface(InterfaceKind kind);

    // The user chose a baud option.
    void SelectBaud(int index);

    void SetComPortText(std::string text) { comPortText_ = std::move(text); }

    // O.K.: the selected interface and baud rate and the COM port text into
    // the settings. A port text that cannot name a port (a control character
    // in it, a TCP port text naming no server or chosen with the Tandemo/Centrova
    // unit) is refused: nothing is stored, and the reason comes back.
    std::string Confirm(Settings& s) const;

    std::optional<InterfaceKind> selectedInterface() const { return interface_; }
    int selectedBaud() const { return baud_; }
    bool baudEnabled(int index) const { return baudEnabled_.at(index); }
    const std::string& comPortText() const { return comPortText_; }

private:
    std::optional<InterfaceKind> interface_;
    int baud_ = kNoSelection;
    std::array<bool, kBaudRates.size()> baudEnabled_ = {true, true, true, true};
    std::string comPortText_ = "1";
};

}  // namespace cv2
