// Setting the link up: the order of port properties per interface kind, the
// UART divisor for 16666 bit/s, the COM1/COM2 restriction, the unit's text
// dialogue, and ports that cannot be opened or set.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/port_name.h"
#include "tests/link/link_rig.h"

namespace cv2::test {
namespace {

using Log = std::vector<std::string>;
using Access = FakePortIo::Access;

const char* const kRestriction =
    "Sie können das LocoNet-Interface nur mit Comport 1 oder Comport 2 benutzen!";

TEST(OpenLinkSerialInterface, At16666OnPort2ProgramsDivisorSevenAndRestoresLineControl) {
    LinkRig rig(1);
    rig.settings.ComPort = ComPortSetting::Number(2);
    rig.settings.BaudRate = 16666;
    rig.io.registers[0x2FB] = 0x03;  // 8 data bits, 1 stop bit, no parity
    ASSERT_EQ(rig.link.OpenLink(), 0);
    EXPECT_EQ(rig.serial.log, (Log{"CommPort=" + ComPortDeviceName(2), "RTSEnable=1", "InputMode=0",
                                   "Settings=19200,n,8,1", "InputLen=1", "PortOpen=1",
                                   "InBufferCount=0", "SThreshold=0", "RThreshold=1"}));
    EXPECT_EQ(rig.io.log, (std::vector<Access>{{false, 0x2FB, 0x03},
                                               {true, 0x2FB, 0x83},
                                               {true, 0x2F8, 7},
                                               {true, 0x2F9, 0},
                                               {true, 0x2FB, 0x03}}));
}

TEST(OpenLinkSerialInterface, At16666OnPort1UsesTheFirstUart) {
    LinkRig rig(1);
    rig.settings.ComPort = ComPortSetting::Number(1);
    rig.settings.BaudRate = 16666;
    ASSERT_EQ(rig.link.OpenLink(), 0);
    ASSERT_EQ(rig.io.log.size(), 5u);
    EXPECT_EQ(rig.io.log[0].address, 0x3FB);
    EXPECT_EQ(rig.io.log[2], (Access{true, 0x3F8, 7}));
}

TEST(OpenLinkSerialInterface, OtherRatesLeaveTheUartAlone) {
    for (long rate : {9600L, 19200L, 115200L}) {
        LinkRig rig(1);
        rig.settings.ComPort = ComPortSetting::Number(1);
        rig.settings.BaudRate = rate;
        ASSERT_EQ(rig.link.OpenLink(), 0);
        EXPECT_EQ(rig.serial.Settings(), std::to_string(rate) + ",n,8,1");
        EXPECT_TRUE(rig.io.log.empty()) << rate;
    }
}

TEST(OpenLinkSerialInterface, RejectsEveryPortButCom1AndCom2WithoutTouchingIt) {
    for (const ComPortSetting& port :
         {ComPortSetting::Number(3), ComPortSetting::Number(0), ComPortSetting::Text("COM3"),
          ComPortSetting::Text("/dev/ttyUSB0"), ComPortSetting::Text("/dev/ttyS2")}) {
        LinkRig rig(1);
        rig.settings.ComPort = port;
        EXPECT_EQ(rig.link.OpenLink(), 1) << port.ToText();
        EXPECT_TRUE(rig.serial.log.empty()) << port.ToText();
        ASSERT_EQ(rig.boxes.shown.size(), 1u);
        EXPECT_EQ(rig.boxes.shown[0].text, kRestriction);
        EXPECT_EQ(rig.boxes.shown[0].icon, BoxIcon::Exclamation);
        EXPECT_EQ(rig.boxes.shown[0].buttons, BoxButtons::Ok);
    }
}

TEST(OpenLinkSerialInterface, AcceptsTheDeviceNamesOfCom1AndCom2) {
    for (const char* name : {"2", "COM2", "/dev/ttyS1", "ttyS1"}) {
        LinkRig rig(1);
        rig.settings.ComPort = ComPortSetting::Text(name);
        rig.settings.BaudRate = 16666;
        EXPECT_EQ(rig.link.OpenLink(), 0) << name;
        ASSERT_FALSE(rig.io.log.empty()) << name;
        EXPECT_EQ(rig.io.log[0].address, 0x2FB) << name;
    }
}

TEST(OpenLinkSerialInterface, RefusedRtsFailsTheSetUp) {
    LinkRig rig(1);
    rig.settings.ComPort = ComPortSetting::Number(1);
    rig.serial.rtsUnsupported = true;
    EXPECT_EQ(rig.link.OpenLink(), 1);
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_NE(rig.boxes.shown[0].text.find("Inappropriate ioctl for device"), std::string::npos);
}

TEST(OpenLinkSerialInterface, OpenPortKeepsItsNameAndIsNotReopened) {
    LinkRig rig(1);
    rig.settings.ComPort = ComPortSetting::Number(2);
    rig.serial.SetCommPort("/dev/ttyS1");
    rig.OpenQuietly(1);
    ASSERT_EQ(rig.link.OpenLink(), 0);
    EXPECT_EQ(rig.serial.log,
              (Log{"RTSEnable=1", "InputMode=0", "Settings=115200,n,8,1", "InputLen=1",
                   "InBufferCount=0", "SThreshold=0", "RThreshold=1"}));
}

TEST(OpenLinkUsbInterface, AnyPortAt115200WhateverTheRate) {
    LinkRig rig(2);
    rig.settings.ComPort = ComPortSetting::Number(7);
    rig.settings.BaudRate = 9600;
    ASSERT_EQ(rig.link.OpenLink(), 0);
    EXPECT_EQ(rig.serial.log,
              (Log{"CommPort=" + ComPortDeviceName(7), "InputMode=0", "Settings=115200,n,8,1",
                   "InputLen=0", "Handshaking=0", "PortOpen=1", "InBufferCount=0", "SThreshold=0",
                   "RThreshold=1"}));
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_TRUE(rig.io.log.empty());
}

TEST(OpenLinkUsbInterface, DevicePathIsOpenedAsItStands) {
    LinkRig rig(2);
    rig.settings.ComPort = ComPortSetting::Text("/dev/ttyUSB0");
    ASSERT_EQ(rig.link.OpenLink(), 0);
    EXPECT_EQ(rig.serial.CommPort(), "/dev/ttyUSB0");
}

TEST(OpenLinkFailures, PortThatCannotBeOpenedNamesPortAndReason) {
    LinkRig rig(2);
    rig.settings.ComPort = ComPortSetting::Text("/dev/ttyUSB0");
    rig.serial.openError = "No such file or directory";
    EXPECT_EQ(rig.link.OpenLink(), 1);
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text,
              "Die Schnittstelle /dev/ttyUSB0 kann nicht geöffnet werden: No such file or "
              "directory");
    EXPECT_EQ(rig.boxes.shown[0].title, "CV2 Sicherung");
}

TEST(OpenLinkFailures, RefusedSettingFailsWithABox) {
    LinkRig rig(1);
    rig.settings.ComPort = ComPortSetting::Number(1);
    rig.settings.BaudRate = 9600;
    rig.serial.refuseSettings = "9600,n,8,1";
    EXPECT_EQ(rig.link.OpenLink(), 1);
    EXPECT_FALSE(rig.serial.PortOpen());
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_NE(rig.boxes.shown[0].text.find(ComPortDeviceName(1)), std::string::npos);
    EXPECT_NE(rig.boxes.shown[0].text.find("Invalid argument"), std::string::npos);
}

// --- the Tandemo/Centrova unit's text dialogue ---

struct TandemoPeer {
    // Answers every command text (ending in CR) with the next reply, after a delay.
    TandemoPeer(LinkRig& rig, std::vector<std::string> replies, double delay = 0.05)
        : rig(rig), replies(std::move(replies)) {
        rig.serial.onOutput = [this, &rig, delay](const std::string& b) {
            line += b;
            if (b != "\r") return;
            commands.push_back(line);
            line.clear();
            if (next < this->replies.size()) {
                rig.serial.InjectAt(rig.clock.Now() + delay, this->replies[next++]);
            }
        };
    }
    LinkRig& rig;
    std::vector<std::string> replies;
    std::size_t next = 0;
    std::string line;
    std::vector<std::string> commands;
};

class OpenLinkTandemoPrompt : public ::testing::TestWithParam<std::string> {};

TEST_P(OpenLinkTandemoPrompt, SwitchesTheUnitInto19200FrameMode) {
    LinkRig rig(0);
    rig.settings.ComPort = ComPortSetting::Number(1);
    TandemoPeer peer(rig, {GetParam(), GetParam()});
    const double start = rig.clock.Now();
    ASSERT_EQ(rig.link.OpenLink(), 0);
    EXPECT_EQ(peer.commands, (std::vector<std::string>{"xB19200\r", "x&LN$3C96\r"}));
    EXPECT_EQ(rig.serial.log,
              (Log{"CommPort=" + ComPortDeviceName(1), "Settings=2400,n,8,2", "PortOpen=1",
                   "InputMode=0", "InputLen=100", "Break=1", "Break=0", "OutBufferCount=0",
                   "PortOpen=0", "Settings=19200,n,8,2", "PortOpen=1", "OutBufferCount=0",
                   "PortOpen=0", "InputLen=1", "PortOpen=1", "SThreshold=0", "RThreshold=1"}));
    // Break 1 s, pause 0.3 s, two texts and answers, pause 0.3 s.
    EXPECT_GT(rig.clock.Now() - start, 1.7);
    EXPECT_LT(rig.clock.Now() - start, 1.9);
}

INSTANTIATE_TEST_SUITE_P(Replies, OpenLinkTandemoPrompt,
                         ::testing::Values("]", "ab]", "OK\r\n]\r\n"));

TEST(OpenLinkTandemo, PromptSplitOverSeveralArrivals) {
    LinkRig rig(0);
    TandemoPeer peer(rig, {"x"}, 0.01);
    rig.serial.InjectAt(rig.clock.Now() + 3.0, "B1]");  // the rest, well after the CR
    rig.serial.onOutput = [&, inner = rig.serial.onOutput](const std::string& b) {
        inner(b);
        if (peer.commands.size() == 2 && b == "\r") rig.serial.InjectAt(rig.clock.Now(), "]");
    };
    EXPECT_EQ(rig.link.OpenLink(), 0);
}

TEST(OpenLinkTandemo, NoPromptWithinFiveSecondsFails) {
    LinkRig rig(0);
    TandemoPeer peer(rig, {"no prompt here"});
    EXPECT_EQ(rig.link.OpenLink(), 1);
    EXPECT_EQ(peer.commands.size(), 1u);
    EXPECT_TRUE(rig.boxes.shown.empty());
}

TEST(OpenLinkTandemo, PromptAfterFiveSecondsIsTooLate) {
    LinkRig rig(0);
    TandemoPeer peer(rig, {"]"}, 5.05);
    EXPECT_EQ(rig.link.OpenLink(), 1);
}

TEST(OpenLinkTandemo, SecondPromptMissingFails) {
    LinkRig rig(0);
    TandemoPeer peer(rig, {"]"});
    EXPECT_EQ(rig.link.OpenLink(), 1);
    EXPECT_EQ(peer.commands.size(), 2u);
}

TEST(OpenLinkTandemo, CtsNeverAssertedFailsWithoutSending) {
    LinkRig rig(0);
    rig.serial.cts = false;
    EXPECT_EQ(rig.link.OpenLink(), 1);
    EXPECT_TRUE(rig.serial.written.empty());
}

TEST(OpenLinkTandemo, ReplyNeverReachesTheReceiveHandler) {
    LinkRig rig(0);
    // An earlier run left the receive event on; the reply carries frame-like bytes.
    rig.serial.SetRThreshold(1);
    TandemoPeer peer(rig, {Bytes({0x81, 0x7E, ']'}), Bytes({0x81, 0x7E, ']'})});
    ASSERT_EQ(rig.link.OpenLink(), 0);
    EXPECT_EQ(rig.link.rx().RxSlot, 0);
    EXPECT_EQ(rig.link.rx().RxFrames[0][0], 0);
}

TEST(OpenLinkTandemo, PromptWaitSleepsOnThePortWithoutProcessingEvents) {
    LinkRig rig(0);
    TandemoPeer peer(rig, {"]", "]"}, 4.0);
    ASSERT_EQ(rig.link.OpenLink(), 0);
    // Pauses and texts need a few hundred passes; eight seconds of prompt wait add none.
    EXPECT_LT(rig.pump.passes(), 400);
}

}  // namespace
}  // namespace cv2::test
