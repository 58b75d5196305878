#include "settings/options_logic.h"

#include "link/port_name.h"
#include "settings/settings_file.h"

namespace cv2 {

namespace {

constexpr int kBaud9600 = 0;
constexpr int kBaud16666 = 1;
constexpr int kBaud19200 = 2;
constexpr int kBaud115200 = 3;

// Baud rates each interface allows, in the order of kBaudRates.
constexpr std::array<std::array<bool, kBaudRates.size()>, kInterfaceCount> kAllowedBauds = {{
    {true, false, true, false},   // the unit's own serial port: 9600 or 19200
    {false, true, true, true},    // serial LocoNet interface
    {false, false, false, true},  // USB LocoNet interface: 115200 only
}};

}  // namespace

void OptionsLogic::Activate(const Settings& s) {
    ClickInterface(s.Interface);
    for (int i = 0; i < kBaudCount; ++i) {
        if (kBaudRates[i] == s.BaudRate) baud_ = i;
    }
    comPortText_ = s.ComPort.ToText();
}

void OptionsLogic::ClickInterface(InterfaceKind kind) {
    interface_ = kind;
    baudEnabled_ = kAllowedBauds[KindIndex(kind)];
    switch (kind) {
        case InterfaceKind::TandemoPort:
            if (baud_ == kBaud16666 || baud_ == kBaud115200) baud_ = kBaud19200;
            break;
        case InterfaceKind::SerialInterface:
            if (baud_ == kBaud9600) baud_ = kBaud115200;
            break;
        case InterfaceKind::UsbInterface:
            baud_ = kBaud115200;
            break;
    }
}

void OptionsLogic::SelectBaud(int index) {
    if (index >= 0 && index < kBaudCount) baud_ = index;
}

std::string OptionsLogic::Confirm(Settings& s) const {
    if (std::string problem = PortNameProblem(comPortText_); !problem.empty()) return problem;
    const LinkConfig chosen{ComPortSetting::Text(comPortText_), s.BaudRate,
                            interface_.value_or(s.Interface)};
    if (std::string problem = TcpPortProblem(chosen); !problem.empty()) return problem;
    if (interface_) s.Interface = *interface_;
    if (baud_ != kNoSelection) s.BaudRate = kBaudRates[baud_];
    s.ComPort = ComPortSetting::Text(comPortText_);
    return {};
}

}  // namespace cv2
