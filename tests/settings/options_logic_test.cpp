// The options rules: which baud rates an interface allows and where the
// selection moves when an interface is chosen.
#include "settings/options_logic.h"

#include <gtest/gtest.h>

#include <string>

namespace cv2 {
namespace {

struct CouplingCase {
    int interface;
    int selectedBefore;
    std::array<bool, 4> enabled;
    int selectedAfter;
};

TEST(OptionsCoupling, InterfaceChoiceEnablesRatesAndMovesTheSelection) {
    constexpr int none = kNoSelection;
    const CouplingCase cases[] = {
        {0, 1, {true, false, true, false}, 2},  {0, 3, {true, false, true, false}, 2},
        {0, 0, {true, false, true, false}, 0},  {0, none, {true, false, true, false}, none},
        {1, 0, {false, true, true, true}, 3},   {1, 2, {false, true, true, true}, 2},
        {1, 1, {false, true, true, true}, 1},   {2, 0, {false, false, false, true}, 3},
        {2, 2, {false, false, false, true}, 3}, {2, none, {false, false, false, true}, 3},
    };
    for (const CouplingCase& c : cases) {
        OptionsLogic o;
        o.SelectBaud(c.selectedBefore);
        o.ClickInterface(*InterfaceKindAt(c.interface));
        EXPECT_EQ(o.selectedBaud(), c.selectedAfter) << c.interface << " from " << c.selectedBefore;
        for (int i = 0; i < kBaudCount; ++i) EXPECT_EQ(o.baudEnabled(i), c.enabled[i]);
    }
    OptionsLogic o;
    o.ClickInterface(InterfaceKind::SerialInterface);
    o.SelectBaud(2);
    o.SelectBaud(kBaudCount);  // no such option: nothing changes
    EXPECT_EQ(o.selectedInterface(), InterfaceKind::SerialInterface);
    EXPECT_EQ(o.selectedBaud(), 2);
    EXPECT_TRUE(o.baudEnabled(1));
}

// O.K. with a port name that cannot name a port stores nothing, not even the
// interface and rate chosen beside it, and says why.
TEST(OptionsConfirm, APortNameWithAControlCharacterIsNotTaken) {
    using namespace std::string_literals;
    for (const std::string& typed : {"/dev/tty\0USB0"s, "COM4\n"s, "\x7f"s}) {
        OptionsLogic o;
        o.ClickInterface(InterfaceKind::TandemoPort);
        o.SelectBaud(0);
        o.SetComPortText(typed);
        Settings s;
        EXPECT_NE(o.Confirm(s), "");
        EXPECT_EQ(s.ComPort, Settings().ComPort);
        EXPECT_EQ(s.Interface, InterfaceKind::UsbInterface);
        EXPECT_EQ(s.BaudRate, 115200);
    }
    OptionsLogic o;
    o.SetComPortText("/dev/ttyUSB0");
    Settings s;
    EXPECT_EQ(o.Confirm(s), "");
    EXPECT_EQ(s.ComPort, ComPortSetting::Text("/dev/ttyUSB0"));
    // A server on the network, but not with the unit whose dialogue needs a serial line.
    o.SetComPortText("tcp://192.168.1.20:1234");
    o.ClickInterface(InterfaceKind::TandemoPort);
    EXPECT_NE(o.Confirm(s).find("Tandemo/Centrova"), std::string::npos);
    EXPECT_EQ(s.ComPort, ComPortSetting::Text("/dev/ttyUSB0"));
    o.ClickInterface(InterfaceKind::UsbInterface);
    EXPECT_EQ(o.Confirm(s), "");
    EXPECT_EQ(s.ComPort, ComPortSetting::Text("tcp://192.168.1.20:1234"));
}

}  // namespace
}  // namespace cv2
