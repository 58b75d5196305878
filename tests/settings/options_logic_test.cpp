// The options window's rules: which baud rates an interface allows, where the
// selection moves, what activation re-selects and what O.K. stores.
#include "settings/options_logic.h"

#include <gtest/gtest.h>

namespace cv2 {
namespace {

constexpr int k9600 = 0, k16666 = 1, k19200 = 2, k115200 = 3;

std::array<bool, 4> Enabled(const OptionsLogic& o) {
    return {o.baudEnabled(0), o.baudEnabled(1), o.baudEnabled(2), o.baudEnabled(3)};
}

Settings WithInterface(int kind, long baud) {
    Settings s;
    s.LocoNetIfFlag = kind != 0;
    s.UsbIfFlag = kind == 2;
    s.BaudRate = baud;
    return s;
}

TEST(OptionsCoupling, EachInterfaceEnablesItsBaudRates) {
    OptionsLogic o;
    o.ClickInterface(0);
    EXPECT_EQ(Enabled(o), (std::array<bool, 4>{true, false, true, false}));
    o.ClickInterface(1);
    EXPECT_EQ(Enabled(o), (std::array<bool, 4>{false, true, true, true}));
    o.ClickInterface(2);
    EXPECT_EQ(Enabled(o), (std::array<bool, 4>{false, false, false, true}));
}

TEST(OptionsCoupling, UnitPortMovesDisallowedRatesTo19200) {
    for (int from : {k16666, k115200}) {
        OptionsLogic o;
        o.SelectBaud(from);
        o.ClickInterface(0);
        EXPECT_EQ(o.selectedBaud(), k19200) << from;
    }
    OptionsLogic o;
    o.SelectBaud(k9600);
    o.ClickInterface(0);
    EXPECT_EQ(o.selectedBaud(), k9600);
}

TEST(OptionsCoupling, SerialInterfaceMoves9600To115200AndKeepsOthers) {
    OptionsLogic o;
    o.SelectBaud(k9600);
    o.ClickInterface(1);
    EXPECT_EQ(o.selectedBaud(), k115200);
    for (int keep : {k16666, k19200}) {
        o.SelectBaud(keep);
        o.ClickInterface(1);
        EXPECT_EQ(o.selectedBaud(), keep);
    }
}

TEST(OptionsCoupling, UsbInterfaceAlwaysSelects115200) {
    for (int from : {kNoSelection, k9600, k16666, k19200}) {
        OptionsLogic o;
        o.SelectBaud(from);
        o.ClickInterface(2);
        EXPECT_EQ(o.selectedBaud(), k115200);
    }
}

TEST(OptionsCoupling, UnknownInterfaceIndexChangesNothing) {
    OptionsLogic o;
    o.ClickInterface(1);
    o.SelectBaud(k16666);
    o.ClickInterface(3);
    o.ClickInterface(-1);
    EXPECT_EQ(o.selectedInterface(), 1);
    EXPECT_EQ(o.selectedBaud(), k16666);
    EXPECT_EQ(Enabled(o), (std::array<bool, 4>{false, true, true, true}));
}

TEST(OptionsActivation, DefaultsSelectUsbAnd115200AndShowPort3) {
    OptionsLogic o;
    o.Activate(Settings{});
    EXPECT_EQ(o.selectedInterface(), 2);
    EXPECT_EQ(o.selectedBaud(), k115200);
    EXPECT_EQ(Enabled(o), (std::array<bool, 4>{false, false, false, true}));
    EXPECT_EQ(o.comPortText(), "3");
}

TEST(OptionsActivation, SelectsTheStoredRateEvenWhenTheInterfaceDisabledIt) {
    OptionsLogic o;
    o.Activate(WithInterface(2, 19200));
    EXPECT_EQ(o.selectedBaud(), k19200);
    EXPECT_FALSE(o.baudEnabled(k19200));
    Settings s = WithInterface(2, 19200);
    o.Confirm(s);
    EXPECT_EQ(s.BaudRate, 19200);
}

TEST(OptionsActivation, ReplacesUnconfirmedChoicesByTheSettings) {
    const Settings s = WithInterface(1, 16666);
    OptionsLogic o;
    o.Activate(s);
    o.ClickInterface(0);
    o.SelectBaud(k9600);
    o.SetComPortText("COM7");
    o.Activate(s);
    EXPECT_EQ(o.selectedInterface(), 1);
    EXPECT_EQ(o.selectedBaud(), k16666);
    EXPECT_EQ(o.comPortText(), "3");
}

TEST(OptionsActivation, RateNotOfferedLeavesTheInterfaceRuleSelection) {
    OptionsLogic o;
    o.Activate(WithInterface(1, 57600));
    EXPECT_EQ(o.selectedInterface(), 1);
    EXPECT_EQ(o.selectedBaud(), kNoSelection);
    o.Activate(WithInterface(2, 57600));
    EXPECT_EQ(o.selectedBaud(), k115200);
}

TEST(OptionsConfirm, StoresInterfaceFlagsBaudAndPortTextUnchecked) {
    Settings s;
    OptionsLogic o;
    o.Activate(s);
    o.ClickInterface(0);
    o.SelectBaud(k9600);
    o.SetComPortText("COM4");
    o.Confirm(s);
    EXPECT_FALSE(s.LocoNetIfFlag);
    EXPECT_FALSE(s.UsbIfFlag);
    EXPECT_EQ(InterfaceKind(s), 0);
    EXPECT_EQ(s.BaudRate, 9600);
    EXPECT_EQ(s.ComPort, ComPortSetting::Text("COM4"));

    o.ClickInterface(1);
    o.Confirm(s);
    EXPECT_TRUE(s.LocoNetIfFlag);
    EXPECT_FALSE(s.UsbIfFlag);
    EXPECT_EQ(s.BaudRate, 115200);
}

TEST(OptionsConfirm, ANumberTypedIntoThePortBoxBecomesText) {
    Settings s;
    OptionsLogic o;
    o.Activate(s);
    o.Confirm(s);
    EXPECT_EQ(s.ComPort, ComPortSetting::Text("3"));
}

}  // namespace
}  // namespace cv2
